#include "monitor/views/ui/signal_view.h"

#include "monitor/shell/feed.h"
#include "monitor/views/ui/dialogs/view_dialogs.h"
#include "monitor/views/ui/options_dialog.h"
#include "monitor/views/ui/plot_painter.h"

#include <QPaintEvent>
#include <QPainter>

namespace zeph::monitor {

CViewSignal::CViewSignal(const ViewContext& ctx, QWidget* parent) : MonitorView(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("CViewSignal"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    reloadSettings();
}

void CViewSignal::reloadSettings() {
    SignalViewSettings s;
    if (ctx_.profile != nullptr) {
        s.load(*ctx_.profile);
    }
    plot_.setGraphType(s.graphType);
}

void CViewSignal::layoutStrips() {
    surface_ = QPixmap(size());
    surface_.fill(qColour(kWindowBackground));
    const SignalPlot::Layout layout = plot_.layout(width(), height());
    for (int i = 0; i < kSignalChannels; ++i) {
        strips_[i] = layout.strips[i];
        graphs_[i] =
            strips_[i].drawable() ? QPixmap(strips_[i].graphWidth, strips_[i].height) : QPixmap();
        paintOps(graphs_[i], layout.graphs[i], font());
    }
    paintOps(surface_, layout.window, font());
    for (int i = 0; i < kSignalChannels; ++i) {
        showGraph(i);
    }
    update();
}

void CViewSignal::showGraph(int channel) {
    if (surface_.isNull() || graphs_[channel].isNull()) {
        return;
    }
    QPainter p(&surface_);
    p.drawPixmap(strips_[channel].graphLeft, strips_[channel].top, graphs_[channel]);
}

void CViewSignal::onUpdate(int hint, const RxMessage* msg) {
    if (hint == kHintSettingsChanged) {
        reloadSettings();
        return;
    }
    if (hint == kHintNewSource) {
        layoutStrips();
        return;
    }
    if (hint != kHintNewMessage || msg == nullptr) {
        return;
    }
    const std::vector<SignalPlot::StripUpdate> updates = plot_.onMessage(*msg);
    if (updates.empty()) {
        return;
    }
    PlotOps texts;
    for (const SignalPlot::StripUpdate& u : updates) {
        texts.insert(texts.end(), u.drawing.window.begin(), u.drawing.window.end());
        paintOps(graphs_[u.channel], u.drawing.graph, font());
    }
    paintOps(surface_, texts, font());
    for (const SignalPlot::StripUpdate& u : updates) {
        showGraph(u.channel);
    }
    update();
}

void CViewSignal::paintEvent(QPaintEvent* event) {
    if (surface_.size() != size()) {
        layoutStrips();
    }
    QPainter p(this);
    p.drawPixmap(event->rect(), surface_, event->rect());
}

void CViewSignal::resizeEvent(QResizeEvent* event) {
    MonitorView::resizeEvent(event);
    layoutStrips();
}

void CViewSignal::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    runOptionsDialog<PreferencesDialog>(ctx_, this);
}

} // namespace zeph::monitor
