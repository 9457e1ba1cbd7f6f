#pragma once

#include "message_records.h"
#include "rx_message.h"

#include "common/text/strprintf.h"

#include <string>

namespace zeph::monitor {

// The log text of a message, without the line end the log adds. Returns false, leaving `out`
// empty, for messages that are never logged.
bool renderMessage(const RxMessage& msg, std::string& out);

// An enumeration's text, guarded against values the receiver should not send.
template <size_t N> std::string enumText(const char* const (&texts)[N], unsigned value) {
    return value < N ? texts[value] : strprintf("unknown (%u)", value);
}

// The power-mode, user-task and acquisition lines that end every navigation-parameter text.
std::string lowPowerLines(const NavParamsRecord& p);

} // namespace zeph::monitor
