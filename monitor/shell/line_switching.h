#pragma once

// The sequences that change the receiver's protocol or line and make the monitor's own port
// follow: switch to NMEA, switch to binary, synchronise protocol and baud rate, set the main and
// DGPS ports, the UART configuration, and the receiver initialisation with its wait for the
// acknowledgement of a baud change and its periodic repeat. The receiver's protocol and rate are
// never read back: the monitor assumes every switch it ordered took place.

#include "monitor/commands/command_builders.h"
#include "monitor/messages/program_state.h"
#include "monitor/shell/port_dialogs.h"
#include "monitor/shell/settings.h"

#include "common/clock/clock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zeph::monitor {

// Log lines of the switches.
constexpr std::string_view kNmeaModeSentLog = "Sent MID_SetNMEAMode Message: Enable\n";
constexpr std::string_view kToBinarySentLog =
    "$ZUVE100... sent to switch to Zeph protocol at 38400\n";
constexpr std::string_view kIllegalNmeaModeLog = "Illegal NMEA mode operation\n";

// The rates synchronisation tries, in order, and the line it leaves the receiver on.
constexpr std::array<const char*, 8> kSyncBauds = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};
constexpr const char* kBinaryBaud = "38400";
// Navigation-library and debug data need at least this rate.
constexpr const char* kDevelopmentDataBaud = "57600";

// The switch types of the protocol command.
constexpr int kSwitchToNmea = 2;
constexpr int kSwitchToBinary = 3;

// Reset configuration bits of the initialisation.
constexpr int kResetFactory = 0x08;
constexpr int kResetNavLibData = 0x10;
constexpr int kResetDebugData = 0x20;

// What the sequences work with: the feed, its settings and its source.
class LineControl {
public:
    virtual ~LineControl() = default;
    // The settings as last saved.
    virtual DataSourceSettings savedLine() const = 0;
    virtual ReceiverInitSettings savedInit() const = 0;
    virtual void saveLine(const DataSourceSettings& settings) = 0;
    virtual void closeSource() = 0;
    // A new source from the saved settings; false when it does not open, and the sequence ends.
    virtual bool openSource() = 0;
    // MID 134 (main port) or MID 145 (DGPS port) with the four line strings.
    virtual void sendSetSerialPort(uint8_t mid, const LineValues& line) = 0;
    virtual void sendNmeaMode(const NmeaModeValues& values) = 0;
    virtual void sendUartConfiguration(const UartConfigRecord& record) = 0;
    // MID 128 from the initialisation settings.
    virtual void sendInitialisationMessage(const ReceiverInitSettings& init) = 0;
    virtual void sendNmea(std::string_view body) = 0;
    virtual void writeLog(std::string_view text) = 0;
};

class LineSwitching {
public:
    LineSwitching(LineControl& control, ProgramState& state, Clock& clock)
        : control_(control), state_(state), clock_(clock) {}

    // Type 2 with the NMEA Setup dialog's values (none: the dialog was cancelled), type 3 to
    // binary; any other type is logged as illegal.
    void switchProtocol(int type, const std::optional<NmeaModeValues>& nmea);
    void synchronise();
    void setMainSerialPort(const LineValues& line);
    void setDgpsSerialPort(const LineValues& line);
    // `monitorBaud` is the baud of the entry of the monitor's UART; 0 keeps the monitor's rate.
    void configureUarts(const UartConfigRecord& record, uint32_t monitorBaud);
    // After the initialisation dialog's OK.
    void initialise();
    // MID 128 now; ends any wait for an acknowledgement.
    void sendInitialisation();
    // Repeats the initialisation every `seconds` (0: never), counted from now.
    void setPeriodicInitialisation(int seconds);
    int periodicInitialisation() const { return periodSeconds_; }
    // The serial source's one-second tick.
    void secondTick();

private:
    bool reopen();
    void endInitialisationWait();
    void storeBaud(const std::string& baud);

    LineControl& control_;
    ProgramState& state_;
    Clock& clock_;
    int periodSeconds_ = 0;
    Clock::TimePoint lastInitialisation_{};
};

} // namespace zeph::monitor
