#pragma once

// Whether a window program can reach a screen. Qt's platform plugin aborts the program when it
// finds none, so the programs ask first and refuse with one line instead.

#include <cstdlib>

namespace zeph {

// A display to connect to (DISPLAY or WAYLAND_DISPLAY), or a platform named by hand
// (QT_QPA_PLATFORM, e.g. offscreen).
inline bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace zeph
