#pragma once

// Window placements between Qt windows and the settings file's "Wpl*" keys.

#include "monitor/shell/settings.h"

class QWidget;

namespace zeph::monitor {

WindowPlacement placementOf(const QWidget& window);
// False when the section holds no placement.
bool applyPlacement(QWidget& window, const ProfileFile& profile, std::string_view section);

} // namespace zeph::monitor
