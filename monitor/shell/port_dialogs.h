#pragma once

// The rules of the three dialogs that set how the receiver's serial ports talk: Serial Port (the
// main port and the DGPS port), UART Configuration and NMEA Setup. Their texts, lists, what each
// control shows and enables, the checks on Send in their order and the values Send hands on. The
// Qt dialogs only show them.

#include "monitor/commands/uart_config.h"
#include "monitor/shell/settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::monitor {

namespace portdialog {

constexpr const char* kSend = "Send";
constexpr const char* kCancel = "Cancel";

constexpr const char* kTemplateCaption = "Serial Port";
constexpr const char* kMainCaption = "Set Serial Port Parameters";
constexpr const char* kDgpsCaption = "Set DGPS Serial Port Parameters";
constexpr const char* kBaudLabel = "Baud rate";
constexpr const char* kDataBitsLabel = "Data bits";
constexpr const char* kParityLabel = "Parity";
constexpr const char* kStopBitsLabel = "Stop bits";

constexpr std::array<const char*, 8> kBaudRates = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};
constexpr std::array<const char*, 2> kDataBits = {"7", "8"};
constexpr std::array<const char*, 3> kParities = {"NONE", "ODD", "EVEN"};
constexpr std::array<const char*, 2> kStopBits = {"0", "1"};

} // namespace portdialog

// The four line values as the settings file and the lists hold them.
struct LineValues {
    std::string baud;
    std::string dataBits;
    std::string parity;
    std::string stopBits;

    bool operator==(const LineValues&) const = default;
};

// The leading decimal number of a text, as the line strings are read ("57600" is 57600, "8 bits"
// is 8, "" and "NONE" are 0).
unsigned long leadingNumber(const std::string& text);

enum class SerialPortRole { Main, Dgps };

// Set Main Serial Port changes only the baud rate of the line the monitor is on (the other
// three lists are disabled and "7" is not offered); Set DGPS Serial Port sets all four of the
// receiver's other port and leaves the monitor's line alone.
class SerialPortSetup {
public:
    SerialPortSetup(SerialPortRole role, const DataSourceSettings& current);

    SerialPortRole role() const { return role_; }
    const char* caption() const;
    const LineValues& initial() const { return initial_; }
    // The entries of the four lists. The monitor's own values stay in them where the fixed
    // entries lack them (a rate given on the command line, 7 data bits of the main port), so
    // Send never sends or stores an empty value.
    struct Lists {
        std::vector<std::string> baud;
        std::vector<std::string> dataBits;
        std::vector<std::string> parity;
        std::vector<std::string> stopBits;
    };
    Lists lists() const;
    bool onlyBaudEditable() const { return role_ == SerialPortRole::Main; }
    // The command that carries the values: MID 134 for the main port, MID 145 for DGPS.
    uint8_t mid() const;

private:
    SerialPortRole role_;
    LineValues initial_;
};

namespace uartdialog {

constexpr const char* kTitle = "UART Configuration";
constexpr std::array<const char*, 4> kGroups = {"UART 0 (CPU SCIO 0)", "UART 1 (CPU SCIO 1)",
                                                "UART 2 (Vireo Port A)", "UART 3 (Vireo Port B)"};
constexpr const char* kSet = "Set";
constexpr const char* kProtocolLabel = "Protocol";
constexpr const char* kBaudLabel = "Baud Rate";
constexpr const char* kDataBitsLabel = "Data Bits";
constexpr const char* kParityLabel = "Parity";
constexpr const char* kStopBitsLabel = "Stop Bits";
constexpr const char* kHelp = "Help";
constexpr const char* kMonitorUart = "Zephmon <--> Receiver UART";
constexpr std::array<const char*, 4> kMonitorUarts = {"UART 0", "UART 1", "UART 2", "UART 3"};

constexpr const char* kBinary = "Zeph Binary";
constexpr const char* kNmea = "NMEA";
constexpr const char* kRtcm = "RTCM-DGPS";
constexpr const char* kNoIo = "No I/O";
// List order, which is not the order of the protocol codes.
constexpr std::array<const char*, 9> kProtocols = {kBinary,  kNmea,    "ASCII",  kRtcm, "User 1",
                                                   "User 2", "User 3", "User 4", kNoIo};

constexpr const char* kWarning = "Warning !  Improper use of this \nconfiguration dialog can cause "
                                 "\nreceiver communications to be lost !\n\n";
constexpr const char* kSdkOnly = "THESE CONFIGURATION ITEMS ARE INTENDED FOR SDK USERS ONLY.\n\n";

extern const char* const kHelpText;

} // namespace uartdialog

