// The Radar view's rules: geometry and background, polar points, heading and speed at known
// points, the arrow with its clamp and barbs, the north mark, the satellite symbols, and the rule
// that a measured navigation message draws the latest tracker data.

#include "monitor/views/radar_plot.h"

#include "monitor/views/satellite_colours.h"
#include "monitor/views/testing/message_maker.h"
#include "monitor/views/testing/plot_messages.h"
#include "monitor/views/wgs84.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zeph::monitor::testing {
namespace {

constexpr double kPi = std::numbers::pi;

// 300 x 400: side 300, horizon radius 135 round (150, 150).
const RadarGeometry kG = radarGeometry(300, 400);

TEST(RadarGeometry, SquareInsetCircles) {
    EXPECT_EQ(kG, (RadarGeometry{300, 150, 150, 135}));
    EXPECT_EQ(radarGeometry(501, 301), (RadarGeometry{301, 150, 150, 135}));
    EXPECT_EQ(radarBackground(kG), (PlotOps{PlotOp::fillBox(0, 0, 300, 300, kBlack),
                                            PlotOp::ellipse(15, 15, 285, 285, kRadarGreen),
                                            PlotOp::ellipse(82, 82, 218, 218, kRadarGreen)}));
}

TEST(RadarGeometry, PolarPointsAreTruncatedAfterTheCentreIsAdded) {
    const struct {
        double r, angle, rotation;
        PlotPoint expected;
    } rows[] = {
        {100, 0, 0, {150, 50}},
        {100, kPi / 2, 0, {250, 150}},
        {100, kPi, 0, {150, 250}},
        {100, kPi / 2, -kPi / 2, {150, 50}}, // heading up: the direction of travel is up
        {10, 0.1, 0, {150, 140}},            // 150.998, 140.05
        {10, -0.1, 0, {149, 140}},           // 149.002: truncated, not rounded towards the centre
    };
    for (const auto& r : rows) {
        EXPECT_EQ(polarPoint(kG, r.r, r.angle, r.rotation), r.expected) << r.r << " " << r.angle;
    }
}

// The records' ECEF position (metres) and velocity (1/8 m/s) were made from latitude, longitude,
// height and a north/east/up velocity by the forward formula, and the expected heading and speed
// were computed back from those rounded values by a fixed-point iteration run to convergence.
TEST(RadarMotion, HeadingAndSpeedAtKnownPoints) {
    const struct {
        const char* where;
        std::array<int32_t, 3> ecef;
        std::array<int16_t, 3> velocity;
        double heading, speed; // degrees, m/s
    } rows[] = {
        {"equator", {6378137, 0, 0}, {0, 32, 24}, 53.130102354, 5.0},
        {"78 N 15 E", {1257705, 351789, 6222099}, {16, -12, 1}, -126.442308082, 2.465385328},
        {"34 S 151 E", {-4646093, 2553230, -3534405}, {20, -34, -35}, 157.193336876, 6.502730629},
    };
    for (const auto& r : rows) {
        NavRecord nav{};
        for (int k = 0; k < 3; ++k) {
            nav.ecef[k] = r.ecef[k];
            nav.velocity[k] = r.velocity[k];
        }
        const RadarMotion m = radarMotion(nav);
        EXPECT_NEAR(m.heading * kDegreesPerRadian, r.heading, 1e-6) << r.where;
        EXPECT_NEAR(m.speed, r.speed, 1e-8) << r.where;
    }
}

TEST(RadarArrow, LengthClampsTenPixelsBeyondTheHorizon) {
    const struct {
        double speed, outer;
        int expected;
    } rows[] = {
        {2, 4, 67},     {4, 4, 135},   {4.02, 4, 135}, // 135.675 is no more than the radius
        {4.04, 4, 145}, {400, 4, 145}, {0, 4, 0},      {1, 0, 145}, {0, 0, 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(arrowLength(r.speed, r.outer, 135), r.expected) << r.speed << "/" << r.outer;
    }
}

TEST(RadarArrow, LineAndBarbs) {
    EXPECT_EQ(arrowOps(kG, 145, 0, 0), (PlotOps{PlotOp::line(150, 150, 150, 5, kArrowRed),
                                                PlotOp::line(150, 5, 156, 10, kArrowRed),
                                                PlotOp::line(150, 5, 143, 10, kArrowRed)}))
        << "tip 10 pixels outside the horizon at y 15";
    const PlotOps still = arrowOps(kG, 0, 1.0, 0);
    for (const PlotOp& op : still) {
        EXPECT_EQ(op, PlotOp::line(150, 150, 150, 150, kArrowRed)) << "nothing beyond the centre";
    }
    EXPECT_EQ(arrowOps(kG, 5, kPi / 2, 0)[1], PlotOp::line(155, 150, 150, 150, kArrowRed))
        << "a short arrow's barbs go back to the centre";
    EXPECT_EQ(arrowOps(kG, 6, kPi / 2, 0)[2], PlotOp::line(156, 150, 150, 149, kArrowRed));
}

TEST(RadarNorthMark, OnTheHorizonWhereNorthIs) {
    EXPECT_EQ(northMark(kG, 0), PlotOp::opaqueLabel(150, 15, "N", kRadarGreen, kBlack, kRadarFont,
                                                    TextAlign::Centre));
    // Heading up while travelling east: north lies to the left.
    const PlotOp west = northMark(kG, -kPi / 2);
    EXPECT_EQ((PlotPoint{west.x1, west.y1}), (PlotPoint{15, 150}));
}

TEST(RadarSatellite, SymbolShapes) {
    const PlotOps two = satelliteSymbol({100, 60}, kUsedGreen, " 5");
    EXPECT_EQ(two.front(), PlotOp::filledEllipse(92, 52, 108, 68, kUsedGreen, kUsedGreen));
    EXPECT_EQ(two[1], PlotOp::line(107, 60, 114, 60, kUsedGreen));
    EXPECT_EQ(two[2], PlotOp::line(93, 60, 86, 60, kUsedGreen));
    EXPECT_EQ(two[3], PlotOp::line(114, 51, 114, 69, kUsedGreen));
    EXPECT_EQ(two[4], PlotOp::line(86, 51, 86, 69, kUsedGreen));
    EXPECT_EQ(two.back(), PlotOp::label(94, 53, " 5", kBlack, kRadarFont));

    const PlotOps wide = satelliteSymbol({100, 60}, kSbasTeal, "138");
    EXPECT_EQ(wide.front(), PlotOp::filledEllipse(90, 53, 110, 67, kSbasTeal, kSbasTeal));
    EXPECT_EQ(wide.back().x1, 91);

    const PlotOps red = satelliteSymbol({100, 60}, kNoSignalRed, "17");
    EXPECT_EQ(red[3], PlotOp::polyline({{111, 49}, {114, 53}, {114, 67}, {111, 71}}, kNoSignalRed));
    EXPECT_EQ(red[4], PlotOp::polyline({{89, 49}, {86, 53}, {86, 67}, {89, 71}}, kNoSignalRed));
}

class RadarPlotTest : public ::testing::Test {
protected:
    RadarPlotTest() { plot.setGeometry(kG); }
    MessageMaker make;
    RadarPlot plot;
};

TEST_F(RadarPlotTest, MeasuredNavigationDrawsTheLatestTrackerData) {
    TrackFields t{};
    t[0] = {5, 60, 90, 0xBF, flatCno(40)}; // east, 45 degrees up
    t[1] = {138, 0, 0, 0xBF, flatCno(40)}; // north on the horizon
    EXPECT_FALSE(plot.onMessage(make.binary(trackPayload(t))));
    NavFields n;
    n.velocity = {0, 0, 16}; // 2 m/s north at 0 N 0 E
    n.prn[0] = 5;
    EXPECT_FALSE(plot.onMessage(make.binary(navPayload(n, 1)))) << "the true navigation is kept";
    const std::optional<PlotOps> ops = plot.onMessage(make.binary(navPayload(n)));
    ASSERT_TRUE(ops);
    EXPECT_EQ(ops->front(), PlotOp::copy(PlotSource::Background, 0, 0, 300, 300, 0, 0));
    EXPECT_EQ((*ops)[1], PlotOp::line(150, 150, 150, 83, kArrowRed)) << "67 pixels north";
    EXPECT_EQ((*ops)[4].text, "N");
    // Satellite 5: radius trunc(0.5 x 135) = 67 at 90 degrees; 138: the horizon at north.
    EXPECT_EQ((*ops)[5], PlotOp::filledEllipse(209, 142, 225, 158, kUsedGreen, kUsedGreen));
    const auto sbas = std::find_if(ops->begin() + 6, ops->end(), [](const PlotOp& op) {
        return op.kind == PlotOp::Kind::Ellipse;
    });
    ASSERT_NE(sbas, ops->end());
    EXPECT_EQ(*sbas, PlotOp::filledEllipse(140, 8, 160, 22, kTrackedBlue, kTrackedBlue));
    EXPECT_FALSE(plot.onMessage(make.binary(navPayload(n)))) << "no new tracker data";
}

TEST_F(RadarPlotTest, HeadingUpTurnsEverything) {
    plot.setSettings(kOrientationHeadingUp, "4.0");
    TrackFields t{};
    t[0] = {5, 60, 0, 0xBF, flatCno(40)}; // east on the horizon
    plot.onMessage(make.binary(trackPayload(t)));
    NavFields n;
    n.velocity = {0, 16, 0}; // 2 m/s east
    const PlotOps ops = *plot.onMessage(make.binary(navPayload(n)));
    EXPECT_EQ(ops[1], PlotOp::line(150, 150, 150, 83, kArrowRed)) << "travel points up";
    EXPECT_EQ(ops[4].x1, 15) << "north to the left";
    EXPECT_EQ(ops[5].x1, 150 - 8) << "the eastern satellite straight ahead";
    EXPECT_EQ(ops[5].y1, 15 - 8);
}

TEST_F(RadarPlotTest, SettingsReadTheStoredVelocity) {
    plot.setSettings(kOrientationNorthUp, "2.50");
    EXPECT_EQ(plot.outerVelocity(), 2.5);
    plot.setSettings(kOrientationNorthUp, "fast");
    EXPECT_EQ(plot.outerVelocity(), 0);
    EXPECT_EQ(arrowLength(1, plot.outerVelocity(), 135), 145) << "no division by zero";
}

} // namespace
} // namespace zeph::monitor::testing
