#pragma once

// The instruments on the right of the main window, without their widgets: the compass card
// that turns against the course ("No Heading"), the fixed card with a course arrow ("Heading"),
// the half-circle speed meter in knots, and the texts of the Direction window. Moved controls
// (needle lines, letters, the speed figure) are kept as places in twips; what is drawn onto
// the window comes back as drawing operations.

#include "dashboard/core/sky_plot.h"

#include <optional>
#include <string>
#include <vector>

namespace zeph::dashboard {

constexpr int kCompassCentreX = 9500;
constexpr int kCompassCentreY = 3500;
constexpr int kMeterCentreX = 9500;
constexpr int kMeterCentreY = 1500;

// The point at `degrees` (0 up, clockwise) and `radius` around (cx, cy), each coordinate
// rounded to the nearest 16-bit integer, halves to even; none when it leaves 16 bits.
std::optional<TwipPoint> pointAt(int cx, int cy, double degrees, double radius);

// A number as the instruments write it: the shortest decimal text that reads back the same.
std::string decimalText(double value);

struct TwipLine {
    TwipPoint from;
    TwipPoint to;
    bool operator==(const TwipLine&) const = default;
};

// The compass card's controls. The red north half (LineUp, LineLT, LineRT) and the yellow
// south half (LineLD, LineRD) with LineM across form a diamond pointing north; the letters
// are placed by their top-left corners. The heading display moves the letters too.
struct CompassCard {
    bool placed = false; // the needle has been drawn at least once
    TwipRect cirCompass;
    TwipLine LineUp, LineM, LineRT, LineLT, LineRD, LineLD;
    TwipPoint NorthLabel, EastLabel, SouthLabel, WestLabel;
};

// The speed meter's moved controls and texts.
struct SpeedNeedle {
    bool placed = false;
    TwipLine LineTopL, LineTopR, LineDown, LineUM;
    TwipPoint speedLabelAt; // top-left corner of SpeedLabel
    std::string SpeedLabel;
    std::string MaxLabel;
};

class PointerDisplays {
public:
    CompassCard card;
    SpeedNeedle meter;
    std::string CompassLabel; // the instrument title: "Compass" or "Heading"

    // CompassTimer: turns the card so that the course is at the top; false when the course
    // is the one last drawn (and above 0) and nothing moved.
    bool compassTick(int16_t course);
    // HeadingTimer: the fixed card with its arrow, drawn; none when nothing changed.
    std::optional<std::vector<DrawOp>> headingTick(int16_t course);
    // MeterTimer: the scale drawn and the needle moved; none when nothing changed.
    std::optional<std::vector<DrawOp>> meterTick(double knots);

private:
    int16_t compassCourse_ = 0;
    int16_t headingCourse_ = 0;
    double meterSpeed_ = 0;
};

// The Direction window's two figures.
struct DirectionTexts {
    std::string CourseLabel;
    std::string SpeedLabel;
};
DirectionTexts directionTexts(int16_t course, double knots);

} // namespace zeph::dashboard
