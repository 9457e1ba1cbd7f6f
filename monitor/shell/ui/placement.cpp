#include "monitor/shell/ui/placement.h"

#include <QScreen>
#include <QWidget>

namespace zeph::monitor {

WindowPlacement placementOf(const QWidget& window, const QRect& normal) {
    WindowPlacement p;
    p.length = WindowPlacement::kLength;
    p.showCmd = window.isMinimized()   ? WindowPlacement::kShowMinimised
                : window.isMaximized() ? WindowPlacement::kShowMaximised
                                       : WindowPlacement::kShowNormal;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    p.normalL = normal.left();
    p.normalT = normal.top();
    p.normalR = normal.left() + normal.width();
    p.normalB = normal.top() + normal.height();
    return p;
}

WindowPlacement placementOf(const QWidget& window) {
    return placementOf(window, window.normalGeometry().isValid() ? window.normalGeometry()
                                                                 : window.geometry());
}

std::optional<WindowPlacement> applyPlacement(QWidget& window, const ProfileFile& profile,
                                              std::string_view section) {
    const std::optional<WindowPlacement> p = restorePlacement(profile, section);
    if (!p || p->normalR <= p->normalL || p->normalB <= p->normalT) {
        return std::nullopt;
    }
    const QSize desktop = window.screen()->availableVirtualGeometry().size();
    const NormalRect r = fitNormalRect(*p, desktop.width(), desktop.height());
    window.setGeometry(r.x, r.y, r.width, r.height);
    return p;
}

} // namespace zeph::monitor
