#pragma once

#include "rx_message.h"

#include <string>

namespace zeph::monitor {

// The log text of a message, without the line end the log adds. Returns false, leaving `out`
// empty, for messages that are never logged.
bool renderMessage(const RxMessage& msg, std::string& out);

} // namespace zeph::monitor
