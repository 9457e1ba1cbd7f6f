#pragma once

// Every input message the monitor builds, once: its MID (and MID 172's sub-identifier), its
// constant name, its payload rows and the dialog fields behind them.

#include "command_layout.h"
#include "uart_config.h"

#include <span>
#include <string>
#include <string_view>

namespace zeph::monitor {

std::span<const CommandSpec> commandCatalogue();

const CommandSpec* findCommand(uint8_t mid, uint8_t subId = 0);

// zephctl's name of a command: the last part of its menu item in word form, "poll-" before
// the items of the Poll menu ("Poll > SW Version" -> "poll-sw-version"); empty for a message
// that no menu item sends on its own (MID 167, MID 168).
std::string commandName(const CommandSpec& spec);
const CommandSpec* findCommandByName(std::string_view name);

// The commands whose dialogs first poll the receiver's current settings (MID 168 / MID 43).
std::span<const uint8_t> polledCommandMids();

// MID 165's wire fields for the four entries of a filled record.
void setUartRecordValues(CommandValues& values, const UartConfigRecord& record);

// The refusal of an NMEA baud rate the set-NMEA-mode command's 16-bit field cannot carry.
constexpr const char* kNmeaBaudRefusal =
    "The NMEA baud rate must be at most 65535: the switch to NMEA carries it in 16 bits.";
constexpr uint32_t kMaxNmeaBaud = 65535;

} // namespace zeph::monitor
