#pragma once

// Replays a core's plot operations on a pixmap with QPainter.

#include "monitor/views/plot_ops.h"

#include <QColor>
#include <QFont>
#include <QPixmap>

namespace zeph::monitor {

inline QColor qColour(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// The font of an operation; `windowFont` for height 0.
QFont plotFont(const PlotFont& font, const QFont& windowFont);

// Draws `ops` on `target`; a Copy from the background reads `background`. A null target (a
// view too small to draw in) is left alone.
void paintOps(QPixmap& target, const PlotOps& ops, const QFont& windowFont,
              const QPixmap* background = nullptr);

} // namespace zeph::monitor
