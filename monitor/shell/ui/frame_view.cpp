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

void CFrameView::showPlaced() {
    const std::optional<WindowPlacement> placement =
        applyPlacement(*this, profile_, settings::kViewSections[slot_]);
    normalRect_ = geometry();
    if (placement && placement->minimised()) {
        showMinimized();
    } else {
        show();
    }
}

void CFrameView::savePlacement() {
    keepNormalRect();
    monitor::savePlacement(profile_, settings::kViewSections[slot_],
                           placementOf(*this, normalRect_.isValid() ? normalRect_ : geometry()));
}

void CFrameView::keepNormalRect() {
    if (!isMinimized() && !isMaximized()) {
        normalRect_ = geometry();
    }
}

void CFrameView::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    keepNormalRect();
}

void CFrameView::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    keepNormalRect();
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
