#pragma once

// The rules of the Receiver Initialization dialog: what its controls show when it opens from
// the "RcvrInit" settings, what each reset mode and the PC-time box enable, the position file
// of "&Load...", and the checks of Send in their order with the settings and the periodic reset
// it leaves. The Qt dialog only shows them; the main frame stores the result and sends MID 128.

#include "monitor/commands/position_file.h"
#include "monitor/shell/settings.h"

#include <array>
#include <optional>
#include <string>

namespace zeph::monitor {

namespace initdialog {

constexpr const char* kCaption = "Receiver Initialization";
constexpr const char* kSend = "Send";
constexpr const char* kCancel = "Cancel";
constexpr const char* kPosition = "Position:";
constexpr const char* kLoad = "&Load...";
constexpr const char* kX = "X (m):";
constexpr const char* kY = "Y (m):";
constexpr const char* kZ = "Z (m):";
constexpr const char* kClockOffset = "Clock offset (Hz):";
constexpr const char* kUsePcTime = "&Use current PC time";
constexpr const char* kUtcOffset = "UTC offset (s):";
constexpr const char* kWeek = "Week number:";
constexpr const char* kTimeOfWeek = "Time of week (s):";
constexpr const char* kChannels = "Channels:";
constexpr const char* kResetGroup = "Reset mode";
constexpr std::array<const char*, 5> kResetModes = {
    "&Hot Start", "&Warm Start (No init)", "Warm Start (&Init)", "&Cold Start", "&Factory Reset"};
constexpr std::array<int, 5> kResetCodes = {0, 2, 3, 4, 8};
constexpr const char* kMessagesGroup = "Messages";
constexpr const char* kNavLibData = "Enable &Nav Lib Data";
constexpr const char* kDebugData = "Enable &Debug Data";
constexpr const char* kPeriodGroup = "Periodic reset";
constexpr const char* kPeriodLabel = "(0; 5 to 600-s):";
constexpr std::array<const char*, 8> kPeriods = {"0",   "30",  "60",  "120",
                                                 "180", "240", "300", "600"};

constexpr const char* kChannelsRefusal = "Number of channels is out of range.";
constexpr const char* kPeriodRefusal = "Reset period is out of range.";
constexpr const char* kEnterInteger = "Please enter an integer.";
constexpr const char* kEnterPositiveInteger = "Please enter a positive integer.";

} // namespace initdialog

// Reset mode codes of the reset byte's low nibble.
enum ResetMode : int {
    kHotStart = 0,
    kWarmNoInit = 2,
    kWarmInit = 3,
    kColdStart = 4,
    kFactoryReset = 8
};

// The dialog's controls as texts, checks and the chosen radio.
struct ReceiverInitFields {
    std::string x = "0";
    std::string y = "0";
    std::string z = "0";
    std::string clockOffset = "0";
    bool usePcTime = false;
    std::string utcOffset = "13";
    std::string week = "0";
    std::string timeOfWeek = "0"; // seconds
    std::string channels = "12";
    int resetMode = kFactoryReset; // a code; one no radio stands for is kept as it is
    bool navLibData = false;
    bool debugData = false;
    std::string period = "0";
    bool operator==(const ReceiverInitFields&) const = default;
};

// The opening values: the stored settings (a number the settings file holds as text shown as the
// integer it begins with), the time of week in whole seconds, the reset byte's low nibble as the
// mode and bits 4 and 5 as the checks, the periodic reset at "0".
ReceiverInitFields receiverInitFields(const ReceiverInitSettings& stored);

// What is enabled for the fields' reset mode and PC-time box.
struct ReceiverInitEnabling {
    bool position = false;   // label, Load, X, Y, Z, clock offset, channels, the PC-time box
    bool weekAndTow = false; // week number and time of week
    bool utcOffset = false;
    bool messageChecks = false;
    bool operator==(const ReceiverInitEnabling&) const = default;
};
ReceiverInitEnabling receiverInitEnabling(const ReceiverInitFields& fields);

// "&Load...": the position file's X, Y, Z and clock offset into the fields.
void applyPosition(ReceiverInitFields& fields, const Position& position);

// What Send leaves: the settings to store and the periodic reset in seconds (0: off).
struct ReceiverInitAccepted {
    ReceiverInitSettings settings;
    int periodSeconds = 0;
    bool operator==(const ReceiverInitAccepted&) const = default;
};
struct ReceiverInitSend {
    std::optional<ReceiverInitAccepted> accepted;
    std::string refusal; // the message that keeps the dialog open
};
// The framework's checks of the number fields in form order, then the channel count and the
// reset period; a factory reset clears both message checks.
ReceiverInitSend receiverInitSend(const ReceiverInitFields& fields);

} // namespace zeph::monitor
