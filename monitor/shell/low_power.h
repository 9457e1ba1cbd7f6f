#pragma once

// The rules of the Low Power dialog: its lists and opening values (always the defaults, no
// current-settings poll), what each mode, the target software and the list-only flag enable or
// show, and the checks of Send in their order with the two messages it sends (MID 151, then
// MID 167). The Qt dialog only shows them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::monitor {

namespace lowpower {

constexpr const char* kCaption = "Low Power";
constexpr const char* kSend = "Send";
constexpr const char* kCancel = "Cancel";
constexpr const char* kModeGroup = "Mode";
constexpr std::array<const char*, 3> kModes = {"&Continuous", "&Lullcycle", "&Wake-On-Demand"};
constexpr const char* kAdaptive = "&Adaptive mode";
constexpr const char* kUpdateRate = "Update rate (sec):";
constexpr std::array<const char*, 10> kUpdateRates = {"1", "2", "3", "4", "5",
                                                      "6", "7", "8", "9", "10"};
constexpr const char* kOnTime = "On time (ms):";
constexpr std::array<const char*, 8> kOnTimes = {"200", "300", "400", "500",
                                                 "600", "700", "800", "900"};
constexpr const char* kMaxOffTime = "Maximum off time (ms):";
constexpr const char* kMaxSearchTime = "Maximum search time (ms):";
constexpr const char* kPeriod = "Wake-On-Demand period (sec):";
constexpr const char* kInvalidGroup = "Invalid setting";
constexpr const char* kInvalidText = "1\n&&\n700 - 900";

constexpr const char* kSelectRate = "Select update rate from list";
constexpr const char* kSelectOnTime = "Select on-time from list";
constexpr const char* kEnterInteger = "Please enter an integer.";

} // namespace lowpower

enum PowerMode : int { kContinuous = 0, kLullcycle = 1, kWakeOnDemand = 2 };

struct LowPowerFields {
    int mode = kContinuous;
    bool adaptive = false;
    std::string updateRate = "1";
    std::string onTime = "200";
    std::string maxOffTime = "30000";
    std::string maxSearchTime = "120000";
    std::string period = "1800";
    bool listOnly = true; // set on opening; a right double-click toggles it
    bool operator==(const LowPowerFields&) const = default;
};

// What the mode, the target software class and the list-only flag enable and show.
struct LowPowerEnabling {
    bool timing = false;       // update rate, on time, maximum off and search times
    bool adaptive = false;     // Lullcycle, with software 2.3 or higher or not known yet
    bool period = false;       // Wake-On-Demand, with software 2.1 or higher or not known yet
    bool invalidGroup = false; // shown in Lullcycle while the lists take only their entries
    bool operator==(const LowPowerEnabling&) const = default;
};
LowPowerEnabling lowPowerEnabling(const LowPowerFields& fields, int targetSwClass);

// What Send leaves: MID 151 and MID 167 in sending order, and whether the monitor stops
// detecting the target software (an update rate above 4 s); or the message that keeps the
// dialog open.
struct LowPowerSend {
    std::vector<std::vector<uint8_t>> payloads;
    bool stopAutoDetect = false;
    std::optional<std::string> refusal;
};
LowPowerSend lowPowerSend(const LowPowerFields& fields);

} // namespace zeph::monitor
