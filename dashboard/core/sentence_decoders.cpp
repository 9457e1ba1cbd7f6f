#include "dashboard/core/sentence_decoders.h"

#include "dashboard/core/nmea_text.h"

namespace zeph::dashboard {

namespace {

constexpr std::size_t kLatitudeGap = 7;  // spaces between latitude and N/S
constexpr std::size_t kLongitudeGap = 5; // spaces between longitude and E/W
constexpr std::size_t kMinVdopRest = 7;  // "1.6*3F\r": VDOP, checksum and line end
constexpr int kGsaFieldsBeforePdop = 15;

// A field that looks like a decimal number: a digit, a point and a digit somewhere.
bool looksDecimal(std::string_view field) {
    return likePattern(field, "*#.#*");
}

} // namespace

std::optional<std::string> findSentence(std::string_view text, std::string_view name) {
    const std::size_t start = text.find(name);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t lineFeed = text.find('\n', start + name.size());
    if (lineFeed == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(text.substr(start, lineFeed - start));
}

std::optional<std::string> findPositionSentence(std::string_view text, std::string_view kind) {
    std::optional<std::string> best;
    std::size_t bestAt = std::string_view::npos;
    for (const std::string_view talker : {"$GP", "$GN"}) {
        const std::string name = std::string(talker) + std::string(kind);
        const std::size_t at = text.find(name);
        if (at < bestAt) {
            if (auto sentence = findSentence(text.substr(at), name)) {
                best = std::move(sentence);
                bestAt = at;
            }
        }
    }
    return best;
}

// $GPRMC,000000.000,A,3724.0000,N,12205.9400,W,2.1,123.5,060902,,*11
bool RMCdecode(ReceiverState& state, std::string_view text) {
    std::optional<std::string> sentence = findPositionSentence(text, "RMC");
    if (!sentence) {
        return false;
    }
    std::string& s = *sentence;
    skipField(s);
    const auto time = takeField(s);
    if (!time) {
        return false;
    }
    state.UtcTime = *time;
    const auto status = takeField(s);
    if (!status) {
        return false;
    }
    state.FixStatusText = *status == "A" ? "Data Valid" : "Data not Valid";
    const auto latitude = takeField(s);
    if (!latitude) {
        return false;
    }
    state.LatitudeText = *latitude;
    const auto north = takeField(s);
    if (!north) {
        return false;
    }
    state.LatitudeText = *latitude + std::string(kLatitudeGap, ' ') + *north;
    const auto longitude = takeField(s);
    if (!longitude) {
        return false;
    }
    state.LongitudeText = *longitude;
    const auto east = takeField(s);
    if (!east) {
        return false;
    }
    state.LongitudeText = *longitude + std::string(kLongitudeGap, ' ') + *east;
    const auto speed = takeField(s);
    if (!speed) {
        return false;
    }
    if (looksDecimal(*speed)) {
        if (const auto knots = leadingNumber(*speed)) {
            state.SpeedKnots = *knots;
        }
    }
    const auto course = takeField(s);
    if (!course) {
        return false;
    }
    if (looksDecimal(*course)) {
        if (const auto degrees = leadingNumber(*course)) {
            if (const auto whole = roundHalfEven16(*degrees)) {
                state.CourseDeg = *whole;
            }
        }
    }
    const auto date = takeField(s);
    if (!date) {
        return false;
    }
    state.DateText = *date;
    return true;
}

// $GPGSA,A,3,02,05,07,09,13,16,21,24,26,30,31,,2.1,1.4,1.6*3F
void GSAdecode(ReceiverState& state, std::string_view GSAstr) {
    std::optional<std::string> sentence = findPositionSentence(GSAstr, "GSA");
    if (!sentence) {
        return;
    }
    std::string& s = *sentence;
    skipField(s, kGsaFieldsBeforePdop);
    if (const auto pdop = takeField(s)) {
        state.PdopText = *pdop;
    }
    if (const auto hdop = takeField(s)) {
        state.HdopText = *hdop;
    }
    if (s.size() >= kMinVdopRest) {
        const std::size_t star = s.find('*');
        if (star != std::string::npos) {
            state.VdopText = s.substr(0, star);
        }
    }
}

// $GPGGA,000000.000,3724.0000,N,12205.9400,W,1,11,1.4,35.0,M,-25.7,M,,0000*5B
void GGAdecode(ReceiverState& state, std::string_view text) {
    std::optional<std::string> sentence = findPositionSentence(text, "GGA");
    if (!sentence) {
        return;
    }
    std::string& s = *sentence;
    skipField(s, 6);
    const auto quality = cutField(s);
    const auto fixQuality = quality ? toInt16(*quality) : std::nullopt;
    if (!fixQuality) {
        return;
    }
    state.FixQuality = *fixQuality;
    skipField(s, 3);
    if (const auto altitude = cutField(s)) {
        state.AltitudeText = *altitude;
    }
}

} // namespace zeph::dashboard
