#include "monitor/views/map_plot.h"

#include "monitor/views/nav_view_texts.h"
#include "monitor/views/wgs84.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidMeasNav = 2;
constexpr double kDefaultScale = 0.3;
constexpr int kPlotMargin = 5; // the plot is this much wider than the largest ring
constexpr uint8_t kMode1FixType = 0x07;
constexpr uint8_t kMode2Fix = 0x01;
constexpr uint8_t kMode2Validated = 0x02;
constexpr double kVelocityUnit = 0.125;
constexpr double kHdopUnit = 0.2;
constexpr double kTowUnit = 0.01;
constexpr const char* kNotAvailable = "n/a";

double number(const std::string& text) {
    const double v = std::strtod(text.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

} // namespace

MapOrigin mapOrigin(const MapViewSettings& settings) {
    MapOrigin o;
    o.scale = number(settings.scale);
    if (!(o.scale > 0)) {
        o.scale = kDefaultScale;
    }
    o.latitude = number(settings.lat);
    o.longitude = number(settings.lon);
    o.rings = {settings.ring0, settings.ring1, settings.ring2};
    o.latitudeText = settings.lat;
    o.longitudeText = settings.lon;
    return o;
}

double wantedMapPlotSize(double scale, const std::array<int, 3>& rings) {
    const int largest = std::max({0, rings[0], rings[1], rings[2]});
    return 2.0 * largest * (1.0 / scale) + kPlotMargin;
}

MapLayout mapLayout(const MapOrigin& origin) {
    MapLayout l;
    l.pixelsPerMetre = 1.0 / origin.scale;
    const double size = wantedMapPlotSize(origin.scale, origin.rings);
    l.size = size >= kMaxMapPlotSize ? kMaxMapPlotSize : static_cast<int>(size);
    l.centre = l.size / 2;
    return l;
}

PlotOps mapBackground(const MapLayout& l, const std::array<int, 3>& rings) {
    const int c = l.centre;
    PlotOps ops{
        PlotOp::fillBox(0, 0, l.size, l.size, kWindowBackground),
        PlotOp::rect(0, 0, l.size, l.size, kBlack),
        PlotOp::line(0, c, l.size - 1, c, kBlack),
        PlotOp::line(c, 0, c, l.size - 1, kBlack),
    };
    for (int r : rings) {
        if (r <= 0) {
            continue;
        }
        // A ring far beyond the plot shows nothing of itself either way.
        const double pixels = std::min(r * l.pixelsPerMetre, 2.0 * kMaxMapPlotSize);
        const int p = static_cast<int>(pixels);
        ops.push_back(PlotOp::ellipse(c - p, c - p, c + p, c + p, kBlack));
    }
    return ops;
}

int clampToPlot(double v, int size) {
    if (std::isnan(v) || std::min(v, size - 1.0) < 1) {
        return 0;
    }
    if (v >= size - 1) {
        return size - 1;
    }
    return static_cast<int>(v);
}

PlotPoint mapPoint(const MapLayout& l, const MapOrigin& origin, double latitude, double longitude) {
    const double eastPerDegree = kMetresPerDegree * std::cos(latitude / kDegreesPerRadian);
    const double x =
        std::trunc(l.pixelsPerMetre * eastPerDegree * (longitude - origin.longitude)) + l.centre;
    const double y =
        l.centre - std::trunc(l.pixelsPerMetre * (latitude - origin.latitude) * kMetresPerDegree);
    return {clampToPlot(x, l.size), clampToPlot(y, l.size)};
}

void TrailRing::add(PlotPoint p) {
    points_[next_] = p;
    next_ = (next_ + 1) % kTrailLength;
    if (count_ < kTrailLength) {
        ++count_;
    } else {
        oldest_ = (oldest_ + 1) % kTrailLength;
    }
}

void TrailRing::clear() {
    next_ = count_ = oldest_ = 0;
}

std::vector<TrailRing::Dot> TrailRing::dots() const {
    std::vector<Dot> out;
    for (int k = 0; k < count_; ++k) {
        out.push_back(
            {points_[(oldest_ + k) % kTrailLength], kTrailColours[kTrailLength - count_ + k]});
    }
    return out;
}

std::string headingText(double degrees) {
    return strprintf("%.0f", degrees < 0 ? degrees + 360 : degrees) + "\u00B0";
}

void MapPlot::load(const MapViewSettings& settings) {
    origin_ = mapOrigin(settings);
    layout_ = mapLayout(origin_);
    trail_.clear();
    latitudeText_ = origin_.latitudeText;
    longitudeText_ = origin_.longitudeText;
}

PlotOps MapPlot::clear() {
    trail_.clear();
    return {PlotOp::copy(PlotSource::Background, 0, 0, layout_.size, layout_.size, 0, 0)};
}

std::optional<MapPlot::Update> MapPlot::onMessage(const RxMessage& msg) {
    if (msg.mid != kMidMeasNav) {
        return std::nullopt;
    }
    const NavRecord nav = msg.as<NavRecord>();
    Update u;
    MapBarTexts& bar = u.bar;
    bar.gpsTime = strprintf("%10.2f", nav.tow * kTowUnit);
    bar.week = strprintf("%4d", nav.week);
    bar.fix = (nav.mode2 & kMode2Validated) != 0 ? "Validated" : "Unvalidated";
    bar.dop = strprintf("%-3.1f", nav.hdop * kHdopUnit);
    bar.mode = navModeText(nav.mode1, 0); // without the second mode byte's suffixes
    bar.svCount = strprintf("%d", nav.svCount);
    for (int k = 0; k < std::min<int>(nav.svCount, 12); ++k) {
        bar.svList += strprintf("%d ", nav.prn[k]);
    }
    if ((nav.mode1 & kMode1FixType) == 0 && (nav.mode2 & kMode2Fix) == 0) {
        bar.latitude = bar.longitude = bar.altitude = bar.heading = bar.velocity = kNotAvailable;
        return u;
    }
    const Geodetic at = ecefToGeodetic(nav.ecef[0], nav.ecef[1], nav.ecef[2]);
    const LocalVelocity v = localVelocity(at, nav.velocity[0], nav.velocity[1], nav.velocity[2]);
    const double latitude = at.latitude * kDegreesPerRadian;
    const double longitude = at.longitude * kDegreesPerRadian;
    latitudeText_ = strprintf("%9.5f", latitude);
    longitudeText_ = strprintf("%9.5f", longitude);
    bar.latitude = latitudeText_;
    bar.longitude = longitudeText_;
    bar.altitude = strprintf("%.0f", at.height);
    bar.heading = headingText(std::atan2(v.east, v.north) * kDegreesPerRadian);
    bar.velocity =
        strprintf("%.3f", std::sqrt(v.east * v.east + v.north * v.north) * kVelocityUnit);

    trail_.add(mapPoint(layout_, origin_, latitude, longitude));
    for (const TrailRing::Dot& d : trail_.dots()) {
        u.plot.push_back(PlotOp::ellipse(d.at.x - 1, d.at.y - 1, d.at.x + 1, d.at.y + 1, d.colour));
    }
    return u;
}

} // namespace zeph::monitor
