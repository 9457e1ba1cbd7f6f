#pragma once

// What the Debug, Error and Response views add to their lists for a message; nothing when the
// view does not show it. Every text is one or more lines separated by "\n".

#include "monitor/messages/message_records.h"
#include "monitor/messages/rx_message.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zeph::monitor {

constexpr size_t kMaxErrorViewText = 256;
constexpr size_t kMaxNavParamsText = 1000;

// The receiver's error reports the Error view shows: alerts, warnings and notifications.
bool isShownErrorCode(uint16_t code);

// MID 255 development text (line ends turned to blanks), never a link-error line.
std::optional<std::string> debugViewText(const RxMessage& msg);
// MID 10 reports of the shown codes, and the link-error lines.
std::optional<std::string> errorViewText(const RxMessage& msg);
// The answers to commands and polls: MID 6, 7, 11, 12 and 19.
std::optional<std::string> responseViewText(const RxMessage& msg);

// The navigation-parameter report of MID 19, with its low-power lines.
std::string navParamsReport(const NavParamsRecord& p);

} // namespace zeph::monitor
