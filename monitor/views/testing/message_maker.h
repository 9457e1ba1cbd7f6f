#pragma once

// Messages as the monitor receives them: wire payloads through the decoder, or texts filed the
// way sentences and link errors are.

#include "monitor/messages/message_decoder.h"
#include "monitor/messages/testing/recording_events.h"

#include "sim/receiver/wire_writer.h"

#include <memory>
#include <string_view>

namespace zeph::monitor::testing {

class MessageMaker {
public:
    const RxMessage& binary(const sim::Bytes& payload) {
        decoder.decodeBinary(payload.data(), payload.size(), *msg, nullptr);
        return *msg;
    }
    const RxMessage& viewText(std::string_view text, uint16_t code) {
        decoder.storeViewText(text, code, *msg);
        return *msg;
    }
    const RxMessage& linkError(std::string_view line) { return viewText(line, kLinkErrorCode); }
    const RxMessage& debugText(std::string_view text) {
        return binary(sim::PayloadWriter(255).text(text));
    }
    const RxMessage& errorReport(uint16_t code, std::initializer_list<uint32_t> params) {
        sim::PayloadWriter w(10);
        w.u16(code).u16(static_cast<uint32_t>(params.size()));
        for (uint32_t p : params) {
            w.u32(p);
        }
        return binary(w);
    }

    ProgramState state;
    RecordingEvents events;
    RecordingPrompter prompter;
    MessageDecoder decoder{state, events, prompter};
    std::unique_ptr<RxMessage> msg = std::make_unique<RxMessage>();
};

} // namespace zeph::monitor::testing
