#pragma once

// One receiver core for the fuzzers: every message that comes out is rendered, as the log
// would, so the decoder and the renderer are fuzzed along with the parser.

#include "monitor/link/message_sink.h"
#include "monitor/link/parser_context.h"
#include "monitor/messages/message_decoder.h"
#include "monitor/messages/message_renderer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zeph::monitor::fuzz {

class SilentPrompter : public Prompter {
public:
    Answer ask(const std::string&, Icon, Buttons) override { return Answer::Ok; }
};

class RenderingSink : public MonitorEvents, public MessageSink {
public:
    void writeLog(std::string_view text) override { bytes += text.size(); }
    void onMessage(const RxMessage* msg) override {
        if (msg != nullptr && renderMessage(*msg, line_)) {
            bytes += line_.size();
        }
    }
    size_t bytes = 0;

private:
    std::string line_;
};

struct FuzzCore {
    explicit FuzzCore(uint8_t setup) {
        state.targetSwClass = setup % 7 - 1;
        state.autoDetect = (setup & 0x80) != 0;
    }
    ProgramState state;
    RenderingSink sink;
    SilentPrompter prompter;
    MessageDecoder decoder{state, sink, prompter};
    std::unique_ptr<RxMessage> msg = std::make_unique<RxMessage>();
    ParserContext context() { return {decoder, state, sink, sink}; }
};

// Cuts the input into chunks whose sizes the input itself chooses, so frames fall across chunk
// boundaries in every way.
template <class Feed> void feedInChunks(const uint8_t* data, size_t size, Feed feed) {
    size_t at = 0;
    while (at < size) {
        const size_t chunk = 1 + data[at] % 64 * 67 % 4096;
        const size_t n = chunk < size - at ? chunk : size - at;
        feed(data + at, n);
        at += n;
    }
}

} // namespace zeph::monitor::fuzz
