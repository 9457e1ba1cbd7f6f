#include "dashboard/ui/sky_view.h"

#include <QPainter>

#include <array>
#include <cmath>

namespace zeph::dashboard {

namespace {

constexpr double kScale = 1.0 / kTwipsPerPixel;
constexpr int kTextTwips = 150;  // bar-row figures
constexpr int kLabelTwips = 120; // PRN captions of the symbols

QRectF corners(const DrawOp& op) {
    return QRectF(QPointF(op.x1, op.y1), QPointF(op.x2, op.y2)).normalized();
}

QFont twipFont(const QFont& base, int pixelTwips) {
    QFont font(base);
    font.setPixelSize(pixelTwips);
    return font;
}

} // namespace

int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

QRect twipsToPixels(const TwipRect& rect) {
    return {twipsToPixels(rect.left), twipsToPixels(rect.top), twipsToPixels(rect.width),
            twipsToPixels(rect.height)};
}

QColor paletteColor(int16_t index) {
    static const std::array<QColor, 16> palette = {
        QColor(0, 0, 0),       QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 128),
        QColor(128, 0, 0),     QColor(128, 0, 128), QColor(128, 128, 0), QColor(192, 192, 192),
        QColor(128, 128, 128), QColor(0, 0, 255),   QColor(0, 255, 0),   QColor(0, 255, 255),
        QColor(255, 0, 0),     QColor(255, 0, 255), QColor(255, 255, 0), QColor(255, 255, 255)};
    return palette[static_cast<std::size_t>(index & 15)];
}

SkyView::SkyView(const SkyPlot& plot, QWidget* parent)
    : QWidget(parent), plot_(plot),
      drawing_(twipsToPixels(kFormWidthTwips), twipsToPixels(kFormHeightTwips),
               QImage::Format_ARGB32_Premultiplied) {
    setObjectName("SkyView");
    setFixedSize(drawing_.size());
    drawing_.fill(Qt::transparent);
}

QColor SkyView::ink(int16_t color) const {
    if (color == kForeground) {
        return palette().color(QPalette::WindowText);
    }
    return paletteColor(color);
}

void replayOps(QImage& image, const std::vector<DrawOp>& ops, const QColor& foreground,
               const QFont& font) {
    QPainter p(&image);
    p.scale(kScale, kScale);
    for (const DrawOp& op : ops) {
        // Erasing gives the background back.
        p.setCompositionMode(op.color == kButtonFace ? QPainter::CompositionMode_Clear
                                                     : QPainter::CompositionMode_SourceOver);
        const QColor color = op.color == kButtonFace   ? QColor(Qt::transparent)
                             : op.color == kForeground ? foreground
                                                       : paletteColor(op.color);
        p.setPen(QPen(color, 0));
        p.setBrush(Qt::NoBrush);
        switch (op.kind) {
        case DrawOp::Kind::Line:
            p.drawLine(QLineF(op.x1, op.y1, op.x2, op.y2));
            break;
        case DrawOp::Kind::Box:
            p.drawRect(corners(op));
            break;
        case DrawOp::Kind::FilledBox:
            p.fillRect(corners(op), color);
            break;
        case DrawOp::Kind::Circle:
            p.drawEllipse(QPointF(op.x1, op.y1), op.radius, op.radius);
            break;
        case DrawOp::Kind::Disc:
            p.setBrush(color);
            p.drawEllipse(QPointF(op.x1, op.y1), op.radius, op.radius);
            break;
        case DrawOp::Kind::Arc: {
            // Qt counts sixteenths of a degree, counter-clockwise from east like the op.
            constexpr double kSixteenthsPerMilliradian = 16 * 180 / 3141.5926;
            const QRectF box(op.x1 - op.radius, op.y1 - op.radius, 2 * op.radius, 2 * op.radius);
            p.drawArc(box, static_cast<int>(std::lround(op.x2 * kSixteenthsPerMilliradian)),
                      static_cast<int>(std::lround((op.y2 - op.x2) * kSixteenthsPerMilliradian)));
            break;
        }
        case DrawOp::Kind::Text:
            p.setFont(twipFont(font, kTextTwips));
            p.drawText(QRectF(op.x1, op.y1, 2000, 2 * kTextTwips), Qt::AlignLeft | Qt::AlignTop,
                       QString::fromStdString(op.text));
            break;
        case DrawOp::Kind::Clear:
            image.fill(Qt::transparent);
            break;
        }
    }
}

void SkyView::replay(const std::vector<DrawOp>& ops) {
    replayOps(drawing_, ops, ink(kForeground), font());
    update();
}

void SkyView::paintGrid(QPainter& p) const {
    p.setPen(QPen(QColor(160, 160, 160), 0));
    p.setBrush(Qt::NoBrush);
    const QPointF centre(kSkyCentreX, kSkyCentreY);
    for (const int elevation : {0, 30, 60}) {
        const std::optional<TwipPoint> edge = skyPoint(kSkyRadius, elevation, 90);
        const double r = edge ? edge->x - kSkyCentreX : 0;
        p.drawEllipse(centre, r, r);
    }
    p.drawLine(
        QLineF(kSkyCentreX, kSkyCentreY - kSkyRadius, kSkyCentreX, kSkyCentreY + kSkyRadius));
    p.drawLine(
        QLineF(kSkyCentreX - kSkyRadius, kSkyCentreY, kSkyCentreX + kSkyRadius, kSkyCentreY));
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(twipFont(font(), kTextTwips));
    const int box = 300;
    p.drawText(QRectF(kSkyCentreX - box / 2, kSkyCentreY - kSkyRadius - box, box, box),
               Qt::AlignCenter, "N");
    p.drawText(QRectF(kSkyCentreX - box / 2, kSkyCentreY + kSkyRadius, box, box), Qt::AlignCenter,
               "S");
    p.drawText(QRectF(kSkyCentreX + kSkyRadius, kSkyCentreY - box / 2, box, box), Qt::AlignCenter,
               "E");
    p.drawText(QRectF(kSkyCentreX - kSkyRadius - box, kSkyCentreY - box / 2, box, box),
               Qt::AlignCenter, "W");
}

void SkyView::paintSymbols(QPainter& p) const {
    p.setFont(twipFont(font(), kLabelTwips));
    for (const SatSymbol& symbol : plot_.symbols) {
        if (!symbol.visible) {
            continue;
        }
        const QColor color = paletteColor(symbol.color);
        const TwipRect s = symbol.symbolRect();
        p.setPen(QPen(color, 0));
        p.setBrush(color);
        p.drawEllipse(QRectF(s.left, s.top, s.width, s.height));
        const TwipRect l = symbol.labelRect();
        const QRectF label(l.left, l.top, l.width, l.height);
        p.fillRect(label, color);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(label, Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(symbol.caption));
    }
}

void SkyView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.save();
    p.scale(kScale, kScale);
    paintGrid(p);
    p.restore();
    p.drawImage(0, 0, drawing_);
    p.scale(kScale, kScale);
    paintSymbols(p);
}

} // namespace zeph::dashboard
