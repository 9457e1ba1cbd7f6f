#pragma once

// Where the receiver is and which way it moves, from the ECEF position and velocity of a
// navigation message: geodetic latitude, longitude and height on the WGS-84 ellipsoid, and the
// velocity in the local north and east directions. Shared by the Radar, Map, Navigation and
// Geodetic views.

namespace zeph::monitor {

constexpr double kWgs84SemiMajorAxis = 6378137.0;                   // metres
constexpr double kWgs84EccentricitySquared = 0.0066943799901413165; // first eccentricity squared
constexpr int kGeodeticIterations = 3;
constexpr double kDegreesPerRadian = 57.29577951308232;

struct Geodetic {
    double latitude = 0;  // radians, north positive
    double longitude = 0; // radians, east positive
    double height = 0;    // metres above the ellipsoid
};

// Latitude by three Newton iterations on the ellipsoid's equation, from the spherical guess.
Geodetic ecefToGeodetic(double x, double y, double z);

struct LocalVelocity {
    double north = 0;
    double east = 0;
};

// The ECEF velocity (any unit; the result is in the same unit) projected on the local north
// and east unit vectors at the given latitude and longitude.
LocalVelocity localVelocity(const Geodetic& at, double vx, double vy, double vz);

} // namespace zeph::monitor
