#pragma once

// The world map window without its widgets: the read-out of latitude and longitude under the
// mouse, the position texts, and the pulsing position marker. The map's two directions use
// separate constant sets fitted to the picture: the mouse read-out works in twips of the
// picture, the marker in millimetres of the window.

#include "dashboard/core/receiver_state.h"
#include "dashboard/core/sky_plot.h"

#include <string>
#include <string_view>

namespace zeph::dashboard {

// The picture: 491 by 328 pixels shown at 7365 by 4920 twips, its top-left corner 240 twips
// in from its frame's; the prime meridian and the equator at these twips from that corner.
constexpr int kMapWidthTwips = 7365;
constexpr int kMapHeightTwips = 4920;
constexpr int kMapInsetTwips = 240;
constexpr int kMapMeridianTwips = 3765;
constexpr int kMapEquatorTwips = 2505;
constexpr double kTwipsPerMillimetre = 56.69;

// The frame's place in the window, in twips.
constexpr int kMapFrameLeft = 600;
constexpr int kMapFrameTop = 300;

// The marker is placed in millimetres (kTwipsPerMillimetre twips each) from a point of the
// window chosen so that 80.5 mm across and 48.2 mm down fall on the picture's prime meridian
// and equator.
constexpr double kMarkerMeridianMm = 80.5;
constexpr double kMarkerEquatorMm = 48.2;
// Window twips of a point given in the marker's millimetres.
double markerTwipsX(double mm);
double markerTwipsY(double mm);

// A single-precision number as the window writes it: the shortest decimal text that reads
// back the same, with one leading space when it is not negative.
std::string singleText(float value);

// Twips per degree of latitude for a pointer at height `y` over the picture.
float latitudeScale(float y);

struct MouseReadout {
    std::string lblLonM;
    std::string lblLatM;
    bool operator==(const MouseReadout&) const = default;
};
// The read-out for the mouse at (x, y) twips over the picture.
MouseReadout mouseReadout(float x, float y);

// Whole degrees of a position text: the characters before the minutes, read as a number.
double wholeDegrees(std::string_view text);

// The marker (circlePint) in millimetres of the window: its top-left corner and its size.
struct MarkerPlace {
    double left = 0;
    double top = 0;
    double size = 0;
    double centreX() const { return left + size / 2; }
    double centreY() const { return top + size / 2; }
};

class WorldMapCore {
public:
    std::string LatLabel;
    std::string LonLabel;
    MarkerPlace circlePint;
    float markerSize = 1.0f; // grows by 0.5 mm a tick from 1 to 10 mm, then starts again

    // MapTimer: the labels and the marker from the position texts, then the next size.
    void mapTick(const ReceiverState& state);
};

} // namespace zeph::dashboard
