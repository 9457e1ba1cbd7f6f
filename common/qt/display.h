#pragma once

// Whether a window program can reach a screen. Qt's platform plugin aborts the program when the
// display it tries cannot be reached or refuses it, and waits forever on one that never
// answers, so the programs look first and refuse with one line instead.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph {

// How long a display may take to accept a connection, and again to answer the X greeting.
inline constexpr std::chrono::milliseconds kDisplayAnswerWait{5000};

// An X display named as "[protocol/][host]:N[.S]": an empty host (or "unix") is the local
// server's socket, any other host the TCP port 6000 + N there.
struct X11Display {
    std::string host; // empty for the local socket
    int number = 0;
    bool operator==(const X11Display&) const = default;
};
std::optional<X11Display> parseX11Display(std::string_view display);

// One entry of an Xauthority file: who it is for and the cookie.
inline constexpr uint16_t kXAuthInternet = 0;
inline constexpr uint16_t kXAuthInternet6 = 6;
inline constexpr uint16_t kXAuthLocal = 256;
inline constexpr uint16_t kXAuthWild = 65535;
inline constexpr std::string_view kXAuthCookieName = "MIT-MAGIC-COOKIE-1";
struct XAuthEntry {
    uint16_t family = 0;
    std::string address; // the host name for kXAuthLocal, the address bytes for the Internet ones
    std::string number;  // the display number in decimal; empty for any
    std::string name;
    std::string data;
    bool operator==(const XAuthEntry&) const = default;
};
// The entries up to the first incomplete one.
std::vector<XAuthEntry> parseXAuthority(std::string_view file);
// The first cookie for the display `number` reached at `family`/`address`, as the X library
// picks it.
std::optional<XAuthEntry> findXCookie(const std::vector<XAuthEntry>& entries, uint16_t family,
                                      std::string_view address, int number);

// The connection-setup request (little-endian, protocol 11.0) carrying the authorisation.
std::string x11SetupRequest(std::string_view authName, std::string_view authData);

// What an X server says to the setup request.
struct X11Answer {
    enum class Kind { Accepted, Refused, Silent, Unreachable };
    Kind kind = Kind::Unreachable;
    // Unless accepted, what the display does, to follow "the display at D ": "does not
    // answer", "refuses the connection: <the server's reason>", ...
    std::string what;
    bool operator==(const X11Answer&) const = default;
};
// The answer in the reply's first bytes; nothing while more are needed, unless the connection
// has `ended`.
std::optional<X11Answer> parseX11SetupReply(std::string_view reply, bool ended = false);

// Connects to the display and greets it with the cookie found in `xauthority` (none when the
// file is missing or holds none for it), waiting `wait` for each step.
X11Answer probeX11(const X11Display& display, const std::string& xauthority,
                   std::chrono::milliseconds wait);
// The compositor's socket: WAYLAND_DISPLAY itself when it is absolute, else in the runtime
// folder.
bool waylandReachable(std::string_view waylandDisplay, std::string_view runtimeDir);

// The variables the check reads; an empty value counts as unset.
struct DisplayEnvironment {
    std::string display;        // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string runtimeDir;     // XDG_RUNTIME_DIR
    std::string qpaPlatform;    // QT_QPA_PLATFORM: the platforms named by hand
    std::string xauthority;     // XAUTHORITY, else ~/.Xauthority
    static DisplayEnvironment fromProcess();
};

struct DisplayCheck {
    bool reachable = false;
    // When only one of X and Wayland answers while both are named, or only Wayland does, the Qt
    // platform that reaches it ("xcb" or "wayland"), so Qt does not try the other; empty to
    // leave the choice to Qt (always so when QT_QPA_PLATFORM is set).
    std::string platform;
    std::string reason; // why nothing can be reached: "DISPLAY is not set", ...
};
// With QT_QPA_PLATFORM set, its platforms are taken in order until one can serve: "xcb" needs
// the X display, "wayland" and its variants the compositor; those that draw into memory, a
// framebuffer or DRM device, or serve VNC themselves need none and are trusted. Any other name
// is refused: whether it can serve is not known here.
DisplayCheck checkDisplay(const DisplayEnvironment& env,
                          std::chrono::milliseconds wait = kDisplayAnswerWait);

// The check on this process's environment; when a display answers and one platform is to be
// named, QT_QPA_PLATFORM is set for the QApplication to come. Nothing when a window can be
// shown, else the reason.
std::optional<std::string> prepareDisplay();

} // namespace zeph
