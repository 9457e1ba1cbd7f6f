#include "uart_config.h"

#include <cstdlib>

namespace zeph::monitor {
namespace {

constexpr std::string_view kNoIo = "No I/O";

bool valid(const UartChoice& c) {
    return !c.set || c.protocol == kNoIo ||
           (!c.protocol.empty() && !c.baud.empty() && !c.dataBits.empty() && !c.stopBits.empty() &&
            !c.parity.empty());
}

uint32_t number(const std::string& text) {
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

} // namespace

uint8_t uartProtocolCode(std::string_view text) {
    static constexpr std::pair<std::string_view, uint8_t> kCodes[] = {
        {"Zeph Binary", 0}, {"NMEA", 1},   {"ASCII", 2},  {"RTCM-DGPS", 3}, {"User 1", 4},
        {"No I/O", 5},      {"User 2", 6}, {"User 3", 7}, {"User 4", 8},
    };
    for (const auto& [name, code] : kCodes) {
        if (text == name) {
            return code;
        }
    }
    return kNoIoProtocol;
}

uint8_t parityCode(std::string_view text) {
    return text == "ODD" ? 1 : text == "EVEN" ? 2 : 0;
}

UartChoice refreshUartChoice(UartChoice c, bool keepBaud) {
    const char* baud = c.protocol == "Zeph Binary" ? "19200"
                       : c.protocol == "NMEA"      ? "4800"
                       : c.protocol == "RTCM-DGPS" ? "9600"
                                                   : nullptr;
    if (baud != nullptr) {
        c.dataBits = "8";
        c.stopBits = "1";
        c.parity = "NONE";
        if (!keepBaud || c.baud.empty()) {
            c.baud = baud;
        }
    } else if (c.protocol.empty() || c.protocol == kNoIo) {
        c.baud.clear();
        c.dataBits.clear();
        c.stopBits.clear();
        c.parity.clear();
    }
    return c;
}

std::optional<std::string> checkUartChoices(const UartChoices& choices) {
    bool allValid = true;
    std::string report;
    for (size_t i = 0; i < kUartCount; ++i) {
        const bool ok = valid(choices[i]);
        allValid = allValid && ok;
        report += "Uart " + std::to_string(i) + ":  " + (ok ? "Valid\n" : "Invalid\n");
    }
    if (!allValid) {
        return "Protocol, Baud, Data Bits, Stop Bits, and Parity must be Selected for\neach UART "
               "command that is 'Set' and Protocol selection is Not 'No I/O'.\n\n" +
               report;
    }
    for (size_t i = 0; i < kUartCount; ++i) {
        for (size_t j = i + 1; j < kUartCount; ++j) {
            const UartChoice& a = choices[i];
            const UartChoice& b = choices[j];
            if (a.set && b.set && a.protocol == b.protocol && a.protocol != kNoIo) {
                return std::string("Identical protocols can not be used concurrently on multiple "
                                   "UARTs.");
            }
        }
    }
    for (const UartChoice& c : choices) {
        if (c.set) {
            return std::nullopt;
        }
    }
    return std::string(
        "At least one command must be enabled to 'Set' for the command to be sent.\n");
}

UartConfigRecord uartConfigRecord(const UartChoices& choices) {
    UartConfigRecord record;
    for (size_t i = 0; i < kUartCount; ++i) {
        const UartChoice& c = choices[i];
        UartEntry& e = record[i];
        if (!c.set) {
            continue; // port 0xFF, protocol 5, line fields 0
        }
        e.port = static_cast<uint8_t>(i);
        e.protocol = uartProtocolCode(c.protocol);
        if (e.protocol == kNoIoProtocol) {
            continue;
        }
        e.baud = number(c.baud);
        e.dataBits = static_cast<uint8_t>(number(c.dataBits));
        e.stopBits = static_cast<uint8_t>(number(c.stopBits));
        e.parity = parityCode(c.parity);
    }
    return record;
}

} // namespace zeph::monitor
