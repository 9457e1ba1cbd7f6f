#pragma once

// How LineSettings map onto a termios record. Used by SerialLine::configure; kept visible so
// the mapping can be checked without a device.

#include "common/serial/serial_line.h"

#include <optional>
#include <string>
#include <termios.h>

namespace zeph::detail {

// The B constant for a standard rate; none for rates that need termios2.
std::optional<speed_t> standardRate(int baud);
// Empty when the settings can be applied, else the reason.
std::string checkLineSettings(const LineSettings& settings);
// Raw mode with the given framing and flow control. The rate is not touched.
void applyLineSettings(struct termios& tio, const LineSettings& settings);
// The framing and flow control a termios record holds; the rate is left at its default.
// XON/XOFF counts only when it works both ways (IXON and IXOFF), as applyLineSettings sets it:
// IXON alone is a terminal's cooked default, which raw mode drops.
LineSettings lineSettingsOf(const struct termios& tio);

} // namespace zeph::detail
