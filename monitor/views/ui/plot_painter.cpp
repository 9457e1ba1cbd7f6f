#include "monitor/views/ui/plot_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <memory>

namespace zeph::monitor {
namespace {

// Qt strokes a box's outline on its last pixel; the plots' boxes end one pixel before.
QRect outlineBox(const PlotOp& op) {
    return QRect(op.x1, op.y1, op.x2 - op.x1 - 1, op.y2 - op.y1 - 1);
}

QRect textBox(const PlotOp& op, const QFont& font) {
    const QFontMetrics m(font);
    const QString text = QString::fromUtf8(op.text.data(), static_cast<qsizetype>(op.text.size()));
    const int w = m.horizontalAdvance(text);
    const int h = m.height();
    switch (op.align) {
    case TextAlign::TopLeft:
        return {op.x1, op.y1, w, h};
    case TextAlign::TopRight:
        return {op.x1 - w + 1, op.y1, w, h};
    case TextAlign::BottomLeft:
        return {op.x1, op.y1 - h + 1, w, h};
    case TextAlign::MiddleLeft:
        return {op.x1, op.y1 - h / 2, w, h};
    case TextAlign::Centre:
        break;
    }
    return {op.x1 - w / 2, op.y1 - h / 2, w, h};
}

void setPen(QPainter& p, Rgb c) {
    QPen pen(qColour(c));
    pen.setWidth(0); // cosmetic: one pixel
    p.setPen(pen);
}

void setBrush(QPainter& p, const PlotOp& op) {
    p.setBrush(op.filled ? QBrush(qColour(op.fill)) : QBrush(Qt::NoBrush));
}

} // namespace

QFont plotFont(const PlotFont& font, const QFont& windowFont) {
    if (font.height <= 0) {
        return windowFont;
    }
    QFont f(QString::fromStdString(font.family));
    f.setPixelSize(font.height);
    f.setWeight(font.weight >= 700 ? QFont::Bold : QFont::Normal);
    return f;
}

void paintOps(QPixmap& target, const PlotOps& ops, const QFont& windowFont,
              const QPixmap* background) {
    if (target.isNull()) {
        return;
    }
    auto painter = std::make_unique<QPainter>(&target);
    for (const PlotOp& op : ops) {
        QPainter& p = *painter;
        switch (op.kind) {
        case PlotOp::Kind::Fill:
            p.fillRect(QRect(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1), qColour(op.fill));
            break;
        case PlotOp::Kind::Line:
            setPen(p, op.pen);
            p.drawLine(op.x1, op.y1, op.x2, op.y2);
            break;
        case PlotOp::Kind::Polyline: {
            setPen(p, op.pen);
            QPolygon poly;
            for (const PlotPoint& pt : op.points) {
                poly << QPoint(pt.x, pt.y);
            }
            p.drawPolyline(poly);
            break;
        }
        case PlotOp::Kind::Rect:
            setPen(p, op.pen);
            setBrush(p, op);
            p.drawRect(outlineBox(op));
            break;
        case PlotOp::Kind::Ellipse:
            setPen(p, op.pen);
            setBrush(p, op);
            p.drawEllipse(outlineBox(op));
            break;
        case PlotOp::Kind::Text: {
            const QFont font = plotFont(op.font, windowFont);
            const QRect box = textBox(op, font);
            if (op.filled) {
                p.fillRect(box, qColour(op.fill));
            }
            p.setFont(font);
            setPen(p, op.pen);
            p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                       QString::fromUtf8(op.text.data(), static_cast<qsizetype>(op.text.size())));
            break;
        }
        case PlotOp::Kind::Copy: {
            const QRect from(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1);
            if (op.source == PlotSource::Background) {
                if (background != nullptr) {
                    p.drawPixmap(QPoint(op.x3, op.y3), *background, from);
                }
            } else {
                // A pixmap cannot scroll while it is painted on, and it scrolls only inside the
                // rectangle it is given: that must hold the destination too.
                painter.reset();
                const int dx = op.x3 - op.x1;
                const int dy = op.y3 - op.y1;
                target.scroll(dx, dy, from.united(from.translated(dx, dy)));
                painter = std::make_unique<QPainter>(&target);
            }
            break;
        }
        }
    }
}

} // namespace zeph::monitor
