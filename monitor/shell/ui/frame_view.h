#pragma once

// The child frame of one view: an MDI window that remembers its placement in the view's
// settings section and tells the main frame when it closes.

#include "monitor/shell/profile_file.h"
#include "monitor/views/ui/view_factory.h"

#include <QMdiSubWindow>

#include <functional>

namespace zeph::monitor {

class CFrameView : public QMdiSubWindow {
    Q_OBJECT
public:
    CFrameView(size_t slot, MonitorView* view, ProfileFile& profile,
               std::function<void(size_t)> closed);

    size_t slot() const { return slot_; }
    MonitorView* view() const { return view_; }
    // Shows the frame placed as its section remembers, if it remembers anything: at its normal
    // rectangle, minimised when it was closed minimised.
    void showPlaced();
    void savePlacement();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void keepNormalRect();

    // Qt keeps no normal geometry for a child window; this is its last rectangle while neither
    // maximised nor minimised.
    QRect normalRect_;
    size_t slot_;
    MonitorView* view_;
    ProfileFile& profile_;
    std::function<void(size_t)> closed_;
};

} // namespace zeph::monitor
