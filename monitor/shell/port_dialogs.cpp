#include "monitor/shell/port_dialogs.h"

#include <algorithm>

#include "monitor/commands/command_builders.h"

#include <cctype>
#include <cstdlib>

namespace zeph::monitor {
namespace {

// A whole integer, optionally signed and surrounded by blanks; nothing for any other text.
std::optional<long> wholeInteger(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin) {
        return std::nullopt;
    }
    while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end))) {
        ++end;
    }
    if (*end != '\0') {
        return std::nullopt;
    }
    return value;
}

} // namespace

unsigned long leadingNumber(const std::string& text) {
    return std::strtoul(text.c_str(), nullptr, 10);
}

SerialPortSetup::SerialPortSetup(SerialPortRole role, const DataSourceSettings& current)
    : role_(role) {
    if (role_ == SerialPortRole::Main) {
        initial_ = {current.serBaud, current.serDbit, current.serPar, current.serSbit};
    } else {
        initial_ = {"9600", "8", "NONE", "1"};
    }
}

const char* SerialPortSetup::caption() const {
    return role_ == SerialPortRole::Main ? portdialog::kMainCaption : portdialog::kDgpsCaption;
}

SerialPortSetup::Lists SerialPortSetup::lists() const {
    const auto with = [](auto fixed, const std::string& current) {
        std::vector<std::string> entries(fixed.begin(), fixed.end());
        if (!current.empty() &&
            std::find(entries.begin(), entries.end(), current) == entries.end()) {
            entries.push_back(current);
        }
        return entries;
    };
    const std::array<const char*, 1> mainDataBits = {"8"}; // "7" is not offered
    const std::vector<std::string> dataBits = role_ == SerialPortRole::Main
                                                  ? with(mainDataBits, initial_.dataBits)
                                                  : with(portdialog::kDataBits, initial_.dataBits);
    return {with(portdialog::kBaudRates, initial_.baud), dataBits,
            with(portdialog::kParities, initial_.parity),
            with(portdialog::kStopBits, initial_.stopBits)};
}

uint8_t SerialPortSetup::mid() const {
    return role_ == SerialPortRole::Main ? 134 : 145;
}

UartConfiguration::UartConfiguration() {
    choices_[0].set = true;
    choices_[1].set = true;
    for (size_t uart = 0; uart < kUarts; ++uart) {
        refresh(uart);
    }
}

void UartConfiguration::setSet(size_t uart, bool set) {
    choices_[uart].set = set;
    refresh(uart);
}

void UartConfiguration::setProtocol(size_t uart, const std::string& protocol) {
    choices_[uart].protocol = protocol;
    refresh(uart);
}

void UartConfiguration::setLine(size_t uart, const LineValues& line) {
    UartChoice& c = choices_[uart];
    c.baud = line.baud;
    c.dataBits = line.dataBits;
    c.parity = line.parity;
    c.stopBits = line.stopBits;
}

// The protocols the monitor and a correction source speak fix the line but its rate; "No I/O"
// and no protocol have no line.
void UartConfiguration::refresh(size_t uart) {
    using namespace uartdialog;
    UartChoice& c = choices_[uart];
    UartGroupEnabling& e = enabling_[uart];
    if (!c.set) {
        e = {};
        return;
    }
    c = refreshUartChoice(c);
    const std::string& p = c.protocol;
    if (p == kBinary || p == kNmea || p == kRtcm) {
        e = {true, true, false, false, false};
    } else if (p == kNoIo || p.empty()) {
        e = {true, false, false, false, false};
    } else {
        e = {true, true, true, true, true};
    }
}

std::optional<std::string> UartConfiguration::check() const {
    return checkUartChoices(choices_);
}

uint32_t UartConfiguration::monitorBaud() const {
    return record()[monitorUart_].baud;
}

NmeaSetupEntries NmeaSetup::opening() {
    NmeaSetupEntries entries;
    setDefaults(entries);
    return entries;
}

void NmeaSetup::setDefaults(NmeaSetupEntries& entries) {
    entries.rates = {"1", "0", "1", "5", "1", "0", "0", "0", "0", "0"};
    entries.baud = "4800";
    entries.checksums = true;
}

void NmeaSetup::toggleDebugBox(NmeaSetupEntries& entries) {
    entries.debugShown = !entries.debugShown;
    if (!entries.debugShown) {
        entries.debugData = false;
    }
}

std::optional<std::string> NmeaSetup::check(const NmeaSetupEntries& entries) {
    using namespace nmeadialog;
    if (entries.baud.size() > static_cast<size_t>(kBaudMaxChars)) {
        std::string text = kTooLong;
        text.replace(text.find("%1"), 2, std::to_string(kBaudMaxChars));
        return text;
    }
    for (const std::string& rate : entries.rates) {
        const std::optional<long> n = wholeInteger(rate);
        if (!n || *n < 0 || *n > 255) {
            return std::string(kRateRange);
        }
    }
    const std::optional<long> baud = wholeInteger(entries.baud);
    if (!baud || *baud < 1) {
        return integerRangeText(1, kMaxNmeaBaud);
    }
    return nmeaBaudRefusal(static_cast<uint32_t>(*baud));
}

NmeaModeValues NmeaSetup::values(const NmeaSetupEntries& entries) {
    NmeaModeValues v;
    for (size_t i = 0; i < entries.rates.size(); ++i) {
        v.rates[i] = static_cast<uint8_t>(wholeInteger(entries.rates[i]).value_or(0));
    }
    v.checksums = entries.checksums;
    v.baud = static_cast<uint16_t>(wholeInteger(entries.baud).value_or(0));
    v.debugData = entries.debugData;
    return v;
}

const char* const uartdialog::kHelpText =
    "THESE CONFIGURATION ITEMS ARE INTENDED FOR SDK USERS ONLY.\n\nMany settings are not "
    "supported in the default Zeph reference designs.\nIt is possible to lose communication with "
    "the receiver through improper use\nof this UART configuration screen.  To regain "
    "communication, you can always\nremove the battery backup so that the ROM communication "
    "defaults are used.\n\nASIC UARTs are not available during Lullcycle 'CPU only' time "
    "periods.\nIdentical protocols can not be used concurrently on multiple serial ports.\nHW "
    "reference designs support two serial ports.\nSW reference designs don't support User "
    "protocols.\nUARTs for which the 'Set' checkbox is not enabled will remain at their current "
    "settings.\nAt least one command must be enabled to 'Set' for the command to be "
    "sent.\n\nThe Zephmon <--> Receiver UART selection is selectable so that Zephmon can "
    "adjust\ncommunication parameters to match.  Of course, if you have selected a protocol "
    "other \nthan Zeph Binary or NMEA, Zephmon will not be able to decode the information.\n";

} // namespace zeph::monitor
