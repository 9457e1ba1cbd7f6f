#pragma once

// The main window's satellite view without its widgets: where each satellite's symbol sits on
// the sky plot and in which colour, the DisplayTimer tick's rules, and the bar row as a list of
// drawing operations in twips that the window replays on its drawing surface.

#include "dashboard/core/receiver_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::dashboard {

// 16-colour palette indices the view draws with.
constexpr int16_t kCyan = 3;
constexpr int16_t kLightBlue = 9;
constexpr int16_t kLightGreen = 10;
constexpr int16_t kLightRed = 12;
constexpr int16_t kLightCyan = 11;
constexpr int16_t kYellow = 14;
// The window's own inks: the button face erases, the foreground marks print positions.
constexpr int16_t kButtonFace = -1;
constexpr int16_t kForeground = -2;

constexpr int16_t kSkyRadius = 1850;
constexpr int kSkyCentreX = 3000;
constexpr int kSkyCentreY = 2500;

struct TwipPoint {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const TwipPoint&) const = default;
};

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect&) const = default;
};

// One drawing step in twips. Box and FilledBox span the corners (x1, y1) and (x2, y2); a
// Circle is centred on (x1, y1) with `radius`, a Disc is the same circle filled; an Arc runs
// round the centre (x1, y1) at `radius` from the angle x2 to the angle y2, both in thousandths
// of a radian counter-clockwise from east; Text starts with its top-left corner at (x1, y1);
// Clear wipes the whole drawing.
struct DrawOp {
    enum class Kind { Line, Box, FilledBox, Circle, Text, Clear, Disc, Arc };
    Kind kind = Kind::Line;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int radius = 0;
    int16_t color = kForeground;
    std::string text;
    bool operator==(const DrawOp&) const = default;
};

// Sky-plot point for elevation and azimuth in degrees: north up, east right, the zenith at the
// centre and the horizon on the circle of `radius`. None when a coordinate leaves 16 bits.
std::optional<TwipPoint> skyPoint(int16_t radius, int elevation, int azimuth);

// True when at least 4 of the rows in view have an SNR above 3.
bool UsableCount(const ReceiverState& state);

// A satellite's symbol (spSat, a filled circle) and label (lbSat, the PRN on the same colour).
struct SatSymbol {
    bool visible = false;
    TwipPoint at;      // the point the placement computed
    int16_t color = 0; // palette index
    std::string caption;

    TwipRect symbolRect() const { return {at.x - 130, at.y - 100, 300, 300}; }
    TwipRect labelRect() const { return {at.x - 80, at.y - 50, 180, 180}; }
};

class SkyPlot {
public:
    int16_t SkyRadius = kSkyRadius;
    std::array<int16_t, kSatRows> PrevPRN{};
    std::array<int16_t, kSatRows> SatColor{};
    std::array<SatSymbol, kSatRows> symbols{};

    // Places row `row` of SatInfo on the plot and chooses its colour.
    void CheckPosi(const ReceiverState& state, int row);
    void DisplaySatPo(TwipPoint at, int16_t color, int row, int16_t prn);

    // Activation: rows in view placed, the others hidden.
    void redrawSymbols(const ReceiverState& state);

    // The DisplayTimer tick's drawing. Two rows in view with one PRN (a mixed set) draw nothing
    // and leave the view as it was: none. Otherwise the centre cross and, with 12 or fewer
    // satellites in view, the bar row; symbols move only when a row's PRN changed.
    std::optional<std::vector<DrawOp>> displayTick(ReceiverState& state);

    static bool hasRepeatedPrn(const ReceiverState& state);
    static std::vector<DrawOp> centreCross(int16_t color);
    std::vector<DrawOp> barRow(const ReceiverState& state) const;
    // The areas new single-receiver settings wipe.
    static std::vector<DrawOp> settingsAreas();

private:
    static int rowsInView(const ReceiverState& state);
};

} // namespace zeph::dashboard
