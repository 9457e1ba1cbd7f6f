#include "common/qt/display.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace zeph {
namespace {

constexpr int kX11TcpPortBase = 6000;
constexpr int kWaylandConnectMs = static_cast<int>(kDisplayAnswerWait.count());
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
bool connectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
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
        ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) {
        return false;
    }
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

// A socket or file that closes with its owner.
class OwnedFd {
public:
    explicit OwnedFd(int fd = -1) : fd_(fd) {}
    ~OwnedFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int fd() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// `abstract`: the name lives in Linux's abstract namespace rather than in the file system.
OwnedFd connectUnix(std::string_view path, bool abstract, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (path.empty() || offset + path.size() >= sizeof address.sun_path) {
        return OwnedFd();
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    OwnedFd s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (s.ok() &&
        connectWithin(s.fd(), reinterpret_cast<const sockaddr*>(&address), length, timeoutMs)) {
        return s;
    }
    return OwnedFd();
}

OwnedFd connectTcp(const std::string& host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return OwnedFd();
    }
    OwnedFd connected;
    for (const addrinfo* a = found; a != nullptr && !connected.ok(); a = a->ai_next) {
        OwnedFd s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
        if (s.ok() && connectWithin(s.fd(), a->ai_addr, a->ai_addrlen, timeoutMs)) {
            connected = std::move(s);
        }
    }
    ::freeaddrinfo(found);
    return connected;
}

uint16_t bigEndian16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) |
                                 static_cast<uint8_t>(bytes[at + 1]));
}

uint16_t littleEndian16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

