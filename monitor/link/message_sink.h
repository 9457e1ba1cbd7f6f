#pragma once

#include "monitor/messages/rx_message.h"

namespace zeph::monitor {

// The feed's message entry: every complete message a parser assembles is handed on here.
// nullptr means the source has no more data.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void onMessage(const RxMessage* msg) = 0;
};

} // namespace zeph::monitor
