#pragma once

#include "monitor/messages/message_decoder.h"
#include "monitor/messages/message_records.h"
#include "monitor/messages/message_renderer.h"
#include "monitor/messages/testing/recording_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace zeph::monitor::testing {

using Bytes = std::vector<uint8_t>;

// A copy of a packed record's field: gtest's checks take their arguments by reference, and a
// reference to a packed field may be misaligned.
template <class T> T value(T field) {
    return field;
}

// One receiver core: the program state, what it reports, a decoder and the source's message.
class DecoderTest : public ::testing::Test {
protected:
    void decode(const Bytes& payload, SourceReplies* source = nullptr) {
        decoder.decodeBinary(payload.data(), payload.size(), msg(), source);
    }
    // The log text of a payload; "<none>" for a message that is never logged.
    std::string render(const Bytes& payload, SourceReplies* source = nullptr) {
        decode(payload, source);
        std::string out;
        return renderMessage(msg(), out) ? out : "<none>";
    }
    RxMessage& msg() { return *message; }

    ProgramState state;
    RecordingEvents events;
    RecordingPrompter prompter;
    MessageDecoder decoder{state, events, prompter};
    std::unique_ptr<RxMessage> message = std::make_unique<RxMessage>();
};

} // namespace zeph::monitor::testing
