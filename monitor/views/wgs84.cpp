#include "monitor/views/wgs84.h"

#include <cmath>

namespace zeph::monitor {

// Newton's method on kappa = (p / z) tan(latitude), starting from its value on the ellipsoid's
// surface; three steps bring a point near the surface well below a millimetre.
Geodetic ecefToGeodetic(double x, double y, double z) {
    constexpr double a = kWgs84SemiMajorAxis;
    constexpr double e2 = kWgs84EccentricitySquared;
    constexpr double kappa0 = 1.0 / (1.0 - e2);

    Geodetic g;
    g.longitude = std::atan2(y, x);
    const double p2 = x * x + y * y;
    const double p = std::sqrt(p2);
    const double z2 = z * z;
    if (p2 == 0 && z2 == 0) {
        g.height = -a; // the centre of the earth: no direction, so no latitude
        return g;
    }
    double kappa = kappa0;
    for (int i = 0; i < kGeodeticIterations; ++i) {
        const double c = std::pow(p2 + (1.0 - e2) * z2 * kappa * kappa, 1.5) / (a * e2);
        kappa = 1.0 + (p2 + (1.0 - e2) * z2 * kappa * kappa * kappa) / (c - p2);
    }
    g.latitude = std::atan2(kappa * z, p);
    g.height = (1.0 / kappa - 1.0 / kappa0) * std::sqrt(p2 + z2 * kappa * kappa) / e2;
    return g;
}

LocalVelocity localVelocity(const Geodetic& at, double vx, double vy, double vz) {
    const double sinLat = std::sin(at.latitude);
    const double cosLat = std::cos(at.latitude);
    const double sinLon = std::sin(at.longitude);
    const double cosLon = std::cos(at.longitude);
    LocalVelocity v;
    v.north = -sinLat * cosLon * vx - sinLat * sinLon * vy + cosLat * vz;
    v.east = -sinLon * vx + cosLon * vy;
    return v;
}

} // namespace zeph::monitor
