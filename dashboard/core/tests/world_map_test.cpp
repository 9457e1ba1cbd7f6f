#include "dashboard/core/world_map.h"

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

TEST(MouseReadout, HemispheresAndTheWestEdge) {
    struct Case {
        float x, y;
        MouseReadout expected;
    };
    const Case cases[] = {
        {3765, 2505, {"Lon : W  0", "Lat  : N   0"}},
        {3966, 2752, {"Lon : E  10", "Lat  : S   10"}},
        {3564, 2010, {"Lon : W  10", "Lat  : N   20.040485"}},
        // (3765 - 30) / 20.1 is past 180 west: shown as 360 minus it, east.
        {30, 0, {"Lon : E  174.17911", "Lat  : N   86.37931"}},
        {0, 4920, {"Lon : E  172.68657", "Lat  : S   84.14634"}},
        {7365, 1200, {"Lon : E  179.10448", "Lat  : N   51.17647"}},
    };
    for (const Case& c : cases) {
        const MouseReadout r = mouseReadout(c.x, c.y);
        EXPECT_EQ(r.lblLonM, c.expected.lblLonM) << c.x;
        EXPECT_EQ(r.lblLatM, c.expected.lblLatM) << c.y;
    }
}

TEST(MouseReadout, LatitudeBandsIncludeTheirBounds) {
    const std::pair<float, float> cases[] = {
        {2010, 24.7f}, {3000, 24.7f}, {2009, 25.5f}, {3001, 25.5f}, {1200, 25.5f}, {3810, 25.5f},
        {1199, 27.0f}, {3811, 27.0f}, {855, 27.0f},  {4660, 27.0f}, {854, 28.7f},  {4661, 28.7f},
        {480, 28.7f},  {5035, 28.7f}, {479, 29.0f},  {5036, 29.0f}, {0, 29.0f},    {2009.5f, 29.0f},
    };
    for (const auto& [y, scale] : cases) {
        EXPECT_EQ(latitudeScale(y), scale) << y;
    }
}

TEST(MouseReadout, NumbersAsTheWindowWritesThem) {
    EXPECT_EQ(singleText(0), " 0");
    EXPECT_EQ(singleText(12.5f), " 12.5");
    EXPECT_EQ(singleText(0.1f), " 0.1");
    EXPECT_EQ(singleText(-3.25f), "-3.25");
}

ReceiverState position(std::string lat, std::string lon) {
    ReceiverState s;
    s.LatitudeText = std::move(lat);
    s.LongitudeText = std::move(lon);
    return s;
}

TEST(MapMarker, CentresByWholeDegrees) {
    struct Case {
        const char* lat;
        const char* lon;
        double x, y; // millimetres
    };
    const Case cases[] = {
        {"2503.5000       N", "12130.2500     E", 80.5 + 121 / 2.85, 48.2 - 25 / 2.2},
        {"1059.9999       S", "12100.0000     W", 80.5 - 121 / 2.78, 48.2 + 10 / 2.3},
        {"2000.0000       N", "00000.0000     E", 80.5, 48.2 - 20 / 2.3},
        {"2100.0000       N", "18000.0000     W", 80.5 - 180 / 2.78, 48.2 - 21 / 2.2},
        {"6000.0000       S", "00100.0000     W", 80.5 - 1 / 2.78, 48.2 + 60 / 2.05},
        {"6100.0000       N", "00100.0000     E", 80.5 + 1 / 2.85, 48.2 - 61 / 1.96},
    };
    for (const Case& c : cases) {
        WorldMapCore map;
        map.mapTick(position(c.lat, c.lon));
        EXPECT_NEAR(map.circlePint.centreX(), c.x, 1e-9) << c.lon;
        EXPECT_NEAR(map.circlePint.centreY(), c.y, 1e-9) << c.lat;
    }
}

TEST(MapMarker, LabelsKeepTheMinutes) {
    WorldMapCore map;
    map.mapTick(position("2446.1234       N", "12130.2500     E"));
    EXPECT_EQ(map.LatLabel, "Latitude    : 24 *   46.1234   '  N");
    EXPECT_EQ(map.LonLabel, "Longitude :121*   30.2500 '  E");
}

TEST(MapMarker, PulsesFromOneToTenMillimetres) {
    WorldMapCore map;
    const ReceiverState s = position("2446.1234       N", "");
    std::vector<double> sizes;
    for (int tick = 0; tick < 21; ++tick) {
        map.mapTick(s);
        sizes.push_back(map.circlePint.size);
        EXPECT_NEAR(map.circlePint.centreX(), 0, 1e-9) << "no longitude: x stays 0";
    }
    EXPECT_EQ(sizes[0], 1.0);
    EXPECT_EQ(sizes[1], 1.5);
    EXPECT_EQ(sizes[18], 10.0);
    EXPECT_EQ(sizes[19], 1.0) << "19 steps, then again";
    EXPECT_EQ(sizes[20], 1.5);
}

TEST(MapMarker, MillimetresLandOnThePicturesMeridianAndEquator) {
    const double meridian = kMapFrameLeft + kMapInsetTwips + kMapMeridianTwips;
    const double equator = kMapFrameTop + kMapInsetTwips + kMapEquatorTwips;
    EXPECT_DOUBLE_EQ(markerTwipsX(kMarkerMeridianMm), meridian);
    EXPECT_DOUBLE_EQ(markerTwipsY(kMarkerEquatorMm), equator);
    EXPECT_DOUBLE_EQ(markerTwipsX(kMarkerMeridianMm + 10), meridian + 566.9);
    // 25 degrees north lies on the picture where the read-out says about 25 degrees north.
    const double y = markerTwipsY(48.2 - 25 / 2.2) - kMapFrameTop - kMapInsetTwips;
    EXPECT_NEAR((kMapEquatorTwips - y) / latitudeScale(static_cast<float>(y)), 25, 1.0);
}

} // namespace
} // namespace zeph::dashboard
