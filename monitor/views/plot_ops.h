#pragma once

// What the plotting views draw, as a list of operations on a surface of pixels: the cores work
// out every line, box, dot and text, and the widgets replay the lists on their pixmaps.
//
// Coordinates follow the box rule of the plots: a Fill, Rect or Ellipse covers the pixels from
// (x1, y1) up to but not including (x2, y2). A Line covers both of its end points.

#include <cstdint>
#include <string>
#include <vector>

namespace zeph::monitor {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
// The window background the views fill their plots with.
constexpr Rgb kWindowBackground = kWhite;

struct PlotPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlotPoint&) const = default;
};

// A font by family and cell height in pixels; height 0 is the window's own font.
struct PlotFont {
    std::string family;
    int height = 0;
    int weight = 400; // 700 is bold
    bool operator==(const PlotFont&) const = default;
};

// Where a text's point lies on its box.
enum class TextAlign { TopLeft, TopRight, BottomLeft, MiddleLeft, Centre };

// Which pixmap a Copy reads: the one drawn on, or the view's background pixmap.
enum class PlotSource { Own, Background };

struct PlotOp {
    enum class Kind {
        Fill,     // the box in `fill`
        Line,     // (x1, y1) to (x2, y2) in `pen`
        Polyline, // through `points` in `pen`
        Rect,     // the box's outline in `pen`, its inside in `fill` when `filled`
        Ellipse,  // the ellipse in the box, outline and inside as for Rect
        Text,     // `text` at (x1, y1) placed by `align`; on `fill` when `filled`
        Copy,     // the box (x1, y1, x2, y2) of `source` to the top-left point (x3, y3)
    };
    Kind kind = Kind::Line;
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int x3 = 0;
    int y3 = 0;
    Rgb pen;
    Rgb fill;
    bool filled = false;
    std::vector<PlotPoint> points;
    std::string text; // UTF-8
    PlotFont font;
    TextAlign align = TextAlign::TopLeft;
    PlotSource source = PlotSource::Own;

    bool operator==(const PlotOp&) const = default;

    static PlotOp fillBox(int x1, int y1, int x2, int y2, Rgb colour);
    static PlotOp line(int x1, int y1, int x2, int y2, Rgb pen);
    static PlotOp line(PlotPoint from, PlotPoint to, Rgb pen);
    static PlotOp polyline(std::vector<PlotPoint> points, Rgb pen);
    static PlotOp rect(int x1, int y1, int x2, int y2, Rgb pen);
    static PlotOp filledRect(int x1, int y1, int x2, int y2, Rgb pen, Rgb fill);
    static PlotOp ellipse(int x1, int y1, int x2, int y2, Rgb pen);
    static PlotOp filledEllipse(int x1, int y1, int x2, int y2, Rgb pen, Rgb fill);
    static PlotOp label(int x, int y, std::string text, Rgb colour, PlotFont font,
                        TextAlign align = TextAlign::TopLeft);
    // A text on an opaque background: it wipes what an earlier, longer text left there.
    static PlotOp opaqueLabel(int x, int y, std::string text, Rgb colour, Rgb background,
                              PlotFont font, TextAlign align = TextAlign::TopLeft);
    static PlotOp copy(PlotSource source, int x1, int y1, int x2, int y2, int toX, int toY);
};

using PlotOps = std::vector<PlotOp>;

} // namespace zeph::monitor
