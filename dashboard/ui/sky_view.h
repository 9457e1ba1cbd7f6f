#pragma once

// The client area of the main window, laid out and painted in twips: a background with the
// sky-plot grid, the drawing the satellite view leaves (replayed drawing operations, kept until
// erased), and the satellite symbols and labels on top.

#include "dashboard/core/sky_plot.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <vector>

namespace zeph::dashboard {

constexpr int kTwipsPerPixel = 15; // 96 dpi
constexpr int kFormWidthTwips = 11100;
constexpr int kFormHeightTwips = 6750;

int twipsToPixels(int twips);
QRect twipsToPixels(const TwipRect& rect);
// Palette index 0..15 of the 16-colour palette.
QColor paletteColor(int16_t index);

// Replays drawing operations in twips onto `image` (a transparent image at one pixel per
// kTwipsPerPixel twips); erasing clears back to transparent.
void replayOps(QImage& image, const std::vector<DrawOp>& ops, const QColor& foreground,
               const QFont& font);

class SkyView : public QWidget {
    Q_OBJECT
public:
    SkyView(const SkyPlot& plot, QWidget* parent = nullptr);

    void replay(const std::vector<DrawOp>& ops);
    // The drawing alone, without background and symbols.
    const QImage& drawing() const { return drawing_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor ink(int16_t color) const;
    void paintGrid(QPainter& painter) const;
    void paintSymbols(QPainter& painter) const;

    const SkyPlot& plot_;
    QImage drawing_;
};

} // namespace zeph::dashboard
