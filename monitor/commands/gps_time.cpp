#include "gps_time.h"

namespace zeph::monitor {
namespace {

constexpr int kSecondsPerWeek = 604800;

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t civilDays(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return int64_t{era} * 146097 + doe - 719468;
}

int dayOfWeek(const UtcTime& t) { // Sunday 0
    const int64_t days = civilDays(t.year, t.month, t.day);
    return static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
}

} // namespace

std::optional<GpsTime> gpsTimeFromPcClock(const UtcTime& utc, unsigned utcOffset) {
    if (utcOffset > kMaxUtcOffset) {
        return std::nullopt;
    }
    static constexpr int kDaysBefore[2][12] = {
        {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
        {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
    };
    int days = 365 * utc.year - 722705;
    for (int y = 1984; y < utc.year; y += 4) {
        days += leapYear(y) ? 1 : 0;
    }
    days += kDaysBefore[leapYear(utc.year) ? 1 : 0][(utc.month - 1) % 12] + utc.day;
    int week = days / 7;
    int seconds = dayOfWeek(utc) * 86400 + utc.hour * 3600 + utc.minute * 60 + utc.second +
                  static_cast<int>(utcOffset);
    if (seconds > kSecondsPerWeek - 1) {
        seconds -= kSecondsPerWeek;
        ++week;
    }
    return GpsTime{static_cast<uint16_t>(week), static_cast<uint32_t>(seconds) * 100 +
                                                    static_cast<uint32_t>(utc.millisecond / 10)};
}

int64_t unixMsFromUtcTime(const UtcTime& t) {
    return ((civilDays(t.year, t.month, t.day) * 24 + t.hour) * 60 + t.minute) * 60000 +
           int64_t{t.second} * 1000 + t.millisecond;
}

UtcTime utcTimeFromUnixMs(int64_t ms) {
    int64_t days = ms / 86400000;
    int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    // civil date from days since 1970-01-01
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    UtcTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

} // namespace zeph::monitor
