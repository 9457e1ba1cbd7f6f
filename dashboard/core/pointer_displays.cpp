#include "dashboard/core/pointer_displays.h"

#include "dashboard/core/nmea_text.h"

#include <charconv>
#include <cmath>

namespace zeph::dashboard {

namespace {

constexpr double kPi = 3.1415926; // the program's own value, as in the sky plot

constexpr int kCardRadius = 700;
constexpr int kNeedleTip = 650;
constexpr int kLetterRadius = 900;
constexpr int kNeedleHalfWidth = 200;
constexpr int kArrowHalfWidth = 100;
constexpr int kLetterOffset = 100;

constexpr int kMeterNeedle = 900;
constexpr int kMeterLabelRadius = 1500;
constexpr int kMeterInnerArc = 1000;
constexpr int kMeterOuterArc = 1050;
constexpr int kHalfTurnMilliradians = 3140; // the scale's arc ends at 3.14 radians
constexpr int kSpeedLabelIndent = 150;

// Every place here lies well inside 16 bits; a course or speed that would push one out leaves
// the point at the centre rather than wrapping.
TwipPoint at(int cx, int cy, double degrees, double radius) {
    return pointAt(cx, cy, degrees, radius)
        .value_or(TwipPoint{static_cast<int16_t>(cx), static_cast<int16_t>(cy)});
}

TwipPoint lettersCorner(TwipPoint p) {
    return {static_cast<int16_t>(p.x - kLetterOffset), static_cast<int16_t>(p.y - kLetterOffset)};
}

DrawOp line(TwipPoint a, TwipPoint b, int16_t color) {
    return {DrawOp::Kind::Line, a.x, a.y, b.x, b.y, 0, color, {}};
}

} // namespace

std::optional<TwipPoint> pointAt(int cx, int cy, double degrees, double radius) {
    const double theta = (90 - degrees) * 2 * kPi / 360;
    const std::optional<int16_t> x = roundHalfEven16(radius * std::cos(theta) + cx);
    const std::optional<int16_t> y = roundHalfEven16(cy - radius * std::sin(theta));
    if (!x || !y) {
        return std::nullopt;
    }
    return TwipPoint{*x, *y};
}

std::string decimalText(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

bool PointerDisplays::compassTick(int16_t course) {
    if (course == compassCourse_ && course > 0) {
        return false;
    }
    const int cx = kCompassCentreX;
    const int cy = kCompassCentreY;
    const double r = 360 - course; // the card turns against the course
    const TwipPoint n900 = at(cx, cy, r, kLetterRadius);
    const TwipPoint n650 = at(cx, cy, r, kNeedleTip);
    const TwipPoint s650 = at(cx, cy, r + 180, kNeedleTip);
    const TwipPoint s900 = at(cx, cy, r + 180, kLetterRadius);
    const TwipPoint e200 = at(cx, cy, r + 90, kNeedleHalfWidth);
    const TwipPoint e900 = at(cx, cy, r + 90, kLetterRadius);
    const TwipPoint w200 = at(cx, cy, r + 270, kNeedleHalfWidth);
    const TwipPoint w900 = at(cx, cy, r + 270, kLetterRadius);
    const TwipPoint centre{static_cast<int16_t>(cx), static_cast<int16_t>(cy)};

    card.placed = true;
    card.cirCompass = {cx - kCardRadius, cy - kCardRadius, 2 * kCardRadius, 2 * kCardRadius};
    card.LineLT = {n650, w200};
    card.LineLD = {w200, s650};
    card.LineRT = {n650, e200};
    card.LineRD = {e200, s650};
    card.LineM = {e200, w200};
    card.LineUp = {n650, centre};
    card.NorthLabel = lettersCorner(n900);
    card.EastLabel = lettersCorner(e900);
    card.SouthLabel = lettersCorner(s900);
    card.WestLabel = lettersCorner(w900);
    CompassLabel = "Compass";
    compassCourse_ = course;
    return true;
}

std::optional<std::vector<DrawOp>> PointerDisplays::headingTick(int16_t course) {
    if (course == headingCourse_ && course > 0) {
        return std::nullopt;
    }
    const int cx = kCompassCentreX;
    const int cy = kCompassCentreY;
    card.NorthLabel = {9430, 2500};
    card.SouthLabel = {9430, 4250};
    card.EastLabel = {10250, 3400};
    card.WestLabel = {8550, 3400};
    const TwipPoint tip = at(cx, cy, course, kCardRadius);
    const TwipPoint b1 = at(cx, cy, course + 90, kArrowHalfWidth);
    const TwipPoint b2 = at(cx, cy, course + 270, kArrowHalfWidth);
    const TwipPoint centre{static_cast<int16_t>(cx), static_cast<int16_t>(cy)};
    std::vector<DrawOp> ops{
        {DrawOp::Kind::FilledBox,
         cx - kCardRadius,
         cy - kCardRadius,
         cx + kCardRadius,
         cy + kCardRadius,
         0,
         kButtonFace,
         {}},
        {DrawOp::Kind::Circle, cx, cy, cx, cy, kCardRadius, kCyan, {}},
        line(tip, b1, kYellow),
        line(b1, b2, kYellow),
        line(b2, tip, kYellow),
        line(centre, tip, kYellow),
    };
    CompassLabel = "Heading";
    headingCourse_ = course;
    return ops;
}

std::optional<std::vector<DrawOp>> PointerDisplays::meterTick(double knots) {
    if (knots > 0 && knots == meterSpeed_) {
        return std::nullopt;
    }
    double factor = 0.18;
    meter.MaxLabel = "1000";
    if (knots < 1) {
        factor = 180;
        meter.MaxLabel = "1";
    } else if (knots < 100) {
        factor = 1.8;
        meter.MaxLabel = "100";
    }
    const double t = knots * factor + 270; // 0 points left, full scale right
    const int cx = kMeterCentreX;
    const int cy = kMeterCentreY;
    const TwipPoint tip = at(cx, cy, t, kMeterNeedle);
    const TwipPoint label = at(cx, cy, t, kMeterLabelRadius);
    const TwipPoint b1 = at(cx, cy, t + 90, kArrowHalfWidth);
    const TwipPoint b2 = at(cx, cy, t + 270, kArrowHalfWidth);
    const TwipPoint centre{static_cast<int16_t>(cx), static_cast<int16_t>(cy)};

    std::vector<DrawOp> ops;
    for (const int radius : {kMeterInnerArc, kMeterOuterArc}) {
        ops.push_back({DrawOp::Kind::Arc, cx, cy, 0, kHalfTurnMilliradians, radius, kCyan, {}});
    }
    ops.push_back({DrawOp::Kind::Line, 8400, cy, 8500, cy, 0, kForeground, {}});
    ops.push_back({DrawOp::Kind::Line, 10500, cy, 10600, cy, 0, kForeground, {}});

    meter.placed = true;
    meter.LineTopL = {tip, b2};
    meter.LineTopR = {tip, b1};
    meter.LineDown = {b1, b2};
    meter.LineUM = {centre, tip};
    meter.SpeedLabel = decimalText(knots);
    meter.speedLabelAt = {static_cast<int16_t>(label.x - kSpeedLabelIndent), label.y};
    meterSpeed_ = knots;
    return ops;
}

DirectionTexts directionTexts(int16_t course, double knots) {
    return {std::to_string(course), decimalText(knots)};
}

} // namespace zeph::dashboard
