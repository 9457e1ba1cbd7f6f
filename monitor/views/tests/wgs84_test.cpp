// The WGS-84 conversion against points placed on the ellipsoid by the forward formula
// (latitude, longitude, height to ECEF), computed apart from this code.

#include "monitor/views/wgs84.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zeph::monitor {
namespace {

TEST(Wgs84, EcefToGeodeticMeetsKnownPoints) {
    const struct {
        double x, y, z, latitude, longitude, height;
    } rows[] = {
        {6378137.0, 0.0, 0.0, 0, 0, 0}, // equator
        {-2686705.952729, -4304324.2769, 3851663.038728, 37.3875, -121.9719, 20},
        {-4646093.477288, 2553229.535817, -3534404.71091, -33.8688, 151.2093, 58}, // south
        {1257705.128394, 351789.44721, 6222099.414127, 78.2232, 15.6267, 30},      // pole-near
        {7899.187079, 7899.187079, 6357742.565586, 89.9, 45, 1000},
    };
    for (const auto& r : rows) {
        const Geodetic g = ecefToGeodetic(r.x, r.y, r.z);
        EXPECT_NEAR(g.latitude * kDegreesPerRadian, r.latitude, 1e-8) << r.latitude;
        EXPECT_NEAR(g.longitude * kDegreesPerRadian, r.longitude, 1e-8) << r.latitude;
        EXPECT_NEAR(g.height, r.height, 1e-3) << r.latitude;
    }
}

TEST(Wgs84, OnTheAxisAndAtTheCentre) {
    const Geodetic pole = ecefToGeodetic(0, 0, -6356752.314245);
    EXPECT_NEAR(pole.latitude * kDegreesPerRadian, -90, 1e-9);
    EXPECT_NEAR(pole.height, 0, 1e-3);
    const Geodetic centre = ecefToGeodetic(0, 0, 0);
    EXPECT_EQ(centre.latitude, 0);
    EXPECT_EQ(centre.height, -kWgs84SemiMajorAxis);
}

TEST(Wgs84, LocalVelocityTurnsEcefIntoNorthAndEast) {
    // At 0 N 0 E north is +Z and east is +Y.
    const LocalVelocity equator = localVelocity(ecefToGeodetic(6378137.0, 0, 0), 1, 2, 3);
    EXPECT_NEAR(equator.north, 3, 1e-12);
    EXPECT_NEAR(equator.east, 2, 1e-12);
    // 20 m/s at heading 30 degrees in the southern hemisphere, put into ECEF by hand.
    const Geodetic sydney = ecefToGeodetic(-4646093.477288, 2553229.535817, -3534404.71091);
    const LocalVelocity v =
        localVelocity(sydney, -13.27550575132944, -4.115046760085974, 14.381492871351185);
    EXPECT_NEAR(std::hypot(v.north, v.east), 20, 1e-6);
    EXPECT_NEAR(std::atan2(v.east, v.north) * kDegreesPerRadian, 30, 1e-6);
}

} // namespace
} // namespace zeph::monitor
