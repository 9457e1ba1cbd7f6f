#include "dashboard/core/pointer_displays.h"

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

TEST(PointAt, AnglesFromUpClockwiseWithHalvesToEven) {
    struct Case {
        int cx, cy;
        double degrees, radius;
        TwipPoint expected;
    };
    const Case cases[] = {
        {9500, 3500, 0, 700, {9500, 2800}},
        {9500, 3500, 90, 700, {10200, 3500}},
        {9500, 3500, 180, 700, {9500, 4200}},
        {9500, 3500, 359, 700, {9488, 2800}},
        {9500, 3500, 720 + 270, 700, {8800, 3500}},
        // At 90 degrees the angle is exactly 0: the halves land exactly.
        {0, 0, 90, 2.5, {2, 0}},
        {1, 0, 90, 2.5, {4, 0}},
        {0, 7, 90, -0.5, {0, 7}},
        {0, 0, 90, -1.5, {-2, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pointAt(c.cx, c.cy, c.degrees, c.radius), c.expected)
            << c.degrees << " degrees, radius " << c.radius;
    }
    EXPECT_EQ(pointAt(32000, 0, 90, 1000), std::nullopt);
}

TEST(Compass, CardTurnsAgainstTheCourse) {
    struct Case {
        int16_t course;
        TwipPoint northTip, west, east, southTip, northLetter, eastLetter;
    };
    const Case cases[] = {
        // North at the top.
        {0, {9500, 2850}, {9300, 3500}, {9700, 3500}, {9500, 4150}, {9400, 2500}, {10300, 3400}},
        // E at the top and N on the left.
        {90, {8850, 3500}, {9500, 3700}, {9500, 3300}, {10150, 3500}, {8500, 3400}, {9400, 2500}},
        // One degree off north: the card has turned one degree clockwise.
        {359, {9511, 2850}, {9300, 3497}, {9700, 3503}, {9489, 4150}, {9416, 2500}, {10300, 3416}},
    };
    for (const Case& c : cases) {
        PointerDisplays p;
        ASSERT_TRUE(p.compassTick(c.course));
        const CompassCard& k = p.card;
        EXPECT_EQ(k.LineUp, (TwipLine{c.northTip, {9500, 3500}})) << c.course;
        EXPECT_EQ(k.LineLT, (TwipLine{c.northTip, c.west})) << c.course;
        EXPECT_EQ(k.LineRT, (TwipLine{c.northTip, c.east})) << c.course;
        EXPECT_EQ(k.LineLD, (TwipLine{c.west, c.southTip})) << c.course;
        EXPECT_EQ(k.LineRD, (TwipLine{c.east, c.southTip})) << c.course;
        EXPECT_EQ(k.LineM, (TwipLine{c.east, c.west})) << c.course;
        EXPECT_EQ(k.NorthLabel, c.northLetter) << c.course;
        EXPECT_EQ(k.EastLabel, c.eastLetter) << c.course;
        EXPECT_EQ(k.cirCompass, (TwipRect{8800, 2800, 1400, 1400}));
        EXPECT_EQ(p.CompassLabel, "Compass");
    }
}

TEST(Compass, RedrawsOnlyOnChangeExceptAtZero) {
    PointerDisplays p;
    EXPECT_TRUE(p.compassTick(0));
    EXPECT_TRUE(p.compassTick(0)) << "course 0 redraws every tick";
    EXPECT_TRUE(p.compassTick(45));
    EXPECT_FALSE(p.compassTick(45));
    EXPECT_TRUE(p.compassTick(46));

    EXPECT_TRUE(p.headingTick(0));
    EXPECT_TRUE(p.headingTick(0));
    EXPECT_TRUE(p.headingTick(45));
    EXPECT_FALSE(p.headingTick(45));
    EXPECT_TRUE(p.compassTick(45)) << "each display remembers its own course";
}

TEST(Heading, ArrowFromTheCentreToTheCourse) {
    PointerDisplays p;
    p.compassTick(30);
    const TwipLine needle = p.card.LineUp;
    const auto ops = p.headingTick(90);
    ASSERT_TRUE(ops);
    const std::vector<DrawOp> expected = {
        {DrawOp::Kind::FilledBox, 8800, 2800, 10200, 4200, 0, kButtonFace, {}},
        {DrawOp::Kind::Circle, 9500, 3500, 9500, 3500, 700, kCyan, {}},
        {DrawOp::Kind::Line, 10200, 3500, 9500, 3600, 0, kYellow, {}},
        {DrawOp::Kind::Line, 9500, 3600, 9500, 3400, 0, kYellow, {}},
        {DrawOp::Kind::Line, 9500, 3400, 10200, 3500, 0, kYellow, {}},
        {DrawOp::Kind::Line, 9500, 3500, 10200, 3500, 0, kYellow, {}},
    };
    EXPECT_EQ(*ops, expected);
    EXPECT_EQ(p.card.NorthLabel, (TwipPoint{9430, 2500}));
    EXPECT_EQ(p.card.WestLabel, (TwipPoint{8550, 3400}));
    EXPECT_EQ(p.CompassLabel, "Heading");
    EXPECT_EQ(p.card.LineUp, needle) << "the compass needle stays where it was";

    const auto up = p.headingTick(0);
    ASSERT_TRUE(up);
    EXPECT_EQ((*up)[5], (DrawOp{DrawOp::Kind::Line, 9500, 3500, 9500, 2800, 0, kYellow, {}}));
}

TEST(SpeedMeter, FullScaleAndNeedle) {
    struct Case {
        double knots;
        const char* full;
        TwipPoint tip;
        TwipPoint label;
        const char* figure;
    };
    const Case cases[] = {
        {0, "1", {8600, 1500}, {7850, 1500}, "0"},
        {0.5, "1", {9500, 600}, {9350, 0}, "0.5"},
        {1.0, "100", {8600, 1472}, {7851, 1453}, "1"}, // the first range ends below 1
        {50, "100", {9500, 600}, {9350, 0}, "50"},
        {150, "1000", {8698, 1091}, {8013, 819}, "150"},    // 27 degrees up from the left end
        {1500, "1000", {9500, 2400}, {9350, 3000}, "1500"}, // past the right end
    };
    for (const Case& c : cases) {
        PointerDisplays p;
        const auto ops = p.meterTick(c.knots);
        ASSERT_TRUE(ops) << c.knots;
        EXPECT_EQ(p.meter.MaxLabel, c.full) << c.knots;
        EXPECT_EQ(p.meter.LineUM, (TwipLine{{9500, 1500}, c.tip})) << c.knots;
        EXPECT_EQ(p.meter.LineTopL.from, c.tip);
        EXPECT_EQ(p.meter.speedLabelAt, c.label) << c.knots;
        EXPECT_EQ(p.meter.SpeedLabel, c.figure);
        ASSERT_EQ(ops->size(), 4u);
        EXPECT_EQ((*ops)[0].kind, DrawOp::Kind::Arc);
        EXPECT_EQ((*ops)[1].radius, 1050);
        EXPECT_EQ((*ops)[1].y2, 3140) << "the arc ends at 3.14 radians";
    }
}

TEST(SpeedMeter, BaseCornersAndRedraws) {
    PointerDisplays p;
    ASSERT_TRUE(p.meterTick(50));
    EXPECT_EQ(p.meter.LineDown, (TwipLine{{9600, 1500}, {9400, 1500}}));
    EXPECT_EQ(p.meter.LineTopR, (TwipLine{{9500, 600}, {9600, 1500}}));
    EXPECT_FALSE(p.meterTick(50));
    EXPECT_TRUE(p.meterTick(0));
    EXPECT_TRUE(p.meterTick(0)) << "0 redraws every tick";
}

TEST(Direction, PlainFigures) {
    const DirectionTexts t = directionTexts(271, 12.25);
    EXPECT_EQ(t.CourseLabel, "271");
    EXPECT_EQ(t.SpeedLabel, "12.25");
    EXPECT_EQ(directionTexts(0, 0.1).SpeedLabel, "0.1");
}

} // namespace
} // namespace zeph::dashboard
