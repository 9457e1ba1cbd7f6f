#include "monitor/shell/ui/frame_view.h"

#include "monitor/shell/ui/placement.h"

#include <QCloseEvent>

namespace zeph::monitor {

CFrameView::CFrameView(size_t slot, MonitorView* view, ProfileFile& profile,
                       std::function<void(size_t)> closed)
    : slot_(slot), view_(view), profile_(profile), closed_(std::move(closed)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowTitle(viewCaption(slot));
    setObjectName(QStringLiteral("frame%1").arg(slot));
}

void CFrameView::restorePlacement() {
    applyPlacement(*this, profile_, settings::kViewSections[slot_]);
}

void CFrameView::savePlacement() {
    monitor::savePlacement(profile_, settings::kViewSections[slot_], placementOf(*this));
}

void CFrameView::closeEvent(QCloseEvent* event) {
    savePlacement();
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted() && closed_) {
        auto closed = std::move(closed_);
        closed_ = nullptr;
        closed(slot_);
    }
}

} // namespace zeph::monitor
