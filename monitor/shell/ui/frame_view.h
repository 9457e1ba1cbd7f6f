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
    // Places the frame as its section remembers, if it remembers anything.
    void restorePlacement();
    void savePlacement();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    size_t slot_;
    MonitorView* view_;
    ProfileFile& profile_;
    std::function<void(size_t)> closed_;
};

} // namespace zeph::monitor
