#pragma once

// One receiver core for the fuzzers: every message that comes out is rendered, as the log
// would, so the decoder and the renderer are fuzzed along with the parser.

#include "fuzz_files.h"

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

using zeph::fuzz::feedInChunks;

} // namespace zeph::monitor::fuzz
