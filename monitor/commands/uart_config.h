#pragma once

// The receiver's four UARTs as the UART configuration command sets them: what the dialog's
// groups hold, the checks before sending, and the 49-byte record.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

constexpr size_t kUartCount = 4;
constexpr uint8_t kUartNotSet = 0xFF; // port byte of an entry the receiver leaves as it is
constexpr uint8_t kNoIoProtocol = 5;

// One group of the dialog: its "Set" box and the texts of its five lists ("" when empty).
struct UartChoice {
    bool set = false;
    std::string protocol;
    std::string baud;
    std::string dataBits;
    std::string stopBits;
    std::string parity;
};
using UartChoices = std::array<UartChoice, kUartCount>;

// One 12-byte entry of the command, in wire values.
struct UartEntry {
    uint8_t port = kUartNotSet;
    uint8_t protocol = kNoIoProtocol; // sent as both the input and the output protocol
    uint32_t baud = 0;
    uint8_t dataBits = 0;
    uint8_t stopBits = 0;
    uint8_t parity = 0;
};
using UartConfigRecord = std::array<UartEntry, kUartCount>;

// "Zeph Binary" 0, "NMEA" 1, "ASCII" 2, "RTCM-DGPS" 3, "User 1" 4, "No I/O" 5, "User 2" 6 ...
// "User 4" 8; any other text 5.
uint8_t uartProtocolCode(std::string_view text);
// 1 for "ODD", 2 for "EVEN", else 0.
uint8_t parityCode(std::string_view text);

// What the dialog's refresh makes of a group when its protocol is chosen: the fixed line of
// "Zeph Binary", "NMEA" and "RTCM-DGPS" (their baud only where `keepBaud` is false), the
// cleared lists of "No I/O" or no protocol, the other protocols as they are.
UartChoice refreshUartChoice(UartChoice choice, bool keepBaud = false);

// The dialog's checks in order; the message box text of the first that fails, or none.
std::optional<std::string> checkUartChoices(const UartChoices& choices);

// The entries of choices that passed the checks.
UartConfigRecord uartConfigRecord(const UartChoices& choices);

} // namespace zeph::monitor
