#include "monitor/views/view_options.h"

#include "monitor/shell/settings.h"
#include "monitor/views/map_plot.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zeph::monitor {
namespace {

std::string trimmed(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

// The whole text, blanks aside, must be the number, written in decimal: strtod's hexadecimal
// form ("0x10") and words ("infinity") are no numbers to a user.
std::optional<double> parseReal(std::string_view text) {
    const std::string t = trimmed(text);
    if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string::npos) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<long long> parseInteger(std::string_view text, bool allowSign) {
    const std::string t = trimmed(text);
    if (t.empty() || (!allowSign && !std::isdigit(static_cast<unsigned char>(t[0])))) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE) {
        return std::nullopt;
    }
    return v;
}

std::string rangeMessage(const char* kind, const std::string& min, const std::string& max) {
    return std::string("Please enter ") + kind + " between " + min + " and " + max + ".";
}

double storedNumber(const std::string& text) {
    const double v = std::strtod(text.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

// The scale as the view will read it back: written with two decimals.
double storedScale(double scale) {
    return std::strtod(strprintf("%.2f", scale).c_str(), nullptr);
}

// A radius as the view reads it: the file's integers stop at the largest int.
int ringAsRead(long long radius) {
    return static_cast<int>(std::min<long long>(radius, std::numeric_limits<int>::max()));
}

bool plotFits(double scale, const std::array<int, 3>& rings) {
    return std::trunc(wantedMapPlotSize(scale, rings)) <= kMaxMapPlotSize;
}

// The message when the rings at this scale would make a plot larger than the view draws.
std::optional<std::string> plotSizeError(double scale, const std::array<int, 3>& rings) {
    if (plotFits(scale, rings)) {
        return std::nullopt;
    }
    int largest = static_cast<int>((kMaxMapPlotSize + 1) * scale / 2);
    while (largest > 0 && !plotFits(scale, {0, 0, largest})) {
        --largest;
    }
    while (plotFits(scale, {0, 0, largest + 1})) {
        ++largest;
    }
    return strprintf(mapdialog::kPlotTooLarge, kMaxMapPlotSize, scale, largest);
}

} // namespace

std::string fieldNumber(double value) {
    return strprintf("%.15g", value);
}

std::optional<std::string> realFieldError(std::string_view text, double min, double max) {
    const std::optional<double> v = parseReal(text);
    if (!v) {
        return kEnterNumber;
    }
    if (*v < min || *v > max) {
        return rangeMessage("a number", fieldNumber(min), fieldNumber(max));
    }
    return std::nullopt;
}

std::optional<std::string> realFieldError(std::string_view text) {
    if (!parseReal(text)) {
        return kEnterNumber;
    }
    return std::nullopt;
}

std::optional<std::string> integerFieldError(std::string_view text, long min, long max) {
    const std::optional<long long> v = parseInteger(text, true);
    if (!v) {
        return kEnterInteger;
    }
    if (*v < min || *v > max) {
        return rangeMessage("an integer", std::to_string(min), std::to_string(max));
    }
    return std::nullopt;
}

std::optional<std::string> unsignedFieldError(std::string_view text) {
    const std::optional<long long> v = parseInteger(text, false);
    if (!v || *v > 0xFFFFFFFFLL) {
        return kEnterPositiveInteger;
    }
    return std::nullopt;
}

PreferencesValues loadPreferences(const ProfileFile& profile) {
    SignalViewSettings signal;
    signal.load(profile);
    RadarViewSettings radar;
    radar.load(profile);
    MapViewSettings map;
    map.load(profile);
    RandSettings rand;
    rand.load(profile);
    return {signal.graphType, radar.orientation, fieldNumber(storedNumber(map.scale)),
            rand.timerDelay};
}

std::optional<FieldError> savePreferences(ProfileFile& profile, const PreferencesValues& values) {
    if (auto e = realFieldError(values.scale, prefsdialog::kMinScale, prefsdialog::kMaxScale)) {
        return FieldError{PreferencesValues::kScaleField, *e};
    }
    // Rings set by hand beyond what the view draws do not block the other choices.
    MapViewSettings map;
    map.load(profile);
    const double scale = storedScale(*parseReal(values.scale));
    if (scale != storedScale(mapOrigin(map).scale)) {
        if (auto e = plotSizeError(scale, {map.ring0, map.ring1, map.ring2})) {
            return FieldError{PreferencesValues::kScaleField, *e};
        }
    }
    profile.writeInt(settings::kVwSig, settings::kGraphType, values.graphType);
    profile.writeInt(settings::kVwRad, settings::kOrientation, values.orientation);
    profile.writeString(settings::kVwMap, settings::kScale,
                        strprintf("%.2f", *parseReal(values.scale)));
    profile.writeInt(settings::kRand, settings::kTimerDelay, values.timerDelay);
    return std::nullopt;
}

TrackingValues loadTracking(const ProfileFile& profile) {
    RadarViewSettings radar;
    radar.load(profile);
    return {radar.orientation, fieldNumber(storedNumber(radar.outerRadVel)), radar.outerRadPos};
}

std::optional<FieldError> saveTracking(ProfileFile& profile, const TrackingValues& values) {
    using namespace trackingdialog;
    if (auto e = realFieldError(values.outerVelocity, kMinOuterVelocity, kMaxOuterVelocity)) {
        return FieldError{TrackingValues::kOuterVelocityField, *e};
    }
    profile.writeInt(settings::kVwRad, settings::kOrientation, values.orientation);
    profile.writeInt(settings::kVwRad, settings::kOuterRadPos, values.outerPosition);
    profile.writeString(settings::kVwRad, settings::kOuterRadVel,
                        strprintf("%.2f", *parseReal(values.outerVelocity)));
    return std::nullopt;
}

MapOptionValues loadMapOptions(const ProfileFile& profile) {
    MapViewSettings map;
    map.load(profile);
    return {fieldNumber(storedNumber(map.scale)),
            fieldNumber(storedNumber(map.lat)),
            fieldNumber(storedNumber(map.lon)),
            {std::to_string(map.ring0), std::to_string(map.ring1), std::to_string(map.ring2)}};
}

std::optional<FieldError> saveMapOptions(ProfileFile& profile, const MapOptionValues& values) {
    using F = MapOptionValues;
    if (auto e = realFieldError(values.scale, prefsdialog::kMinScale, prefsdialog::kMaxScale)) {
        return FieldError{F::kScaleField, *e};
    }
    if (auto e = realFieldError(values.lat)) {
        return FieldError{F::kLatField, *e};
    }
    if (auto e = realFieldError(values.lon)) {
        return FieldError{F::kLonField, *e};
    }
    std::array<int, 3> rings{};
    for (int k = 0; k < 3; ++k) {
        if (auto e = unsignedFieldError(values.rings[k])) {
            return FieldError{F::kRing0Field + k, *e};
        }
        rings[k] = ringAsRead(*parseInteger(values.rings[k], false));
    }
    if (auto e = plotSizeError(storedScale(*parseReal(values.scale)), rings)) {
        const auto largest = std::max_element(rings.begin(), rings.end()) - rings.begin();
        return FieldError{F::kRing0Field + static_cast<int>(largest), *e};
    }
    profile.writeString(settings::kVwMap, settings::kScale,
                        strprintf("%.2f", *parseReal(values.scale)));
    profile.writeString(settings::kVwMap, settings::kLat, strprintf("%f", *parseReal(values.lat)));
    profile.writeString(settings::kVwMap, settings::kLon, strprintf("%f", *parseReal(values.lon)));
    const std::string_view ringKeys[] = {settings::kRing0, settings::kRing1, settings::kRing2};
    for (int k = 0; k < 3; ++k) {
        profile.writeString(settings::kVwMap, ringKeys[k],
                            std::to_string(*parseInteger(values.rings[k], false)));
    }
    return std::nullopt;
}

} // namespace zeph::monitor
