#include "monitor/shell/ui/placement.h"

#include <QWidget>

namespace zeph::monitor {

WindowPlacement placementOf(const QWidget& window) {
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    WindowPlacement p;
    p.length = WindowPlacement::kLength;
    p.showCmd =
        window.isMaximized() ? WindowPlacement::kShowMaximised : WindowPlacement::kShowNormal;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.normalL = r.left();
    p.normalT = r.top();
    p.normalR = r.left() + r.width();
    p.normalB = r.top() + r.height();
    return p;
}

bool applyPlacement(QWidget& window, const ProfileFile& profile, std::string_view section) {
    const std::optional<WindowPlacement> p = restorePlacement(profile, section);
    if (!p || p->normalR <= p->normalL || p->normalB <= p->normalT) {
        return false;
    }
    window.setGeometry(p->normalL, p->normalT, p->normalR - p->normalL, p->normalB - p->normalT);
    return true;
}

} // namespace zeph::monitor
