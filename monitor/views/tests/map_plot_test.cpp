// The Map view's rules: settings as numbers, the plot's size and rings, where a fix lands and
// how it is clamped, the trail of eight with its colours, and the texts of the bar.

#include "monitor/views/map_plot.h"

#include "monitor/views/testing/message_maker.h"
#include "monitor/views/testing/plot_messages.h"
#include "monitor/views/wgs84.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zeph::monitor::testing {
namespace {

MapViewSettings mapSettings(std::string scale, std::string lat, std::string lon,
                            std::array<int, 3> rings = {10, 20, 30}) {
    MapViewSettings s;
    s.scale = std::move(scale);
    s.lat = std::move(lat);
    s.lon = std::move(lon);
    s.ring0 = rings[0];
    s.ring1 = rings[1];
    s.ring2 = rings[2];
    return s;
}

TEST(MapLayout, SizeFromTheLargestRing) {
    const struct {
        MapViewSettings settings;
        MapLayout expected;
        const char* why;
    } rows[] = {
        {mapSettings("0.3", "", ""), {1 / 0.3, 205, 102}, "the defaults"},
        {mapSettings("0.3", "", "", {0, 0, 0}), {1 / 0.3, 5, 2}, "all rings 0: 5 x 5"},
        {mapSettings("1", "", "", {-5, -7, 0}), {1, 5, 2}, "negative rings count as none"},
        {mapSettings("2.5", "", "", {0, 100, 40}), {0.4, 85, 42}, "ring 1 is the largest"},
        {mapSettings("0", "", ""), {1 / 0.3, 205, 102}, "scale 0 has no plot: the default"},
        {mapSettings("0.3", "", "", {0, 0, 599}), {1 / 0.3, 3998, 1999}, "599 m at 0.3 m/px"},
        {mapSettings("0.25", "", "", {0, 0, 1000000}), {4, 4001, 2000}, "capped"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(mapLayout(mapOrigin(r.settings)), r.expected) << r.why;
    }
}

TEST(MapLayout, OriginReadAsFarAsItIsANumber) {
    const MapOrigin o = mapOrigin(mapSettings("0.3", "37.4abc", ""));
    EXPECT_EQ(o.latitude, 37.4);
    EXPECT_EQ(o.longitude, 0);
    EXPECT_EQ(o.latitudeText, "37.4abc") << "the texts stay as stored";
}

TEST(MapLayout, BackgroundFrameCrossAndRings) {
    EXPECT_EQ(mapBackground({1, 5, 2}, {0, 0, 0}),
              (PlotOps{PlotOp::fillBox(0, 0, 5, 5, kWhite), PlotOp::rect(0, 0, 5, 5, kBlack),
                       PlotOp::line(0, 2, 4, 2, kBlack), PlotOp::line(2, 0, 2, 4, kBlack)}));
    const PlotOps ops =
        mapBackground(mapLayout(mapOrigin(mapSettings("1", "", "", {10, 0, -5}))), {10, 0, -5});
    ASSERT_EQ(ops.size(), 5u) << "one ring of three";
    EXPECT_EQ(ops.back(), PlotOp::ellipse(2, 2, 22, 22, kBlack));
}

TEST(MapPoints, ClampedToTheBorder) {
    const struct {
        double v;
        int size, expected;
    } rows[] = {
        {-3, 205, 0},    {0, 205, 0},     {0.5, 205, 0},  {1, 205, 1}, {203.9, 205, 203},
        {204, 205, 204}, {5e9, 205, 204}, {-5e9, 205, 0}, {3, 1, 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(clampToPlot(r.v, r.size), r.expected) << r.v << " in " << r.size;
    }
}

TEST(MapPoints, ProjectionAroundTheOrigin) {
    const MapOrigin o = mapOrigin(mapSettings("0.3", "37.4", "-122.1"));
    const MapLayout l = mapLayout(o);
    const double eastDegree = kMetresPerDegree * std::cos(37.4 / kDegreesPerRadian);
    const struct {
        double north, east; // metres
        PlotPoint expected;
    } rows[] = {
        {0, 0, {102, 102}},        {10, 0, {102, 69}}, // 33.33 pixels up
        {0, 15.1, {152, 102}},                         // 50.33 pixels right
        {0, -10.1, {69, 102}},                         // -33.67 truncates to -33
        {-1000, 1000, {204, 204}},                     // beyond the plot: on its border
    };
    for (const auto& r : rows) {
        EXPECT_EQ(mapPoint(l, o, 37.4 + r.north / kMetresPerDegree, -122.1 + r.east / eastDegree),
                  r.expected)
            << r.north << " N " << r.east << " E";
    }
}

TEST(MapTrail, NewestRedAndTheOldestOfEightBlue) {
    TrailRing trail;
    trail.add({1, 1});
    EXPECT_EQ(trail.dots(), (std::vector<TrailRing::Dot>{{{1, 1}, kTrailColours[7]}}));
    for (int k = 2; k <= 8; ++k) {
        trail.add({k, k});
    }
    std::vector<TrailRing::Dot> dots = trail.dots();
    ASSERT_EQ(dots.size(), 8u);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(dots[k], (TrailRing::Dot{{k + 1, k + 1}, kTrailColours[k]}));
    }
    EXPECT_EQ(dots.front().colour, (Rgb{0, 0, 255}));
    trail.add({9, 9});
    dots = trail.dots();
    ASSERT_EQ(dots.size(), 8u);
    EXPECT_EQ(dots.front(), (TrailRing::Dot{{2, 2}, {0, 0, 255}})) << "the first point is gone";
    EXPECT_EQ(dots.back(), (TrailRing::Dot{{9, 9}, {255, 0, 0}}));
    trail.clear();
    trail.add({3, 3});
    EXPECT_EQ(trail.dots(), (std::vector<TrailRing::Dot>{{{3, 3}, {255, 0, 0}}}));
}

TEST(MapTexts, Heading) {
    EXPECT_EQ(headingText(-90), "270\u00B0");
    EXPECT_EQ(headingText(0), "0\u00B0");
    EXPECT_EQ(headingText(-0.4), "360\u00B0") << "359.6 rounds up as printed";
}

class MapPlotTest : public ::testing::Test {
protected:
    MapPlotTest() { plot.load(mapSettings("0.3", "0", "0")); }
    std::optional<MapPlot::Update> fix(const NavFields& n) {
        return plot.onMessage(make.binary(navPayload(n)));
    }
    MessageMaker make;
    MapPlot plot;
};

TEST_F(MapPlotTest, BarTextsOfAFix) {
    NavFields n;
    n.ecef = {-4646093, 2553230, -3534405}; // 34 S 151 E, computed apart
    n.velocity = {20, -34, -35};
    n.tow = 43200055;
    n.hdop = 7;
    n.mode1 = 0x84;
    n.count = 3;
    n.prn = {5, 0, 9, 12};
    const MapPlot::Update u = *fix(n);
    EXPECT_EQ(u.bar, (MapBarTexts{" 432000.55", "1182", "-33.86880", "151.20929", "58", "157\u00B0",
                                  "6.503", "3d+Dgps", "1.4", "Validated", "3", "5 0 9 "}));
    EXPECT_EQ(plot.latitudeText(), "-33.86880");
    ASSERT_EQ(u.plot.size(), 1u);
    EXPECT_EQ(u.plot[0].pen, (Rgb{255, 0, 0}));
    EXPECT_EQ(u.plot[0].x1, 204 - 1) << "far east of the origin: clamped to the border";
    EXPECT_EQ(u.plot[0].y1, 204 - 1) << "far south";
}

TEST_F(MapPlotTest, HeadingWestIs270AndKnownPlacesConvert) {
    const struct {
        std::array<int32_t, 3> ecef;
        std::array<int16_t, 3> velocity;
        const char *lat, *lon, *alt, *hdg, *vel;
    } rows[] = {
        {{6378147, 0, 0}, {0, -8, 0}, "  0.00000", "  0.00000", "10", "270\u00B0", "1.000"},
        {{1257705, 351789, 6222099},
         {16, -12, 1},
         " 78.22320",
         " 15.62668",
         "30",
         "234\u00B0",
         "2.465"},
    };
    for (const auto& r : rows) {
        NavFields n;
        n.ecef = r.ecef;
        n.velocity = r.velocity;
        const MapBarTexts bar = fix(n)->bar;
        EXPECT_EQ(bar.latitude, r.lat);
        EXPECT_EQ(bar.longitude, r.lon);
        EXPECT_EQ(bar.altitude, r.alt);
        EXPECT_EQ(bar.heading, r.hdg);
        EXPECT_EQ(bar.velocity, r.vel);
    }
}

TEST_F(MapPlotTest, NoFixShowsNotAvailableAndPlotsNothing) {
    NavFields n;
    n.mode1 = 0;
    n.mode2 = 0;
    const MapPlot::Update none = *fix(n);
    EXPECT_EQ(none.bar.latitude, "n/a");
    EXPECT_EQ(none.bar.velocity, "n/a");
    EXPECT_EQ(none.bar.mode, "NoGps");
    EXPECT_TRUE(none.plot.empty());
    EXPECT_EQ(plot.latitudeText(), "0") << "still the origin's own text";
    n.mode2 = 1; // a fix by the second mode byte alone
    n.ecef = {6378137, 20, 0};
    const MapPlot::Update some = *fix(n);
    ASSERT_EQ(some.plot.size(), 1u);
    EXPECT_EQ(some.plot[0], PlotOp::ellipse(167, 101, 169, 103, {255, 0, 0}));
    EXPECT_FALSE(plot.onMessage(make.binary(navPayload(n, 1)))) << "only MID 2";
}

TEST_F(MapPlotTest, ClearRestartsTheTrail) {
    NavFields n;
    for (int k = 0; k < 9; ++k) {
        n.ecef[1] = k;
        fix(n);
    }
    EXPECT_EQ(plot.trail().count(), 8);
    EXPECT_EQ(plot.clear(), (PlotOps{PlotOp::copy(PlotSource::Background, 0, 0, 205, 205, 0, 0)}));
    const MapPlot::Update u = *fix(n);
    ASSERT_EQ(u.plot.size(), 1u) << "the first fix after Clear";
    EXPECT_EQ(u.plot[0].pen, (Rgb{255, 0, 0}));
}

} // namespace
} // namespace zeph::monitor::testing
