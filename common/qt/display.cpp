#include "common/qt/display.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace zeph {
namespace {

constexpr int kX11TcpPortBase = 6000;
constexpr int kConnectTimeoutMs = 3000;
constexpr const char* kX11SocketFormat = "/tmp/.X11-unix/X";

bool allDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Connects without waiting longer than the time-out; true when the peer accepted.
bool connectWithin(int fd, const sockaddr* address, socklen_t length) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    if (::connect(fd, address, length) == 0) {
        return true;
    }
    if (errno != EINPROGRESS) {
        return false;
    }
    pollfd p{fd, POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&p, 1, kConnectTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return false;
    }
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// `abstract`: the name lives in Linux's abstract namespace rather than in the file system.
bool unixSocketAnswers(std::string_view path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.empty() || offset + path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool answered = connectWithin(fd, reinterpret_cast<const sockaddr*>(&address), length);
    ::close(fd);
    return answered;
}

bool tcpPortAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return false;
    }
    bool answered = false;
    for (const addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0) {
            answered = connectWithin(fd, a->ai_addr, a->ai_addrlen);
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    return answered;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::optional<X11Display> parseX11Display(std::string_view display) {
    const size_t slash = display.find('/');
    std::string_view protocol;
    if (slash != std::string_view::npos) {
        protocol = display.substr(0, slash);
        display.remove_prefix(slash + 1);
    }
    const size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    if (const size_t dot = number.find('.'); dot != std::string_view::npos) {
        if (!allDigits(number.substr(dot + 1))) {
            return std::nullopt;
        }
        number = number.substr(0, dot);
    }
    // "host::N" names a DECnet node, which no X library here speaks.
    if (!allDigits(number) || host.ends_with(':')) {
        return std::nullopt;
    }
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host == "unix" || protocol == "unix") {
        host = {};
    }
    X11Display out;
    const auto [end, ec] =
        std::from_chars(number.data(), number.data() + number.size(), out.number);
    if (ec != std::errc() || out.number > 65535 - kX11TcpPortBase) {
        return std::nullopt;
    }
    out.host = std::string(host);
    return out;
}

bool x11Reachable(const X11Display& display) {
    if (!display.host.empty()) {
        return tcpPortAnswers(display.host, kX11TcpPortBase + display.number);
    }
    const std::string path = kX11SocketFormat + std::to_string(display.number);
    return unixSocketAnswers(path, true) || unixSocketAnswers(path, false);
}

bool waylandReachable(std::string_view waylandDisplay, std::string_view runtimeDir) {
    if (waylandDisplay.starts_with('/')) {
        return unixSocketAnswers(waylandDisplay, false);
    }
    if (runtimeDir.empty()) {
        return false;
    }
    std::string path(runtimeDir);
    path += '/';
    path += waylandDisplay;
    return unixSocketAnswers(path, false);
}

DisplayEnvironment DisplayEnvironment::fromProcess() {
    return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("XDG_RUNTIME_DIR"),
            variable("QT_QPA_PLATFORM")};
}

DisplayCheck checkDisplay(const DisplayEnvironment& env) {
    if (!env.qpaPlatform.empty()) {
        return {true, "", ""};
    }
    if (env.display.empty() && env.waylandDisplay.empty()) {
        return {false, "", "DISPLAY is not set"};
    }
    const std::optional<X11Display> x11 = parseX11Display(env.display);
    const bool x11Up = x11 && x11Reachable(*x11);
    const bool waylandUp =
        !env.waylandDisplay.empty() && waylandReachable(env.waylandDisplay, env.runtimeDir);
    if (x11Up && waylandUp) {
        return {true, "", ""};
    }
    if (waylandUp) {
        return {true, "wayland", ""};
    }
    if (x11Up) {
        return {true, env.waylandDisplay.empty() ? "" : "xcb", ""};
    }
    std::string reason = "cannot reach ";
    if (!env.display.empty()) {
        reason += "DISPLAY " + env.display;
    }
    if (!env.waylandDisplay.empty()) {
        reason += (env.display.empty() ? "" : " or ") + ("WAYLAND_DISPLAY " + env.waylandDisplay);
    }
    return {false, "", reason};
}

std::optional<std::string> prepareDisplay() {
    const DisplayCheck check = checkDisplay(DisplayEnvironment::fromProcess());
    if (!check.reachable) {
        return check.reason;
    }
    if (!check.platform.empty()) {
        ::setenv("QT_QPA_PLATFORM", check.platform.c_str(), 1);
    }
    return std::nullopt;
}

} // namespace zeph
