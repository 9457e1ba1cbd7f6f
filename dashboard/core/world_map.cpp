#include "dashboard/core/world_map.h"

#include "dashboard/core/nmea_text.h"

#include <charconv>
#include <cmath>

namespace zeph::dashboard {

namespace {

constexpr float kLonTwipsPerDegree = 20.1f;

struct LatBand {
    int from;
    int to;
    float scale;
};
// Inclusive bounds in twips from the picture's top; anything outside them is 29.
constexpr LatBand kLatBands[] = {
    {2010, 3000, 24.7f}, {1200, 2009, 25.5f}, {3001, 3810, 25.5f}, {855, 1199, 27.0f},
    {3811, 4660, 27.0f}, {480, 854, 28.7f},   {4661, 5035, 28.7f},
};
constexpr float kOuterLatScale = 29.0f;

// Degrees of latitude per millimetre of the marker, by whole degrees.
double markerLatitudeScale(double degrees) {
    if (degrees >= 0 && degrees <= 20) {
        return 2.3;
    }
    if (degrees >= 21 && degrees <= 50) {
        return 2.2;
    }
    if (degrees >= 51 && degrees <= 60) {
        return 2.05;
    }
    return 1.96;
}

constexpr double kEastScale = 2.85;
constexpr double kWestScale = 2.78;
constexpr float kMarkerStep = 0.5f;
constexpr float kMarkerLargest = 10.0f;

std::string head(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, count));
}

std::string tail(std::string_view text, std::size_t count) {
    return std::string(text.substr(text.size() - std::min(count, text.size())));
}

// The text without its last `count` characters, from its `from`-th character (0-based) on.
std::string middle(std::string_view text, std::size_t from, std::size_t dropLast) {
    const std::size_t end = text.size() - std::min(dropLast, text.size());
    return from < end ? std::string(text.substr(from, end - from)) : std::string();
}

} // namespace

double markerTwipsX(double mm) {
    const double meridian = kMapFrameLeft + kMapInsetTwips + kMapMeridianTwips;
    return meridian + (mm - kMarkerMeridianMm) * kTwipsPerMillimetre;
}

double markerTwipsY(double mm) {
    const double equator = kMapFrameTop + kMapInsetTwips + kMapEquatorTwips;
    return equator + (mm - kMarkerEquatorMm) * kTwipsPerMillimetre;
}

std::string singleText(float value) {
    char text[48];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    const std::string digits = ec == std::errc() ? std::string(text, end) : std::string("0");
    return value >= 0 ? " " + digits : digits;
}

float latitudeScale(float y) {
    for (const LatBand& band : kLatBands) {
        if (y >= static_cast<float>(band.from) && y <= static_cast<float>(band.to)) {
            return band.scale;
        }
    }
    return kOuterLatScale;
}

MouseReadout mouseReadout(float x, float y) {
    MouseReadout out;
    const float meridian = kMapMeridianTwips;
    float lon = 0;
    if (x <= meridian) {
        lon = (meridian - x) / kLonTwipsPerDegree;
        out.lblLonM = "Lon : W " + singleText(lon);
    } else {
        lon = (x - meridian) / kLonTwipsPerDegree;
        out.lblLonM = "Lon : E " + singleText(lon);
    }
    const float scale = latitudeScale(y);
    const float equator = kMapEquatorTwips;
    if (y <= equator) {
        out.lblLatM = "Lat  : N  " + singleText((equator - y) / scale);
    } else {
        out.lblLatM = "Lat  : S  " + singleText((y - equator) / scale);
    }
    // The picture's west edge runs a little past 180 degrees west: that is the far east again.
    if (lon > 180) {
        lon = 180 - (lon - 180);
        out.lblLonM = "Lon : E " + singleText(lon);
    }
    return out;
}

double wholeDegrees(std::string_view text) {
    const std::size_t point = text.find('.');
    // Degrees end two characters before the point (the whole minutes lie between).
    if (point == std::string_view::npos || point < 2) {
        return 0;
    }
    return leadingNumber(text.substr(0, point - 2)).value_or(0);
}

void WorldMapCore::mapTick(const ReceiverState& state) {
    double x = 0;
    double y = 0;
    const std::string& lat = state.LatitudeText;
    if (!lat.empty()) {
        LatLabel =
            "Latitude    : " + head(lat, 2) + " *   " + middle(lat, 2, 5) + "'" + tail(lat, 3);
        const double degrees = wholeDegrees(lat);
        const double mm = degrees / markerLatitudeScale(degrees);
        y = lat.back() == 'N' ? kMarkerEquatorMm - mm : kMarkerEquatorMm + mm;
    }
    const std::string& lon = state.LongitudeText;
    if (!lon.empty()) {
        LonLabel = "Longitude :" + head(lon, 3) + "*   " + middle(lon, 3, 5) + "'" + tail(lon, 3);
        const double degrees = wholeDegrees(lon);
        x = lon.back() == 'E' ? kMarkerMeridianMm + degrees / kEastScale
                              : kMarkerMeridianMm - degrees / kWestScale;
    }
    circlePint = {x - markerSize / 2.0, y - markerSize / 2.0, markerSize};
    markerSize += kMarkerStep;
    if (markerSize > kMarkerLargest) {
        markerSize = 1.0f;
    }
}

} // namespace zeph::dashboard
