#include "monitor/views/plot_ops.h"

#include <utility>

namespace zeph::monitor {
namespace {

PlotOp box(PlotOp::Kind kind, int x1, int y1, int x2, int y2) {
    PlotOp op;
    op.kind = kind;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    return op;
}

} // namespace

PlotOp PlotOp::fillBox(int x1, int y1, int x2, int y2, Rgb colour) {
    PlotOp op = box(Kind::Fill, x1, y1, x2, y2);
    op.fill = colour;
    op.filled = true;
    return op;
}

PlotOp PlotOp::line(int x1, int y1, int x2, int y2, Rgb pen) {
    PlotOp op = box(Kind::Line, x1, y1, x2, y2);
    op.pen = pen;
    return op;
}

PlotOp PlotOp::line(PlotPoint from, PlotPoint to, Rgb pen) {
    return line(from.x, from.y, to.x, to.y, pen);
}

PlotOp PlotOp::polyline(std::vector<PlotPoint> points, Rgb pen) {
    PlotOp op;
    op.kind = Kind::Polyline;
    op.points = std::move(points);
    op.pen = pen;
    return op;
}

PlotOp PlotOp::rect(int x1, int y1, int x2, int y2, Rgb pen) {
    PlotOp op = box(Kind::Rect, x1, y1, x2, y2);
    op.pen = pen;
    return op;
}

PlotOp PlotOp::filledRect(int x1, int y1, int x2, int y2, Rgb pen, Rgb fill) {
    PlotOp op = rect(x1, y1, x2, y2, pen);
    op.fill = fill;
    op.filled = true;
    return op;
}

PlotOp PlotOp::ellipse(int x1, int y1, int x2, int y2, Rgb pen) {
    PlotOp op = box(Kind::Ellipse, x1, y1, x2, y2);
    op.pen = pen;
    return op;
}

PlotOp PlotOp::filledEllipse(int x1, int y1, int x2, int y2, Rgb pen, Rgb fill) {
    PlotOp op = ellipse(x1, y1, x2, y2, pen);
    op.fill = fill;
    op.filled = true;
    return op;
}

PlotOp PlotOp::label(int x, int y, std::string text, Rgb colour, PlotFont font, TextAlign align) {
    PlotOp op;
    op.kind = Kind::Text;
    op.x1 = x;
    op.y1 = y;
    op.text = std::move(text);
    op.pen = colour;
    op.font = std::move(font);
    op.align = align;
    return op;
}

PlotOp PlotOp::opaqueLabel(int x, int y, std::string text, Rgb colour, Rgb background,
                           PlotFont font, TextAlign align) {
    PlotOp op = label(x, y, std::move(text), colour, std::move(font), align);
    op.fill = background;
    op.filled = true;
    return op;
}

PlotOp PlotOp::copy(PlotSource source, int x1, int y1, int x2, int y2, int toX, int toY) {
    PlotOp op = box(Kind::Copy, x1, y1, x2, y2);
    op.source = source;
    op.x3 = toX;
    op.y3 = toY;
    return op;
}

} // namespace zeph::monitor