void appendLittleEndian16(std::string& out, size_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void padTo4(std::string& out) {
    out.append((4 - out.size() % 4) % 4, '\0');
}

// A server's reason as one line: its padding and line ends go, other control bytes become
// spaces.
std::string reasonText(std::string_view raw) {
    std::string text;
    for (const char c : raw) {
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// An Xauthority file is small; a FIFO or device named there must not hold the program.
std::string readSmallFile(const std::string& path) {
    constexpr size_t kMaxSize = 1 << 20;
    OwnedFd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.ok() || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return "";
    }
    std::string content;
    char buffer[4096];
    ssize_t n = 0;
    while (content.size() < kMaxSize && (n = ::read(file.fd(), buffer, sizeof buffer)) > 0) {
        content.append(buffer, static_cast<size_t>(n));
    }
    return content;
}

// The Xauthority family and address the X library looks the cookie up by: the local host's
// name for the local socket and the loopback, else the server's address.
std::pair<uint16_t, std::string> cookieAddress(int fd, bool local) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (!local && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0) {
        if (peer.ss_family == AF_INET) {
            const in_addr& in = reinterpret_cast<const sockaddr_in&>(peer).sin_addr;
            if ((ntohl(in.s_addr) >> 24) != 127) {
                return {kXAuthInternet, std::string(reinterpret_cast<const char*>(&in), 4)};
            }
        } else if (peer.ss_family == AF_INET6) {
            const in6_addr& in6 = reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr;
            const auto* bytes = reinterpret_cast<const char*>(&in6);
            if (IN6_IS_ADDR_V4MAPPED(&in6)) {
                if (static_cast<uint8_t>(bytes[12]) != 127) {
                    return {kXAuthInternet, std::string(bytes + 12, 4)};
                }
            } else if (!IN6_IS_ADDR_LOOPBACK(&in6)) {
                return {kXAuthInternet6, std::string(bytes, 16)};
            }
        }
    }
    std::array<char, 256> name{};
    ::gethostname(name.data(), name.size() - 1);
    return {kXAuthLocal, name.data()};
}

// Waits for the socket to be ready for `events` until the deadline.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
        if (ready > 0) {
            return true;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// Sends the setup request on the connected socket and reads the answer.
X11Answer greet(int fd, const std::string& request, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::string_view unsent = request;
    while (!unsent.empty()) {
        if (!waitFor(fd, POLLOUT, deadline)) {
            return {X11Answer::Kind::Silent, "does not answer"};
        }
        const ssize_t n = ::send(fd, unsent.data(), unsent.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return *parseX11SetupReply("", true);
        }
        unsent.remove_prefix(n > 0 ? static_cast<size_t>(n) : 0);
    }
    std::string reply;
    for (;;) {
        if (!waitFor(fd, POLLIN, deadline)) {
            if (reply.empty()) {
                return {X11Answer::Kind::Silent, "does not answer"};
            }
            return *parseX11SetupReply(reply, true);
        }
        char buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return *parseX11SetupReply(reply, true);
        }
        reply.append(buffer, static_cast<size_t>(n));
        if (const auto answer = parseX11SetupReply(reply)) {
            return *answer;
        }
    }
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

std::vector<XAuthEntry> parseXAuthority(std::string_view file) {
    std::vector<XAuthEntry> entries;
    size_t at = 0;
    const auto field = [&](std::string& out) {
        if (file.size() - at < 2) {
            return false;
        }
        const size_t length = bigEndian16(file, at);
        if (file.size() - at - 2 < length) {
            return false;
        }
        out = std::string(file.substr(at + 2, length));
        at += 2 + length;
        return true;
    };
    while (file.size() - at >= 2) {
        XAuthEntry entry;
        entry.family = bigEndian16(file, at);
        at += 2;
        if (!field(entry.address) || !field(entry.number) || !field(entry.name) ||
            !field(entry.data)) {
            break;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<XAuthEntry> findXCookie(const std::vector<XAuthEntry>& entries, uint16_t family,
                                      std::string_view address, int number) {
    const std::string wanted = std::to_string(number);
    for (const XAuthEntry& e : entries) {
        const bool forHost = e.family == kXAuthWild || (e.family == family && e.address == address);
        if (forHost && e.number == wanted && e.name == kXAuthCookieName) {
            return e;
        }
    }
    return std::nullopt;
}

std::string x11SetupRequest(std::string_view authName, std::string_view authData) {
    constexpr size_t kMajorVersion = 11;
    std::string out = {'l', '\0'};
    appendLittleEndian16(out, kMajorVersion);
    appendLittleEndian16(out, 0);
    appendLittleEndian16(out, authName.size());
    appendLittleEndian16(out, authData.size());
    appendLittleEndian16(out, 0);
    out += authName;
    padTo4(out);
    out += authData;
    padTo4(out);
    return out;
}

std::optional<X11Answer> parseX11SetupReply(std::string_view reply, bool ended) {
    constexpr size_t kHeader = 8;
    constexpr size_t kMaxReason = 1024;
    if (reply.empty()) {
        if (!ended) {
            return std::nullopt;
        }
        return X11Answer{X11Answer::Kind::Refused, "closes the connection without answering"};
    }
    const auto status = static_cast<uint8_t>(reply[0]);
    if (status == 1) {
        return X11Answer{X11Answer::Kind::Accepted, ""};
    }
    if (status != 0 && status != 2) {
        return X11Answer{X11Answer::Kind::Refused, "answers, but not as an X server"};
    }
    // Failed: the reason's length in byte 1; Authenticate: the padded reason's in bytes 6-7.
    size_t reasonLength = 0;
    if (reply.size() >= kHeader) {
        reasonLength = status == 0 ? static_cast<uint8_t>(reply[1])
                                   : std::min<size_t>(4 * littleEndian16(reply, 6), kMaxReason);
    }
    if (!ended && reply.size() < kHeader + reasonLength) {
        return std::nullopt;
    }
    const std::string_view reason =
        reply.size() > kHeader ? reply.substr(kHeader, reasonLength) : std::string_view();
    std::string what = status == 0 ? "refuses the connection" : "asks for more authentication";
    if (const std::string text = reasonText(reason); !text.empty()) {
        what += ": " + text;
    }
    return X11Answer{X11Answer::Kind::Refused, what};
}

X11Answer probeX11(const X11Display& display, const std::string& xauthority,
                   std::chrono::milliseconds wait) {
    const int waitMs = static_cast<int>(wait.count());
    OwnedFd s;
    if (!display.host.empty()) {
        s = connectTcp(display.host, kX11TcpPortBase + display.number, waitMs);
    } else {
        const std::string path = kX11SocketFormat + std::to_string(display.number);
        s = connectUnix(path, true, waitMs);
        if (!s.ok()) {
            s = connectUnix(path, false, waitMs);
        }
    }
    if (!s.ok()) {
        return {X11Answer::Kind::Unreachable, ""};
    }
    const auto [family, address] = cookieAddress(s.fd(), display.host.empty());
    const std::optional<XAuthEntry> cookie =
        xauthority.empty() ? std::nullopt
                           : findXCookie(parseXAuthority(readSmallFile(xauthority)), family,
                                         address, display.number);
    return greet(s.fd(),
                 cookie ? x11SetupRequest(cookie->name, cookie->data) : x11SetupRequest("", ""),
                 wait);
}

bool waylandReachable(std::string_view waylandDisplay, std::string_view runtimeDir) {
    if (waylandDisplay.starts_with('/')) {
        return connectUnix(waylandDisplay, false, kWaylandConnectMs).ok();
    }
    if (runtimeDir.empty()) {
        return false;
    }
    std::string path(runtimeDir);
    path += '/';
    path += waylandDisplay;
    return connectUnix(path, false, kWaylandConnectMs).ok();
}

DisplayEnvironment DisplayEnvironment::fromProcess() {
    std::string xauthority = variable("XAUTHORITY");
    if (xauthority.empty() && !variable("HOME").empty()) {
        xauthority = variable("HOME") + "/.Xauthority";
    }
    return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("XDG_RUNTIME_DIR"),
            variable("QT_QPA_PLATFORM"), xauthority};
}

namespace {

struct ServerCheck {
    bool up = false;
    std::string reason;
};

ServerCheck checkX11(const DisplayEnvironment& env, std::chrono::milliseconds wait) {
    if (env.display.empty()) {
        return {false, "DISPLAY is not set"};
    }
    const std::optional<X11Display> x11 = parseX11Display(env.display);
    const X11Answer answer =
        x11 ? probeX11(*x11, env.xauthority, wait) : X11Answer{X11Answer::Kind::Unreachable, ""};
    switch (answer.kind) {
    case X11Answer::Kind::Accepted:
        return {true, ""};
    case X11Answer::Kind::Unreachable:
        return {false, "cannot reach DISPLAY " + env.display};
    default:
        return {false, "the display at " + env.display + " " + answer.what};
    }
}

// Without WAYLAND_DISPLAY the Wayland platform tries "wayland-0".
ServerCheck checkWayland(const DisplayEnvironment& env) {
    const std::string name = env.waylandDisplay.empty() ? "wayland-0" : env.waylandDisplay;
    if (waylandReachable(name, env.runtimeDir)) {
        return {true, ""};
    }
    return {false, "cannot reach WAYLAND_DISPLAY " + name};
}

// Platforms that draw into memory, a framebuffer or DRM device, or serve VNC themselves.
bool needsNoDisplayServer(std::string_view platform) {
    constexpr std::string_view kPlatforms[] = {"offscreen", "minimal", "minimalegl",  "vnc",
                                               "linuxfb",   "eglfs",   "vkkhrdisplay"};
    return std::find(std::begin(kPlatforms), std::end(kPlatforms), platform) !=
           std::end(kPlatforms);
}

// QT_QPA_PLATFORM lists platforms to try in turn, each "name[:option...]".
DisplayCheck checkNamedPlatforms(const DisplayEnvironment& env, std::chrono::milliseconds wait) {
    std::string reasons;
    std::string_view rest = env.qpaPlatform;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find(';'));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        const std::string_view name = entry.substr(0, entry.find(':'));
        ServerCheck check;
        if (name.empty()) {
            continue;
        }
        if (needsNoDisplayServer(name)) {
            check.up = true;
        } else if (name == "xcb") {
            check = checkX11(env, wait);
        } else if (name.starts_with("wayland")) {
            check = checkWayland(env);
        } else {
            check.reason = "QT_QPA_PLATFORM names " + std::string(name) +
                           ", not a platform this program can check";
        }
        if (check.up) {
            return {true, "", ""};
        }
        reasons += (reasons.empty() ? "" : "; ") + check.reason;
    }
    return {false, "", reasons.empty() ? "QT_QPA_PLATFORM names no platform" : reasons};
}

} // namespace

DisplayCheck checkDisplay(const DisplayEnvironment& env, std::chrono::milliseconds wait) {
    if (!env.qpaPlatform.empty()) {
        return checkNamedPlatforms(env, wait);
    }
    if (env.display.empty() && env.waylandDisplay.empty()) {
        return {false, "", "DISPLAY is not set"};
    }
    const ServerCheck x11 = env.display.empty() ? ServerCheck() : checkX11(env, wait);
    const ServerCheck wayland = env.waylandDisplay.empty() ? ServerCheck() : checkWayland(env);
    if (x11.up && wayland.up) {
        return {true, "", ""};
    }
    if (wayland.up) {
        return {true, "wayland", ""};
    }
    if (x11.up) {
        return {true, env.waylandDisplay.empty() ? "" : "xcb", ""};
    }
    std::string reason = x11.reason;
    if (!wayland.reason.empty()) {
        reason += (reason.empty() ? "" : "; ") + wayland.reason;
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
