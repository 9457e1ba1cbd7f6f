#pragma once

// GPS week and time of week from the PC's UTC clock, for the initialisation message.

#include <cstdint>
#include <optional>

namespace zeph::monitor {

struct UtcTime {
    int year = 1980;
    int month = 1; // 1 to 12
    int day = 6;   // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

struct GpsTime {
    uint16_t week = 0;
    uint32_t tow = 0; // hundredths of a second
};

constexpr unsigned kMaxUtcOffset = 59;
constexpr const char* kUtcOffsetRefusal = "UTC offset > 59 seconds.";

// The GPS time for a UTC calendar time plus `utcOffset` whole seconds; none for an offset above
// 59 s (the caller shows kUtcOffsetRefusal and sends week and time 0).
std::optional<GpsTime> gpsTimeFromPcClock(const UtcTime& utc, unsigned utcOffset);

// The calendar time of milliseconds since 1970-01-01 00:00:00 UTC.
UtcTime utcTimeFromUnixMs(int64_t ms);
int64_t unixMsFromUtcTime(const UtcTime& utc);

} // namespace zeph::monitor
