#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zeph::monitor {

// Short name of a MID for lists ("Ref Nav", "Meas Nav", ...); empty where it has none.
std::string displayName(uint8_t mid);

// Constant name of a MID, and for MID 172 of its sub-ID ("MID_Ack",
// "MID_DrOut:SID_PollDrValid"); "Unknown MID:%d" for a MID without one.
std::string constantName(uint8_t mid, uint8_t subId = 0);

// The MID 10 format of an error ID ("Unknown format: ..." for an ID without one).
const char* errorFormat(uint16_t errorId);

// Fills a MID 10 format with its 32-bit parameters in order; a conversion past the last
// parameter prints 0.
std::string formatErrorText(const char* format, std::span<const uint32_t> params);

} // namespace zeph::monitor
