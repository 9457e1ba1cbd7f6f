#include "monitor/views/radar_plot.h"

#include "monitor/views/satellite_colours.h"
#include "monitor/views/wgs84.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zeph::monitor {
namespace {

constexpr int kPlotInset = 15;
constexpr int kArrowOvershoot = 10;
constexpr int kBarbSetBack = 5;
constexpr double kBarbAngle = 0.05;
constexpr double kVelocityUnit = 0.125; // m/s per unit of the record
constexpr double kElevationUnits = 180; // half degrees from horizon to zenith
constexpr uint8_t kMidTrueNav = 1;
constexpr uint8_t kMidMeasNav = 2;
constexpr uint8_t kMidTracker3 = 3;
constexpr uint8_t kMidTracker4 = 4;

} // namespace

RadarGeometry radarGeometry(int clientWidth, int clientHeight) {
    RadarGeometry g;
    g.side = std::min(clientWidth, clientHeight);
    const int inset = g.side - 2 * kPlotInset;
    g.radius = inset / 2;
    g.centreX = kPlotInset + g.radius;
    g.centreY = kPlotInset + g.radius;
    return g;
}

PlotOps radarBackground(const RadarGeometry& g) {
    const int outerFar = g.side - kPlotInset;
    const int quarter = (g.side - 2 * kPlotInset) / 4;
    return {
        PlotOp::fillBox(0, 0, g.side, g.side, kBlack),
        PlotOp::ellipse(kPlotInset, kPlotInset, outerFar, outerFar, kRadarGreen),
        PlotOp::ellipse(kPlotInset + quarter, kPlotInset + quarter, outerFar - quarter,
                        outerFar - quarter, kRadarGreen),
    };
}

PlotPoint polarPoint(const RadarGeometry& g, double r, double angle, double rotation) {
    const double a = angle + rotation;
    return {static_cast<int>(g.centreX + r * std::sin(a)),
            static_cast<int>(g.centreY - r * std::cos(a))};
}

RadarMotion radarMotion(const NavRecord& nav) {
    const Geodetic at = ecefToGeodetic(nav.ecef[0], nav.ecef[1], nav.ecef[2]);
    const LocalVelocity v = localVelocity(at, nav.velocity[0], nav.velocity[1], nav.velocity[2]);
    return {std::atan2(v.east, v.north),
            std::sqrt(v.east * v.east + v.north * v.north) * kVelocityUnit};
}

int arrowLength(double speed, double outerVelocity, int radius) {
    const double length = speed / outerVelocity * radius;
    if (std::isnan(length) || length <= 0) {
        return 0; // standing still, or an outer velocity of 0 or less in the settings
    }
    return length >= radius + 1 ? radius + kArrowOvershoot : static_cast<int>(length);
}

PlotOps arrowOps(const RadarGeometry& g, int length, double heading, double rotation) {
    const PlotPoint centre{g.centreX, g.centreY};
    const PlotPoint tip = polarPoint(g, length, heading, rotation);
    const int barb = length < kBarbSetBack + 1 ? 0 : length - kBarbSetBack;
    return {
        PlotOp::line(centre, tip, kArrowRed),
        PlotOp::line(tip, polarPoint(g, barb, heading + kBarbAngle, rotation), kArrowRed),
        PlotOp::line(tip, polarPoint(g, barb, heading - kBarbAngle, rotation), kArrowRed),
    };
}

PlotOp northMark(const RadarGeometry& g, double rotation) {
    const PlotPoint at = polarPoint(g, g.radius, 0, rotation);
    return PlotOp::opaqueLabel(at.x, at.y, "N", kRadarGreen, kBlack, kRadarFont, TextAlign::Centre);
}

PlotOps satelliteSymbol(PlotPoint at, Rgb c, const std::string& label) {
    const int x = at.x;
    const int y = at.y;
    PlotOps ops;
    if (label.size() < 3) {
        ops.push_back(PlotOp::filledEllipse(x - 8, y - 8, x + 8, y + 8, c, c));
    } else {
        ops.push_back(PlotOp::filledEllipse(x - 10, y - 7, x + 10, y + 7, c, c));
    }
    ops.push_back(PlotOp::line(x + 7, y, x + 14, y, c));
    ops.push_back(PlotOp::line(x - 7, y, x - 14, y, c));
    for (int side : {1, -1}) {
        const int near = x + side * 11;
        const int far = x + side * 14;
        if (c == kNoSignalRed) {
            ops.push_back(
                PlotOp::polyline({{near, y - 11}, {far, y - 7}, {far, y + 7}, {near, y + 11}}, c));
        } else {
            ops.push_back(PlotOp::line(far, y - 9, far, y + 9, c));
        }
    }
    const int labelX = label.size() > 2 ? x - 9 : x - 6;
    ops.push_back(PlotOp::label(labelX, y - 7, label, kBlack, kRadarFont));
    return ops;
}

void RadarPlot::setSettings(int orientation, const std::string& outerVelocity) {
    orientation_ = orientation;
    outerVelocity_ = std::strtod(outerVelocity.c_str(), nullptr);
}

std::optional<PlotOps> RadarPlot::onMessage(const RxMessage& msg) {
    switch (msg.mid) {
    case kMidTracker3:
    case kMidTracker4:
        track_ = msg.as<TrackRecord>();
        trackerPending_ = true;
        return std::nullopt;
    case kMidTrueNav:
        trueNav_ = msg.as<NavRecord>();
        return std::nullopt;
    case kMidMeasNav:
        if (!trackerPending_) {
            return std::nullopt;
        }
        trackerPending_ = false;
        nav_ = msg.as<NavRecord>();
        return draw(nav_, track_);
    default:
        return std::nullopt;
    }
}

PlotOps RadarPlot::draw(const NavRecord& nav, const TrackRecord& track) const {
    PlotOps ops{PlotOp::copy(PlotSource::Background, 0, 0, g_.side, g_.side, 0, 0)};
    const RadarMotion motion = radarMotion(nav);
    const double rotation = orientation_ == kOrientationHeadingUp ? -motion.heading : 0;
    const PlotOps arrow = arrowOps(g_, arrowLength(motion.speed, outerVelocity_, g_.radius),
                                   motion.heading, rotation);
    ops.insert(ops.end(), arrow.begin(), arrow.end());
    ops.push_back(northMark(g_, rotation));
    for (int i = 0; i < 12; ++i) {
        const TrackChannel ch = track.channel[i];
        if (ch.svid == 0) {
            continue;
        }
        const Rgb c = rgbOf(satelliteColour(ch.svid, ch.state, track.averageCno[i], nav));
        const double r = (1 - ch.elevation / kElevationUnits) * g_.radius;
        const PlotPoint at =
            polarPoint(g_, static_cast<int>(r), ch.azimuth * kRadiansPerAzimuthUnit, rotation);
        const PlotOps symbol = satelliteSymbol(at, c, strprintf("%2d", ch.svid));
        ops.insert(ops.end(), symbol.begin(), symbol.end());
    }
    return ops;
}

} // namespace zeph::monitor
