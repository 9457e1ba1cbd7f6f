#include "command_catalogue.h"

#include "gps_time.h"
#include "uart_config.h"

#include <cmath>

namespace zeph::monitor {
namespace {

using T = FieldType;
using K = ValueKind;

// Row makers, so each table reads as offset, type, name and the dialog's terms.
constexpr CommandField fixed(int16_t at, T type, const char* name, double value, double scale = 1) {
    return {at, type, name, FieldUse::Constant, value, scale};
}
constexpr CommandField derived(int16_t at, T type, const char* name, double def = 0) {
    return {at, type, name, FieldUse::Derived, def};
}
// What a signed 32-bit field carries: a value beyond it is refused, not wrapped.
constexpr double kI32Min = -2147483648.0;
constexpr double kI32Max = 2147483647.0;

constexpr CommandField integer(int16_t at, T type, const char* name, const char* label, double def,
                               double min = 0, double max = 0, const char* refusal = nullptr) {
    return {at, type, name, FieldUse::User, def, 1, K::Integer, label, min, max, {}, refusal};
}
constexpr CommandField real(int16_t at, T type, const char* name, const char* label, double def,
                            double scale, double min, double max) {
    return {at, type, name, FieldUse::User, def, scale, K::Real, label, min, max};
}
constexpr CommandField check(int16_t at, T type, const char* name, const char* label, bool def) {
    return {at, type, name, FieldUse::User, def ? 1.0 : 0.0, 1, K::Check, label};
}
constexpr CommandField choice(int16_t at, T type, const char* name, const char* label,
                              std::span<const Choice> entries, double def) {
    return {at, type, name, FieldUse::User, def, 1, K::Choice, label, 0, 0, entries};
}
constexpr CommandField words(int16_t at, const char* name, uint16_t count) {
    CommandField f{at, T::U16, name, FieldUse::Derived};
    f.count = count;
    return f;
}

constexpr CommandField kPollRows[] = {fixed(1, T::U8, "reserved", 0)};

constexpr Choice kBauds[] = {{"1200", 1200},   {"2400", 2400},    {"4800", 4800},
                             {"9600", 9600},   {"19200", 19200},  {"38400", 38400},
                             {"57600", 57600}, {"115200", 115200}};
constexpr Choice kDataBits[] = {{"7", 7}, {"8", 8}};
constexpr Choice kParities[] = {{"NONE", 0}, {"ODD", 1}, {"EVEN", 2}};
constexpr Choice kStopBits[] = {{"0", 0}, {"1", 1}};

// MID 128
constexpr Choice kResetModes[] = {{"&Hot Start", 0},
                                  {"&Warm Start (No init)", 2},
                                  {"Warm Start (&Init)", 3},
                                  {"&Cold Start", 4},
                                  {"&Factory Reset", 8}};
constexpr CommandField kInit[] = {
    integer(1, T::I32, "x", "X (m):", 0, kI32Min, kI32Max),
    integer(5, T::I32, "y", "Y (m):", 0, kI32Min, kI32Max),
    integer(9, T::I32, "z", "Z (m):", 0, kI32Min, kI32Max),
    integer(13, T::I32, "clock-offset", "Clock offset (Hz):", 0, kI32Min, kI32Max),
    check(kNotSent, T::U8, "use-current-pc-time", "&Use current PC time", false),
    integer(kNotSent, T::U32, "utc-offset", "UTC offset (s):", 13, 0, 4294967295.0),
    integer(kNotSent, T::U16, "week-number", "Week number:", 0, 0, 65535),
    integer(kNotSent, T::U32, "time-of-week", "Time of week (s):", 0, 0, 42949672),
    derived(17, T::U32, "tow"), // hundredths of a second
    derived(21, T::U16, "week"),
    integer(23, T::U8, "channels", "Channels:", 12, 0, 12, "Number of channels is out of range."),
    choice(kNotSent, T::U8, "reset-mode", "Reset mode", kResetModes, 8),
    check(kNotSent, T::U8, "enable-nav-lib-data", "Enable &Nav Lib Data", false),
    check(kNotSent, T::U8, "enable-debug-data", "Enable &Debug Data", false),
    derived(24, T::U8, "reset-config"),
    derived(kNotSent, T::U32, "pc-clock"), // the caller's UTC, ms since 1970
};
std::optional<std::string> initRule(CommandValues& v) {
    if (v.integer("reset-mode") == 8) {
        v.set("enable-nav-lib-data", 0);
        v.set("enable-debug-data", 0);
    }
    v.set("reset-config",
          static_cast<double>(v.integer("reset-mode") |
                              (v.integer("enable-nav-lib-data") != 0 ? 0x10 : 0) |
                              (v.integer("enable-debug-data") != 0 ? 0x20 : 0) | 0x80));
    if (v.integer("use-current-pc-time") == 0) {
        v.set("week", v.get("week-number"));
        v.set("tow", std::round(v.get("time-of-week") * 100));
        return std::nullopt;
    }
    const auto time = gpsTimeFromPcClock(utcTimeFromUnixMs(v.integer("pc-clock")),
                                         static_cast<unsigned>(v.integer("utc-offset")));
    if (!time) {
        return std::string(kUtcOffsetRefusal);
    }
    v.set("week", time->week);
    v.set("tow", time->tow);
    return std::nullopt;
}

// MID 129
constexpr const char* kRateRefusal = "Update Rate must be 0 to 255";
#define ZEPH_NMEA_RATE(i, name, label, def)                                                        \
    integer(2 + 2 * (i), T::U8, name, label, def, 0, 255, kRateRefusal),                           \
        derived(3 + 2 * (i), T::U8, name "-checksum")
constexpr CommandField kNmeaMode[] = {
    fixed(1, T::U8, "debug-mode", 2),
    ZEPH_NMEA_RATE(0, "gga", "GGA:", 1),
    ZEPH_NMEA_RATE(1, "gll", "GLL:", 0),
    ZEPH_NMEA_RATE(2, "gsa", "GSA:", 1),
    ZEPH_NMEA_RATE(3, "gsv", "GSV:", 5),
    ZEPH_NMEA_RATE(4, "rmc", "RMC:", 1),
    ZEPH_NMEA_RATE(5, "vtg", "VTG:", 0),
    ZEPH_NMEA_RATE(6, "mss", "MSS:", 0),
    ZEPH_NMEA_RATE(7, "user-8", "User 8:", 0),
    ZEPH_NMEA_RATE(8, "user-9", "User 9:", 0),
    ZEPH_NMEA_RATE(9, "user-10", "User 10:", 0),
    integer(22, T::U16, "baud-rate", "Baud rate", 4800, 0, kMaxNmeaBaud, kNmeaBaudRefusal),
    check(kNotSent, T::U8, "use-checksums", "&Use checksums", true),
    check(kNotSent, T::U8, "enable-debug-data", "&Enable debug data", false),
};
#undef ZEPH_NMEA_RATE
std::optional<std::string> nmeaModeRule(CommandValues& v) {
    for (const CommandField& f : kNmeaMode) {
        if (f.use == FieldUse::Derived) {
            v.set(f.name, v.get("use-checksums"));
        }
    }
    return std::nullopt;
}

constexpr CommandField kAlmanac[] = {words(1, "words", 448)};
constexpr CommandField kEphemeris[] = {words(1, "words", 45)};
constexpr CommandField kPollEphemeris[] = {fixed(1, T::U8, "satellite", 0)};

// MID 133
constexpr Choice kDgpsSources[] = {{"&None", 0},
                                   {"&SBAS channel", 1},
                                   {"&External RTCM data (serial port B)", 2},
                                   {"&Internal DGPS beacon receiver", 3}};
constexpr Choice kBitRates[] = {{"50", 50}, {"100", 100}, {"200", 200}};
constexpr CommandField kDgpsSource[] = {
    choice(1, T::U8, "source", "Source", kDgpsSources, 2),
    check(kNotSent, T::U8, "auto-scan-frequency", "Auto scan &Frequency", true),
    integer(2, T::U32, "frequency", "&Frequency (Hz)", 300000, 283500, 325000),
    check(kNotSent, T::U8, "auto-scan-bit-rate", "Auto scan &Bit rate", true),
    choice(6, T::U8, "bit-rate", "&Bit rate (bps)", kBitRates, 100),
};
std::optional<std::string> dgpsSourceRule(CommandValues& v) {
    if (v.integer("auto-scan-frequency") != 0) {
        v.set("frequency", 0);
    }
    if (v.integer("auto-scan-bit-rate") != 0) {
        v.set("bit-rate", 0);
    }
    return std::nullopt;
}
void dgpsSourceFromEcho(CommandValues& v) {
    v.set("auto-scan-frequency", v.integer("frequency") == 0 ? 1 : 0);
    v.set("auto-scan-bit-rate", v.integer("bit-rate") == 0 ? 1 : 0);
    if (v.integer("frequency") == 0) {
        v.set("frequency", 300000);
    }
    if (v.integer("bit-rate") == 0) {
        v.set("bit-rate", 100);
    }
}

// MID 134 and MID 145
// The main port's dialog changes the baud rate only; the rest is the monitor's own line.
constexpr CommandField kMainPort[] = {
    choice(1, T::U32, "baud-rate", "Baud rate", kBauds, 38400),
    derived(5, T::U8, "data-bits", 8),
    derived(6, T::U8, "stop-bits", 1),
    derived(7, T::U8, "parity", 0),
};
constexpr CommandField kDgpsPort[] = {
    choice(1, T::U32, "baud-rate", "Baud rate", kBauds, 9600),
    choice(5, T::U8, "data-bits", "Data bits", kDataBits, 8),
    choice(6, T::U8, "stop-bits", "Stop bits", kStopBits, 1),
    choice(7, T::U8, "parity", "Parity", kParities, 0),
};

constexpr CommandField kSetProtocol[] = {fixed(1, T::U8, "protocol", 4)};

// MID 136
constexpr Choice kDegradedModes[] = {{"&Use direction then clock hold", 0},
                                     {"U&se clock then direction hold", 1},
                                     {"&Direction (curb) hold only", 2},
                                     {"&Clock (time) hold only", 3},
                                     {"D&isable degraded mode", 4}};
constexpr Choice kAltitudeHold[] = {
    {"Aut&omatic", 0}, {"Al&ways", 1}, {"Disable altitude &hold", 2}};
constexpr Choice kAltitudeSources[] = {{"&Last computed altitude", 0}, {"&Fixed altitude (m)", 1}};
constexpr CommandField kNavMode[] = {
    fixed(2, T::U8, "always-one", 1),
    choice(3, T::U8, "degraded-mode", "Degraded mode", kDegradedModes, 1),
    check(5, T::U8, "enable-dr-mode", "Enable DR &mode", true),
    integer(6, T::I16, "fixed-altitude", "&Fixed altitude (m)", 0, -1000, 10000),
    choice(8, T::U8, "altitude-hold-mode", "Altitude hold mode:", kAltitudeHold, 0),
    choice(9, T::U8, "altitude-source", "Altitude source", kAltitudeSources, 0),
    integer(11, T::U8, "degraded-timeout", "Timeout (s):", 30, 0, 120),
    integer(12, T::U8, "dr-timeout", "Timeout (s):", 15, 0, 120),
    check(13, T::U8, "enable-track-smoothing", "Enable &Track Smoothing", true),
};
std::optional<std::string> navModeRule(CommandValues& v) {
    if (v.integer("enable-dr-mode") == 0) {
        v.set("dr-timeout", 0);
    }
    if (v.integer("altitude-hold-mode") == 1) {
        v.set("altitude-source", 1);
    }
    return std::nullopt;
}

// MID 137
constexpr Choice kDopModes[] = {{"&Auto PDOP/HDOP", 0},
                                {"Use &PDOP only", 1},
                                {"Use &HDOP only", 2},
                                {"Use &GDOP only", 3},
                                {"&Do not use", 4}};
constexpr CommandField kDopMode[] = {
    choice(1, T::U8, "mode", "Mode", kDopModes, 4),
    integer(2, T::U8, "gdop-threshold", "Threshold:", 10, 1, 50),
    integer(3, T::U8, "pdop-threshold", "Threshold:", 10, 1, 50),
    integer(4, T::U8, "hdop-threshold", "Threshold:", 10, 1, 50),
};

// MID 138
constexpr Choice kDgpsModes[] = {{"&Automatic", 0}, {"&Exclusive", 1}, {"&Never use", 2}};
constexpr CommandField kDgpsMode[] = {
    choice(1, T::U8, "mode", "Mode", kDgpsModes, 0),
    integer(2, T::U8, "timeout", "Timeout (sec):", 30, 1, 250),
};

constexpr CommandField kElevMask[] = {
    fixed(1, T::I16, "tracking", 5.0, 10),
    real(3, T::I16, "navigation", "Navigation (deg)", 7.5, 10, -20, 90),
};
constexpr CommandField kPowerMask[] = {
    fixed(1, T::U8, "tracking", 28),
    integer(2, T::U8, "navigation", "Navigation (dBHz)", 28, 20, 50),
};
constexpr Choice kStaticModes[] = {{"&Disable", 0}, {"&Enable", 1}};
constexpr CommandField kStaticNav[] = {choice(1, T::U8, "mode", "Mode", kStaticModes, 0)};

// MID 150; "Test 3" is hidden in the dialog and not offered
constexpr Choice kOpModes[] = {{"&Normal", 0x0000}, {"Test &1", 0x1E51}, {"Test &2", 0x1E52}};
constexpr CommandField kOpMode[] = {
    choice(1, T::U16, "mode", "Mode", kOpModes, 0),
    integer(3, T::U16, "number", "number:", 6, 1, 32),
    integer(5, T::U16, "period", "Period (s):", 10, 1, 60000),
};

// MID 151 and MID 167
constexpr Choice kPowerModes[] = {{"&Continuous", 0}, {"&Lullcycle", 1}, {"&Wake-On-Demand", 2}};
constexpr CommandField kLpAcq[] = {
    integer(1, T::U32, "maximum-off-time", "Maximum off time (ms):", 30000, 0, 4294967295.0),
    integer(5, T::U32, "maximum-search-time", "Maximum search time (ms):", 120000, 0, 4294967295.0),
    integer(9, T::U32, "wake-on-demand-period", "Wake-On-Demand period (sec):", 1800, 0,
            4294967295.0),
    check(13, T::U16, "adaptive-mode", "&Adaptive mode", false),
};
constexpr CommandField kLowPower[] = {
    choice(kNotSent, T::U8, "mode", "Mode", kPowerModes, 0),
    derived(1, T::U16, "wake-on-demand"),
    derived(3, T::U16, "duty-cycle"),
    integer(5, T::U32, "on-time", "On time (ms):", 200, 0, 4294967295.0),
    integer(kNotSent, T::U8, "update-rate", "Update rate (sec):", 1, 0, 4294967295.0),
    // The dialog's lists take only their own entries (as it opens); a right double-click lets
    // any typed value through (list-only=0 on zephctl's line).
    check(kNotSent, T::U8, "list-only", "List only", true),
};
std::optional<std::string> lowPowerRule(CommandValues& v) {
    const int64_t mode = v.integer("mode");
    const int64_t on = v.integer("on-time");
    const int64_t rate = v.integer("update-rate");
    const bool lullcycle = mode == 1;
    const bool listOnly = v.integer("list-only") != 0;
    if (lullcycle && listOnly && (rate < 1 || rate > 10)) {
        return std::string("Select update rate from list");
    }
    if (lullcycle && listOnly && (on < 200 || on > 900 || on % 100 != 0)) {
        return std::string("Select on-time from list");
    }
    // A typed rate of 0 cannot divide the on time.
    if (lullcycle && rate < 1) {
        return integerRangeText(1, 4294967295.0);
    }
    v.set("wake-on-demand", mode == 2 ? 1 : 0);
    v.set("duty-cycle", mode == 0 ? 1000 : lullcycle ? static_cast<double>(on / rate) : 10);
    const int64_t period = v.integer("wake-on-demand-period");
    if (mode == 2 && (period < 10 || period > 7200)) {
        return std::string("Wake-On-Demand off time is out of range (10 to 7200-s).");
    }
    if (lullcycle && listOnly && rate == 1 && on > 600) {
        return std::string("Lullcycler on-time is invalid with update rate.");
    }
    return std::nullopt;
}

// MID 165
constexpr Choice kProtocols[] = {{"Zeph Binary", 0}, {"NMEA", 1},   {"ASCII", 2},
                                 {"RTCM-DGPS", 3},   {"User 1", 4}, {"User 2", 6},
                                 {"User 3", 7},      {"User 4", 8}, {"No I/O", 5}};
constexpr Choice kUarts[] = {{"UART 0", 0}, {"UART 1", 1}, {"UART 2", 2}, {"UART 3", 3}};
#define ZEPH_UART(n, set)                                                                          \
    check(kNotSent, T::U8, "uart-" #n "-set", "Set", set),                                         \
        choice(kNotSent, T::U8, "uart-" #n "-protocol", "Protocol", kProtocols, kNoChoice),        \
        choice(kNotSent, T::U32, "uart-" #n "-baud-rate", "Baud Rate", kBauds, kNoChoice),         \
        choice(kNotSent, T::U8, "uart-" #n "-data-bits", "Data Bits", kDataBits, kNoChoice),       \
        choice(kNotSent, T::U8, "uart-" #n "-parity", "Parity", kParities, kNoChoice),             \
        choice(kNotSent, T::U8, "uart-" #n "-stop-bits", "Stop Bits", kStopBits, kNoChoice),       \
        derived(1 + 12 * (n), T::U8, "uart-" #n "-port"),                                          \
        derived(2 + 12 * (n), T::U8, "uart-" #n "-input-protocol"),                                \
        derived(3 + 12 * (n), T::U8, "uart-" #n "-output-protocol"),                               \
        derived(4 + 12 * (n), T::U32, "uart-" #n "-baud"),                                         \
        derived(8 + 12 * (n), T::U8, "uart-" #n "-data"),                                          \
        derived(9 + 12 * (n), T::U8, "uart-" #n "-stop"),                                          \
        derived(10 + 12 * (n), T::U8, "uart-" #n "-parity-code")
constexpr CommandField kUartConfig[] = {
    ZEPH_UART(0, true),
    ZEPH_UART(1, true),
    ZEPH_UART(2, false),
    ZEPH_UART(3, false),
    choice(kNotSent, T::U8, "zephmon-receiver-uart", "Zephmon <--> Receiver UART", kUarts, 0),
};
#undef ZEPH_UART

std::string choiceText(std::span<const Choice> entries, int64_t code) {
    for (const Choice& c : entries) {
        if (c.code == code) {
            return c.text;
        }
    }
    return {};
}

std::optional<std::string> uartConfigRule(CommandValues& v) {
    UartChoices choices;
    for (size_t i = 0; i < kUartCount; ++i) {
        const std::string p = "uart-" + std::to_string(i) + "-";
        UartChoice c;
        c.set = v.integer(p + "set") != 0;
        c.protocol = choiceText(kProtocols, v.integer(p + "protocol"));
        c.baud = choiceText(kBauds, v.integer(p + "baud-rate"));
        c.dataBits = choiceText(kDataBits, v.integer(p + "data-bits"));
        c.stopBits = choiceText(kStopBits, v.integer(p + "stop-bits"));
        c.parity = choiceText(kParities, v.integer(p + "parity"));
        choices[i] = refreshUartChoice(c, true);
    }
    if (auto refusal = checkUartChoices(choices)) {
        return refusal;
    }
    setUartRecordValues(v, uartConfigRecord(choices));
    return std::nullopt;
}

// MID 166
constexpr Choice kRateMessages[] = {
    {"0x02 Measured Navigation", 2},
    {"0x04 Measured Tracker", 4},
    {"0x05 Raw Trk Data", 5},
    {"0x07 Clock Status", 7},
    {"0x08 50BPS", 8},
    {"0x09 Throughput", 9},
    {"0x0D Vis List", 13},
    {"0x11 Raw DGPS", 17},
    {"0x1B DGPS Status", 27},
    {"0x1C NL Meas Data", 28},
    {"0x1D NL DGPS Data", 29},
    {"0x1E NL SV State Data", 30},
    {"0x1F NL Init Data", 31},
    {"0xFF Debug Data", 255},
};
constexpr CommandField kMsgRate[] = {
    check(1, T::U8, "send-message-now", "&Send Message Now", false),
    choice(2, T::U8, "message-name", "Message name:", kRateMessages, 2),
    integer(3, T::U8, "message-update-rate", "Message update rate:", 0, 0, 30),
};
std::optional<std::string> msgRateRule(CommandValues& v) {
    if (v.integer("message-name") == 255) {
        if (v.integer("message-update-rate") > 1) {
            return std::string("Please enter 0 or 1.");
        }
        if (v.integer("send-message-now") != 0) {
            return std::string("Please do not check Send Message Now for Debug Data.");
        }
    }
    return std::nullopt;
}

constexpr CommandField kPollParams[] = {integer(1, T::U8, "mid", "MID", 0, 0, 255)};

// MID 170
constexpr Choice kSbasModes[] = {{"&Testing", 0}, {"&Integrity", 1}};
constexpr Choice kTimeoutSources[] = {{"&Default", 0}, {"&User-defined", 1}};
constexpr CommandField kSbas[] = {
    check(kNotSent, T::U8, "auto-scan", "&Auto Scan", true),
    integer(1, T::U8, "prn", "PRN:", 0),
    choice(2, T::U8, "mode", "Mode", kSbasModes, 0),
    choice(kNotSent, T::U8, "timeout-source", "Timeout source", kTimeoutSources, 0),
    derived(3, T::U8, "flags"),
};
std::optional<std::string> sbasRule(CommandValues& v) {
    const bool autoScan = v.integer("auto-scan") != 0;
    if (autoScan) {
        v.set("prn", 0);
    } else if (v.integer("prn") < 120 || v.integer("prn") > 138) {
        return integerRangeText(120, 138);
    }
    v.set("flags", (v.integer("timeout-source") != 0 ? 0x01 : 0) | (autoScan ? 0 : 0x08));
    return std::nullopt;
}
void sbasFromEcho(CommandValues& v) {
    const int64_t flags = v.integer("flags");
    v.set("auto-scan", (flags & 0x08) != 0 ? 0 : 1);
    v.set("timeout-source", static_cast<double>(flags & 0x01));
    if ((flags & 0x08) == 0) {
        v.set("prn", 0);
    }
}

// MID 172
constexpr CommandField kDrNavInit[] = {
    fixed(1, T::U8, "sid", 1),
    real(2, T::I32, "latitude", "Latitude (deg):", 0, 1e7, -90, 90),
    real(6, T::I32, "longitude", "Longitude (deg):", 0, 1e7, -180, 180),
    real(10, T::I32, "altitude-from-ellipsoid", "Altitude from ellipsoid (m):", 0, 100, -2000,
         10000),
    real(14, T::U16, "true-heading", "True heading (deg):", 0, 100, 0, 360),
};
constexpr Choice kDrNavModes[] = {{"&GPS Nav only", 1},
                                  {"DR Nav Ok w/ &stored or default calibration", 2},
                                  {"DR Nav Ok w/ &current GPS calibration", 4}};
constexpr CommandField kDrNavMode[] = {
    fixed(1, T::U8, "sid", 2),
    choice(2, T::U8, "mode", "Mode", kDrNavModes, 1),
};
constexpr CommandField kGyroCal[] = {
    fixed(1, T::U8, "sid", 3),
    check(kNotSent, T::U8, "start-gyro-bias-calibration", "Start gyro &bias calibration", false),
    check(kNotSent, T::U8, "start-gyro-scale-factor-calibration",
          "Start gyro &scale factor calibration", false),
    derived(2, T::U8, "calibration"),
};
std::optional<std::string> gyroCalRule(CommandValues& v) {
    v.set("calibration", (v.integer("start-gyro-bias-calibration") != 0 ? 1 : 0) |
                             (v.integer("start-gyro-scale-factor-calibration") != 0 ? 2 : 0));
    return std::nullopt;
}
constexpr CommandField kDrSensors[] = {
    fixed(1, T::U8, "sid", 4),
    check(kNotSent, T::U8, "use-default-values", "&Use default values", false),
    integer(2, T::U8, "baseline-speed-scale-factor", "Baseline speed scale factor", 0),
    {3, T::U16, "baseline-gyro-bias", FieldUse::User, 0, 1e4, K::Real, "Baseline gyro bias"},
    {5, T::U16, "baseline-gyro-scale-factor", FieldUse::User, 0, 1e3, K::Real,
     "Baseline gyro scale factor"},
};
std::optional<std::string> drSensorsRule(CommandValues& v) {
    if (v.integer("use-default-values") != 0) {
        v.set("baseline-speed-scale-factor", 0);
        v.set("baseline-gyro-bias", 0);
        v.set("baseline-gyro-scale-factor", 0);
        return std::nullopt;
    }
    const double speed = v.get("baseline-speed-scale-factor");
    if (speed < 1 || speed > 255) {
        return integerRangeText(1, 255);
    }
    const double bias = v.get("baseline-gyro-bias");
    if (bias < 2 || bias > 3) {
        return realRangeText(2, 3);
    }
    const double scale = v.get("baseline-gyro-scale-factor");
    if (scale < 1 || scale > 65) {
        return realRangeText(1, 65);
    }
    return std::nullopt;
}
constexpr CommandField kDrPoll5[] = {fixed(1, T::U8, "sid", 5)};
constexpr CommandField kDrPoll6[] = {fixed(1, T::U8, "sid", 6)};
constexpr CommandField kDrPoll7[] = {fixed(1, T::U8, "sid", 7)};

constexpr CommandSpec kLpAcqSpec = {nullptr, "MID_LPAcqParams", 167, 0, 25, kLpAcq};

// clang-format off
const CommandSpec kCatalogue[] = {
    {"Action > Initialize Data Source", "MID_NavigationInitialization", 128, 0, 25, kInit, initRule, nullptr, "Receiver Initialization"},
    {"Action > Switch to NMEA Protocol", "MID_SetNMEAMode", 129, 0, 24, kNmeaMode, nmeaModeRule, nullptr, "NMEA Setup", nullptr, "to-nmea"},
    {"Action > Set Almanac", "MID_SetAlmanac", 130, 0, 897, kAlmanac},
    {"Poll > SW Version", "MID_PollSWVersion", 132, 0, 2, kPollRows},
    {"Navigation > DGPS Source", "MID_DGPSSourceControl", 133, 0, 7, kDgpsSource, dgpsSourceRule, dgpsSourceFromEcho, "DGPS Source"},
    {"Action > Set Main Serial Port", "MID_SetSerialPort", 134, 0, 9, kMainPort, nullptr, nullptr, "Set Serial Port Parameters"},
    {"Action > Switch to User1 Protocol", "MID_SetProtocol", 135, 0, 2, kSetProtocol},
    {"Navigation > Mode Mask", "MID_SetNavMode", 136, 0, 14, kNavMode, navModeRule, nullptr, "Navigation Moding"},
    {"Navigation > DOP Mask", "MID_SetDOPMode", 137, 0, 5, kDopMode, nullptr, nullptr, "DOP Mask"},
    {"Navigation > DGPS Mode", "MID_SetDGPSMode", 138, 0, 3, kDgpsMode, nullptr, nullptr, "DGPS Mode"},
    {"Navigation > Elevation Mask", "MID_SetElevMask", 139, 0, 5, kElevMask, nullptr, nullptr, "Elevation Mask"},
    {"Navigation > Power Mask", "MID_SetPowerMask", 140, 0, 3, kPowerMask, nullptr, nullptr, "Power Mask"},
    {"Navigation > Static Navigation", "MID_SetStaticNavigation", 143, 0, 2, kStaticNav, nullptr, nullptr, "Static Navigation"},
    {"Poll > Clock Status", "MID_PollClockStatus", 144, 0, 2, kPollRows},
    {"Action > Set DGPS Serial Port", "MID_SetDGPSPort", 145, 0, 9, kDgpsPort, nullptr, nullptr, "Set DGPS Serial Port Parameters"},
    {"Poll > Almanac", "MID_PollAlmanac", 146, 0, 2, kPollRows},
    {"Poll > Ephemeris", "MID_PollEphemeris", 147, 0, 3, kPollEphemeris},
    {"Action > Set Ephemeris", "MID_SetEphemeris", 149, 0, 91, kEphemeris},
    {"Action > Switch Operating Mode", "MID_SwitchOpMode", 150, 0, 7, kOpMode, nullptr, nullptr, "Operating Mode"},
    {"Action > Set Low Power", "MID_LowPower", 151, 0, 9, kLowPower, lowPowerRule, nullptr, "Low Power", &kLpAcqSpec},
    {"Poll > Nav Parameters", "MID_PollRxMgrParams", 152, 0, 2, kPollRows},
    {"Action > Set UART Configuration", "MID_ChangeUartChnl", 165, 0, 49, kUartConfig, uartConfigRule, nullptr, "UART Configuration"},
    {"Action > Set Message Rate", "MID_SetMsgRate", 166, 0, 8, kMsgRate, msgRateRule, nullptr, "Message Rate"},
    kLpAcqSpec,
    {nullptr, "MID_POLL_CMD_PARAM", 168, 0, 6, kPollParams},
    {"Navigation > SBAS Control", "", 170, 0, 6, kSbas, sbasRule, sbasFromEcho, "SBAS"},
    {"Navigation > Drovana > Navigation Initialization", "MID_DrOut:SID_SetDrNavInit", 172, 1, 16, kDrNavInit, nullptr, nullptr, "Drovana Navigation Initialization"},
    {"Navigation > Drovana > Navigation Mode Control", "MID_DrOut:SID_SetDrNavMode", 172, 2, 3, kDrNavMode, nullptr, nullptr, "Drovana Navigation Mode Control"},
    {"Navigation > Drovana > Gyro Factory Calibration", "MID_DrOut:SID_SetGyrFactCal", 172, 3, 3, kGyroCal, gyroCalRule, nullptr, "Drovana Gyro Factory Calibration Control"},
    {"Navigation > Drovana > DR Sensor's Paramters", "MID_DrOut:SID_SetDrSensParam", 172, 4, 7, kDrSensors, drSensorsRule, nullptr, "Drovana DR Sensor's Parameters"},
    {"Navigation > Drovana > Poll DR Data Validity", "MID_DrOut:SID_PollDrValid", 172, 5, 2, kDrPoll5},
    {"Navigation > Drovana > Poll Gyro Factory Calibration", "MID_DrOut:SID_PollGyrFactCal", 172, 6, 2, kDrPoll6},
    {"Navigation > Drovana > Poll Sensor's Parameters", "MID_DrOut:SID_PollDrSensParam", 172, 7, 2, kDrPoll7},
};
// clang-format on

constexpr uint8_t kPolledMids[] = {133, 136, 137, 138, 139, 140, 143, 170};

} // namespace

void setUartRecordValues(CommandValues& v, const UartConfigRecord& record) {
    for (size_t i = 0; i < kUartCount; ++i) {
        const std::string p = "uart-" + std::to_string(i) + "-";
        const UartEntry& e = record[i];
        v.set(p + "port", e.port);
        v.set(p + "input-protocol", e.protocol);
        v.set(p + "output-protocol", e.protocol);
        v.set(p + "baud", e.baud);
        v.set(p + "data", e.dataBits);
        v.set(p + "stop", e.stopBits);
        v.set(p + "parity-code", e.parity);
    }
}

std::span<const CommandSpec> commandCatalogue() {
    return kCatalogue;
}

const CommandSpec* findCommand(uint8_t mid, uint8_t subId) {
    for (const CommandSpec& spec : kCatalogue) {
        if (spec.mid == mid && spec.subId == subId) {
            return &spec;
        }
    }
    return nullptr;
}

std::string commandName(const CommandSpec& spec) {
    if (spec.commandName != nullptr) {
        return spec.commandName;
    }
    if (spec.menuItem == nullptr) {
        return {};
    }
    const std::string_view path = spec.menuItem;
    const size_t cut = path.rfind('>');
    const std::string item = wordName(cut == std::string_view::npos ? path : path.substr(cut + 1));
    return path.starts_with("Poll >") && !item.starts_with("poll-") ? "poll-" + item : item;
}

const CommandSpec* findCommandByName(std::string_view name) {
    for (const CommandSpec& spec : kCatalogue) {
        if (!name.empty() && commandName(spec) == name) {
            return &spec;
        }
    }
    return nullptr;
}

std::span<const uint8_t> polledCommandMids() {
    return kPolledMids;
}

} // namespace zeph::monitor
