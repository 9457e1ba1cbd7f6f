#pragma once

#include "monitor/link/message_sink.h"
#include "monitor/messages/message_decoder.h"
#include "monitor/messages/program_state.h"

namespace zeph::monitor {

// What a parser works with: the decoder that fills the source's RxMessage, the program-wide
// receiver state, the events for reports and the activity blink, and the feed it hands on to.
struct ParserContext {
    MessageDecoder& decoder;
    ProgramState& state;
    MonitorEvents& events;
    MessageSink& sink;
};

} // namespace zeph::monitor
