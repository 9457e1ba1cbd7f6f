#pragma once

// The payloads the window side and zephctl send, each a thin call over the catalogue's one
// encoder, and the NMEA command bodies.

#include "command_catalogue.h"
#include "gps_time.h"
#include "monitor/messages/current_settings_poll.h"
#include "uart_config.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// How a dialog opens after a current-settings poll: with the echoed record when one came (its
// first byte, the MID, is not 0), caption + ": Current"; otherwise with its defaults, caption +
// ": Default". `record` is null when no poll was due.
struct DialogOpening {
    CommandValues values;
    std::string caption;
    bool current = false;
};
DialogOpening dialogOpening(const CommandSpec& spec, const PolledSettings* record);

// Switch to Zeph Binary at 38400 baud, 8 data bits, 1 stop bit, no parity.
constexpr std::string_view kSwitchToBinaryBody = "ZUVE100,0,38400,8,1,0";
constexpr uint32_t kSwitchToBinaryBaud = 38400;
// Turn on the receiver's development data.
constexpr std::string_view kDebugDataBody = "ZUVE105,01";

// A command's payloads in sending order (the low-power command has two), or its refusal.
struct CommandPayloads {
    std::vector<std::vector<uint8_t>> payloads;
    std::optional<std::string> refusal;
};
// Checks `values` as the command's dialog does, then encodes.
CommandPayloads buildCommand(const CommandSpec& spec, CommandValues values);

// The set-serial-port values from four strings: the numbers in the baud, data-bit and stop-bit
// strings; parity 1 for "ODD", 2 for "EVEN", else 0.
struct SerialPortValues {
    uint32_t baud = 0;
    uint8_t dataBits = 0;
    uint8_t stopBits = 0;
    uint8_t parity = 0;
};
SerialPortValues serialPortValues(std::string_view baud, std::string_view dataBits,
                                  std::string_view stopBits, std::string_view parity);
// MID 134 (main port) or MID 145 (DGPS port).
std::vector<uint8_t> setSerialPortPayload(uint8_t mid, const SerialPortValues& values);
inline std::vector<uint8_t> setSerialPortPayload(uint8_t mid, std::string_view baud,
                                                 std::string_view dataBits,
                                                 std::string_view stopBits,
                                                 std::string_view parity) {
    return setSerialPortPayload(mid, serialPortValues(baud, dataBits, stopBits, parity));
}

// MID 165.
std::vector<uint8_t> uartConfigPayload(const UartConfigRecord& record);

// MID 129: ten rates (GGA, GLL, GSA, GSV, RMC, VTG, MSS, User 8 to 10), one checksum flag
// repeated, and the NMEA baud rate; none for a baud the 16-bit field cannot carry.
std::optional<std::string> nmeaBaudRefusal(uint32_t baud);
std::optional<std::vector<uint8_t>> nmeaModePayload(std::span<const uint8_t, 10> rates,
                                                    bool checksums, uint32_t baud);

// The receiver-initialisation settings as stored.
struct InitSettings {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t clockOffset = 0;
    bool usePcTime = false;
    unsigned utcOffset = 13;
    uint16_t week = 0;
    uint32_t tow = 0; // hundredths of a second
    uint8_t channels = 12;
    uint8_t resetConfig = 0x88;
};
struct InitMessage {
    std::vector<uint8_t> payload;
    std::optional<std::string> warning; // kUtcOffsetRefusal: week and time went out as 0
};
// MID 128; `now` is the PC's UTC, used when the settings say so.
InitMessage navigationInitPayload(const InitSettings& settings, const UtcTime& now);

// The two-byte polls (132, 144, 146, 152), the ephemeris poll of all satellites (147), the
// current-settings poll of a command (168).
std::vector<uint8_t> pollPayload(uint8_t mid);
std::vector<uint8_t> currentSettingsPollPayload(uint8_t commandMid);

// MID 130 from 448 almanac words, MID 149 from one satellite's 45 ephemeris words.
std::vector<uint8_t> setAlmanacPayload(std::span<const uint16_t, 448> words);
std::vector<uint8_t> setEphemerisPayload(std::span<const uint16_t, 45> words);

} // namespace zeph::monitor
