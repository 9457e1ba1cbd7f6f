#pragma once

// The Radar view without its widget: the sky plot's background of two circles, where a polar
// point lands, the receiver's heading and speed from a measured navigation message, the arrow
// that shows them, the north mark, and the satellite symbols.

#include "monitor/messages/message_records.h"
#include "monitor/messages/rx_message.h"
#include "monitor/views/plot_ops.h"

#include <optional>
#include <string>

namespace zeph::monitor {

constexpr Rgb kRadarGreen{20, 210, 20}; // circles and the north mark
constexpr Rgb kArrowRed{255, 0, 0};
constexpr int kOrientationNorthUp = 0;
constexpr int kOrientationHeadingUp = 1;
constexpr double kRadiansPerAzimuthUnit = 0.026179938783333336; // 1.5 degrees

// Satellite numbers, and the north mark.
inline const PlotFont kRadarFont{"Arial", 11, 700};

struct RadarGeometry {
    int side = 0;    // the smaller client dimension
    int centreX = 0; // of the plot
    int centreY = 0;
    int radius = 0; // of the horizon circle
    bool operator==(const RadarGeometry&) const = default;
};

RadarGeometry radarGeometry(int clientWidth, int clientHeight);
// The background bitmap (side x side): black, with the horizon and the 45-degree circle.
PlotOps radarBackground(const RadarGeometry& g);

// A point `r` pixels from the centre at `angle` radians clockwise from north, turned by
// `rotation` (0 north up; minus the heading for heading up).
PlotPoint polarPoint(const RadarGeometry& g, double r, double angle, double rotation);

struct RadarMotion {
    double heading = 0; // radians clockwise from north
    double speed = 0;   // horizontal, m/s
};
// From the record's ECEF position and velocity (1/8 m/s) on the WGS-84 ellipsoid.
RadarMotion radarMotion(const NavRecord& nav);

// The arrow's length in pixels: speed over the outer circle's velocity times the radius, and 10
// pixels beyond the horizon for anything faster than the outer circle.
int arrowLength(double speed, double outerVelocity, int radius);
// The red line from the centre with its two barbs.
PlotOps arrowOps(const RadarGeometry& g, int length, double heading, double rotation);
// "N" on the horizon, where north is.
PlotOp northMark(const RadarGeometry& g, double rotation);
// One satellite at (x, y) in colour c with its label; three-character labels get a wide body,
// and a red satellite brackets for panels.
PlotOps satelliteSymbol(PlotPoint at, Rgb c, const std::string& label);

// The view's rule for messages: tracker data waits for the next measured navigation message,
// which redraws arrow, north mark and satellites on a fresh copy of the background.
class RadarPlot {
public:
    void setGeometry(const RadarGeometry& g) { g_ = g; }
    const RadarGeometry& geometry() const { return g_; }
    // The settings' orientation and outer-circle velocity (text, as stored).
    void setSettings(int orientation, const std::string& outerVelocity);
    int orientation() const { return orientation_; }
    double outerVelocity() const { return outerVelocity_; }

    // Nothing, or what to draw on the view: first a copy of the background, then the rest.
    std::optional<PlotOps> onMessage(const RxMessage& msg);
    // The drawing for a measured navigation record and the tracker record.
    PlotOps draw(const NavRecord& nav, const TrackRecord& track) const;

    bool trackerPending() const { return trackerPending_; }
    const NavRecord& trueNav() const { return trueNav_; }

private:
    RadarGeometry g_;
    int orientation_ = kOrientationNorthUp;
    double outerVelocity_ = 4.0;
    TrackRecord track_{};
    NavRecord nav_{};
    NavRecord trueNav_{}; // kept, not drawn
    bool trackerPending_ = false;
};

} // namespace zeph::monitor
