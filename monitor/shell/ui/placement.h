#pragma once

// Window placements between Qt windows and the settings file's "Wpl*" keys.

#include "monitor/shell/settings.h"

#include <QRect>

class QWidget;

namespace zeph::monitor {

// The placement of a window whose normal rectangle is `normal`: the rectangle it has, or comes
// back to, when neither maximised nor minimised.
WindowPlacement placementOf(const QWidget& window, const QRect& normal);
// A top-level window, whose normal geometry Qt keeps.
WindowPlacement placementOf(const QWidget& window);
// Gives the window the normal rectangle the section remembers and returns that placement, so the
// caller shows the window as its show command says; nothing when the section holds none.
std::optional<WindowPlacement> applyPlacement(QWidget& window, const ProfileFile& profile,
                                              std::string_view section);

} // namespace zeph::monitor
