#include "monitor/views/ui/radar_view.h"

#include "monitor/shell/feed.h"
#include "monitor/views/ui/dialogs/view_dialogs.h"
#include "monitor/views/ui/options_dialog.h"
#include "monitor/views/ui/plot_painter.h"

#include <QPaintEvent>
#include <QPainter>

namespace zeph::monitor {

CViewRadar::CViewRadar(const ViewContext& ctx, QWidget* parent) : MonitorView(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("CViewRadar"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    reloadSettings();
}

void CViewRadar::reloadSettings() {
    RadarViewSettings s;
    if (ctx_.profile != nullptr) {
        s.load(*ctx_.profile);
    }
    plot_.setSettings(s.orientation, s.outerRadVel);
}

void CViewRadar::showBackground() {
    const RadarGeometry g = radarGeometry(width(), height());
    plot_.setGeometry(g);
    background_ = g.side > 0 ? QPixmap(g.side, g.side) : QPixmap();
    paintOps(background_, radarBackground(g), font());
    surface_ = QPixmap(size());
    surface_.fill(Qt::black);
    if (!background_.isNull() && !surface_.isNull()) {
        QPainter p(&surface_);
        p.drawPixmap(0, 0, background_);
    }
    update();
}

void CViewRadar::onUpdate(int hint, const RxMessage* msg) {
    if (hint == kHintSettingsChanged) {
        reloadSettings();
        return;
    }
    if (hint != kHintNewMessage || msg == nullptr) {
        return;
    }
    if (const std::optional<PlotOps> ops = plot_.onMessage(*msg)) {
        paintOps(surface_, *ops, font(), &background_);
        update();
    }
}

void CViewRadar::paintEvent(QPaintEvent* event) {
    if (surface_.size() != size()) {
        showBackground();
    }
    QPainter p(this);
    p.drawPixmap(event->rect(), surface_, event->rect());
}

void CViewRadar::resizeEvent(QResizeEvent* event) {
    MonitorView::resizeEvent(event);
    showBackground();
}

void CViewRadar::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    runOptionsDialog<TrackingViewDialog>(ctx_, this);
}

} // namespace zeph::monitor
