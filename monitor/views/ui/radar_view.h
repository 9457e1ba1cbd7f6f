#pragma once

#include "monitor/views/radar_plot.h"
#include "monitor/views/ui/view_factory.h"

#include <QPixmap>

namespace zeph::monitor {

// The Radar view: the sky plot on black. Its background (the two circles) lives in a pixmap of
// its own; each measured navigation message copies it to the view's pixmap and draws the arrow,
// the north mark and the satellites on it. A new size shows the background alone until the next
// measured navigation message.
class CViewRadar : public MonitorView {
    Q_OBJECT
public:
    explicit CViewRadar(const ViewContext& ctx, QWidget* parent = nullptr);

    // 1 a new message; 3 orientation and outer circle are read again.
    void onUpdate(int hint, const RxMessage* msg) override;

    const RadarPlot& plot() const { return plot_; }
    const QPixmap& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showBackground();
    void reloadSettings();

    ViewContext ctx_;
    RadarPlot plot_;
    QPixmap background_;
    QPixmap surface_;
};

} // namespace zeph::monitor