// Which of a group's lists may be used.
struct UartGroupEnabling {
    bool protocol = false;
    bool baud = false;
    bool dataBits = false;
    bool parity = false;
    bool stopBits = false;

    bool operator==(const UartGroupEnabling&) const = default;
};

// The dialog's four groups over the command's rules (monitor/commands/uart_config.h): which
// lists a group enables, and the monitor's own UART.
class UartConfiguration {
public:
    static constexpr size_t kUarts = kUartCount;

    // Opening: UART 0 and 1 set, 2 and 3 clear, every list empty, the monitor on UART 0.
    UartConfiguration();

    const UartChoice& group(size_t uart) const { return choices_[uart]; }
    const UartGroupEnabling& enabling(size_t uart) const { return enabling_[uart]; }
    // The "Set" box was clicked, or a protocol chosen: the group is refreshed.
    void setSet(size_t uart, bool set);
    void setProtocol(size_t uart, const std::string& protocol);
    // A list the user may change keeps what was chosen.
    void setLine(size_t uart, const LineValues& line);
    size_t monitorUart() const { return monitorUart_; }
    void setMonitorUart(size_t uart) { monitorUart_ = uart; }

    // Send: the first check that fails, with its message; nothing when the command may go.
    std::optional<std::string> check() const;
    UartConfigRecord record() const { return uartConfigRecord(choices_); }
    // The baud rate of the monitor's UART entry; 0 when that entry carries none (its "Set" box is
    // clear, or it has no I/O), and then the monitor keeps its own rate.
    uint32_t monitorBaud() const;

private:
    void refresh(size_t uart);

    UartChoices choices_;
    std::array<UartGroupEnabling, kUarts> enabling_;
    size_t monitorUart_ = 0;
};

namespace nmeadialog {

constexpr const char* kTitle = "NMEA Setup";
constexpr const char* kRateHeading = "Update rate (1/n-sec; 0 to 255)";
constexpr size_t kSentences = 10;
constexpr std::array<const char*, kSentences> kRateLabels = {
    "GGA:", "GLL:", "GSA:", "GSV:", "RMC:", "VTG:", "MSS:", "User 8:", "User 9:", "User 10:"};
constexpr std::array<const char*, 11> kRateEntries = {"0", "1", "2", "3", "4", "5",
                                                      "6", "7", "8", "9", "10"};
constexpr const char* kBaudLabel = "Baud rate";
// 115200 is not offered: the command carries the rate in 16 bits (kNmeaBaudRefusal).
constexpr std::array<const char*, 7> kBaudRates = {"1200",  "2400",  "4800", "9600",
                                                   "19200", "38400", "57600"};
constexpr int kBaudMaxChars = 5;
constexpr const char* kChecksums = "&Use checksums";
constexpr const char* kSetDefaults = "Set &Defaults";
constexpr const char* kDebugData = "&Enable debug data";
constexpr const char* kNote = "Note:\nThe User message rate settings will only apply if the User "
                              "has created new NMEA Output messages using the SDK.";

constexpr const char* kRateRange = "Update Rate must be 0 to 255";
constexpr const char* kTooLong = "Please enter no more than %1 characters.";

} // namespace nmeadialog

struct NmeaSetupEntries {
    std::array<std::string, nmeadialog::kSentences> rates;
    std::string baud;
    bool checksums = true;
    bool debugShown = false; // the hidden "Enable debug data" box
    bool debugData = false;

    bool operator==(const NmeaSetupEntries&) const = default;
};

// What Send hands to the set-NMEA-mode command and the switch that follows it.
struct NmeaModeValues {
    std::array<uint8_t, nmeadialog::kSentences> rates{};
    bool checksums = true;
    uint16_t baud = 0;
    bool debugData = false;

    bool operator==(const NmeaModeValues&) const = default;
};

struct NmeaSetup {
    // Opening: the defaults, the debug box hidden and clear.
    static NmeaSetupEntries opening();
    // "Set &Defaults": rates, baud and checksums; the debug box stays as it is.
    static void setDefaults(NmeaSetupEntries& entries);
    // A right-button double-click shows or hides the debug box; hiding it clears it.
    static void toggleDebugBox(NmeaSetupEntries& entries);
    // Send: the message of the first failed check (a baud text too long for its field, a rate
    // outside 0 to 255, a baud that is no number or one the 16-bit field cannot carry); nothing
    // when it may go.
    static std::optional<std::string> check(const NmeaSetupEntries& entries);
    static NmeaModeValues values(const NmeaSetupEntries& entries);
};

} // namespace zeph::monitor
