#pragma once

#include "monitor/views/map_plot.h"
#include "monitor/views/ui/view_factory.h"

#include <QPixmap>

#include <array>

class QLabel;
class QPushButton;
class QScrollArea;

namespace zeph::monitor {

// The Map view: a bar of the current fix's fields above a scrolling plot of the receiver's
// positions. The plot keeps every dot in a pixmap of its own; the background (frame, cross and
// rings) in another, which "&Clear" copies over it.
class CViewMap : public MonitorView {
    Q_OBJECT
public:
    // The bar's text fields in order.
    enum BarField {
        kGpsTime,
        kWeek,
        kLat,
        kLon,
        kAlt,
        kHdg,
        kVel,
        kMode,
        kDop,
        kFix,
        kSvCount,
        kSvList,
        kBarFields
    };

    explicit CViewMap(const ViewContext& ctx, QWidget* parent = nullptr);

    // 1 a new message (MID 2); 3 the settings are read again, the plot laid out and cleared;
    // 4 a new source clears the plot.
    void onUpdate(int hint, const RxMessage* msg) override;

    // "&Clear" and "Current as &origin".
    void clearPlot();
    void currentAsOrigin();

    const MapPlot& plot() const { return plot_; }
    const QPixmap& plotPixmap() const { return plotPixmap_; }
    QLabel* barField(BarField f) const { return fields_[f]; }
    QScrollArea* scrollArea() const { return scroll_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Canvas;

    QWidget* buildBar();
    void load();
    void centrePlot();

    ViewContext ctx_;
    MapPlot plot_;
    QPixmap background_;
    QPixmap plotPixmap_;
    std::array<QLabel*, kBarFields> fields_{};
    QScrollArea* scroll_ = nullptr;
    Canvas* canvas_ = nullptr;
    bool laidOut_ = false;
};

} // namespace zeph::monitor
