#pragma once

#include "monitor/views/signal_plot.h"
#include "monitor/views/ui/view_factory.h"

#include <QPixmap>

#include <array>

namespace zeph::monitor {

// The Signal view: twelve channel strips with a scrolling C/No graph each. The view's content
// lives in a pixmap the size of the view, and each strip's graph in a pixmap of its own that
// scrolls one cycle per navigation solution. A new size lays the strips out afresh (their graphs
// start empty), as does a new source; showing the window again repaints what was drawn.
class CViewSignal : public MonitorView {
    Q_OBJECT
public:
    explicit CViewSignal(const ViewContext& ctx, QWidget* parent = nullptr);

    // 1 a new message; 3 the graph type is read again; 4 the strips are laid out afresh.
    void onUpdate(int hint, const RxMessage* msg) override;

    const SignalPlot& plot() const { return plot_; }
    // What the view shows.
    const QPixmap& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void layoutStrips();
    void reloadSettings();
    void showGraph(int channel);

    ViewContext ctx_;
    SignalPlot plot_;
    QPixmap surface_;
    std::array<QPixmap, kSignalChannels> graphs_;
    std::array<StripGeometry, kSignalChannels> strips_{};
};

} // namespace zeph::monitor
