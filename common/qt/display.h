#pragma once

// Whether a window program can reach a screen. Qt's platform plugin aborts the program when the
// display it tries cannot be reached, so the programs look first and refuse with one line
// instead.

#include <optional>
#include <string>
#include <string_view>

namespace zeph {

// An X display named as "[protocol/][host]:N[.S]": an empty host (or "unix") is the local
// server's socket, any other host the TCP port 6000 + N there.
struct X11Display {
    std::string host; // empty for the local socket
    int number = 0;
    bool operator==(const X11Display&) const = default;
};
std::optional<X11Display> parseX11Display(std::string_view display);

// Whether something accepts a connection at the display: for a local one the abstract socket
// "/tmp/.X11-unix/XN" or the file of that name, otherwise host:6000+N.
bool x11Reachable(const X11Display& display);
// The compositor's socket: WAYLAND_DISPLAY itself when it is absolute, else in the runtime
// folder.
bool waylandReachable(std::string_view waylandDisplay, std::string_view runtimeDir);

// The variables the check reads; an empty value counts as unset.
struct DisplayEnvironment {
    std::string display;        // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string runtimeDir;     // XDG_RUNTIME_DIR
    std::string qpaPlatform;    // QT_QPA_PLATFORM: a platform named by hand is trusted
    static DisplayEnvironment fromProcess();
};

struct DisplayCheck {
    bool reachable = false;
    // When only one of X and Wayland answers while both are named, or only Wayland does, the Qt
    // platform that reaches it ("xcb" or "wayland"), so Qt does not try the other; empty to
    // leave the choice to Qt.
    std::string platform;
    std::string reason; // why nothing can be reached: "DISPLAY is not set", ...
};
DisplayCheck checkDisplay(const DisplayEnvironment& env);

// The check on this process's environment; when a display answers and one platform is to be
// named, QT_QPA_PLATFORM is set for the QApplication to come. Nothing when a window can be
// shown, else the reason.
std::optional<std::string> prepareDisplay();

} // namespace zeph
