#pragma once

// The Map view without its widget: the plot's size and rings from the settings, where a fix
// lands on it (clamped to its border), the ring of the eight newest points with their trail
// colours, and the texts of the bar above the plot.

#include "monitor/messages/message_records.h"
#include "monitor/messages/rx_message.h"
#include "monitor/shell/settings.h"
#include "monitor/views/plot_ops.h"

#include <array>
#include <optional>
#include <string>

namespace zeph::monitor {

constexpr double kMetresPerDegree = 111199.233;
constexpr int kTrailLength = 8;
// A plot never grows beyond this many pixels a side: its two bitmaps then take 64 MB each
// (huge rings at a fine scale would ask for gigabytes). The Preferences refuse larger plots; one
// set in the file by hand is cut to this size, and what lies beyond is clamped to its border like
// any far point.
constexpr int kMaxMapPlotSize = 4001;

// Trail colours from the oldest of eight to the newest.
constexpr std::array<Rgb, kTrailLength> kTrailColours = {{
    {0, 0, 255},
    {32, 0, 220},
    {64, 0, 160},
    {96, 0, 140},
    {120, 0, 120},
    {160, 0, 32},
    {220, 0, 20},
    {255, 0, 0},
}};

// The settings as the view uses them.
struct MapOrigin {
    double scale = 0.3; // metres per pixel
    double latitude = 0;
    double longitude = 0;
    std::array<int, 3> rings{10, 20, 30}; // metres; 0 or less draws no ring
    std::string latitudeText;             // as stored, until the first fix replaces them
    std::string longitudeText;
};
// Numbers are read as far as they go ("" is 0); a scale of 0 or less, which has no plot, is the
// default 0.3.
MapOrigin mapOrigin(const MapViewSettings& settings);

struct MapLayout {
    double pixelsPerMetre = 0;
    int size = 0; // width and height
    int centre = 0;
    bool operator==(const MapLayout&) const = default;
};
// The side the rings ask for, before the cap: twice the largest ring plus a margin, in pixels.
double wantedMapPlotSize(double scale, const std::array<int, 3>& rings);
MapLayout mapLayout(const MapOrigin& origin);
// The background: the plot's frame, the cross through its centre and the rings.
PlotOps mapBackground(const MapLayout& layout, const std::array<int, 3>& rings);

// A coordinate kept inside a plot of `size` pixels: 0 or below goes to the first pixel, beyond
// the last-but-one to the last.
int clampToPlot(double v, int size);
// Where a latitude and longitude (degrees) land, clamped.
PlotPoint mapPoint(const MapLayout& layout, const MapOrigin& origin, double latitude,
                   double longitude);

// The newest eight points, oldest first, each with its trail colour: the newest is always red.
class TrailRing {
public:
    void add(PlotPoint p);
    void clear();
    int count() const { return count_; }
    struct Dot {
        PlotPoint at;
        Rgb colour;
        bool operator==(const Dot&) const = default;
    };
    std::vector<Dot> dots() const;

private:
    std::array<PlotPoint, kTrailLength> points_{};
    int next_ = 0;
    int count_ = 0;
    int oldest_ = 0;
};

// The fields of the bar above the plot.
struct MapBarTexts {
    std::string gpsTime, week, latitude, longitude, altitude, heading, velocity, mode, dop, fix,
        svCount, svList;
    bool operator==(const MapBarTexts&) const = default;
};

// Degrees east of north, 0 to 360, with the degree sign.
std::string headingText(double degrees);

// The view's rule for measured navigation messages.
class MapPlot {
public:
    struct Update {
        MapBarTexts bar;
        PlotOps plot; // dots drawn on the plot bitmap; none without a fix
    };

    // The settings (again): the layout follows, and the trail is emptied.
    void load(const MapViewSettings& settings);
    const MapOrigin& origin() const { return origin_; }
    const MapLayout& layout() const { return layout_; }
    PlotOps background() const { return mapBackground(layout_, origin_.rings); }

    // "&Clear": the background over the plot, and no trail.
    PlotOps clear();
    std::optional<Update> onMessage(const RxMessage& msg);

    // The latest fix as "%9.5f" texts, or the origin's texts before the first fix.
    const std::string& latitudeText() const { return latitudeText_; }
    const std::string& longitudeText() const { return longitudeText_; }
    const TrailRing& trail() const { return trail_; }

private:
    MapOrigin origin_;
    MapLayout layout_;
    TrailRing trail_;
    std::string latitudeText_;
    std::string longitudeText_;
};

} // namespace zeph::monitor
