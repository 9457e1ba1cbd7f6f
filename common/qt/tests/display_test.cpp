// The display check: how DISPLAY is read, and what answers on sockets the test listens on.

#include "common/qt/display.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace zeph {
namespace {

TEST(X11DisplayName, HostNumberAndScreen) {
    const struct {
        const char* display;
        std::optional<X11Display> expected;
    } rows[] = {
        {":0", X11Display{"", 0}},
        {":1.0", X11Display{"", 1}},
        {"unix:2", X11Display{"", 2}},
        {"unix/:3", X11Display{"", 3}},
        {"localhost:10.0", X11Display{"localhost", 10}},
        {"tcp/example.org:4", X11Display{"example.org", 4}},
        {"[::1]:5", X11Display{"::1", 5}},
        {"", std::nullopt},
        {"0", std::nullopt},
        {":", std::nullopt},
        {":x", std::nullopt},
        {":1.", std::nullopt},
        {":1.s", std::nullopt},
        {"node::0", std::nullopt}, // DECnet
        {":60000", std::nullopt},  // no TCP port above 65535
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parseX11Display(row.display), row.expected) << '"' << row.display << '"';
    }
}

// A listening socket that closes with the test.
class Listener {
public:
    explicit Listener(int fd) : fd_(fd) {}
    ~Listener() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

Listener listenUnix(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return Listener(-1);
    }
    return Listener(fd);
}

// A display number whose TCP port on the loopback is free, and a listener on it.
int listenX11Tcp(std::optional<Listener>& listener) {
    for (int n = 150; n < 250; ++n) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(6000 + n));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(fd, 4) == 0) {
            listener.emplace(fd);
            return n;
        }
        ::close(fd);
    }
    return -1;
}

TEST(DisplayCheck, OnlyADisplayThatAnswersServes) {
    zeph::testing::TempDir dir;
    const Listener compositor = listenUnix(dir.path("wayland-1"));
    ASSERT_TRUE(compositor.ok());
    {
        // A socket file nobody listens on any more refuses connections.
        const Listener gone = listenUnix(dir.path("wayland-gone"));
        ASSERT_TRUE(gone.ok());
    }
    std::optional<Listener> xServer;
    const int x = listenX11Tcp(xServer);
    ASSERT_GE(x, 0);
    const std::string up = "127.0.0.1:" + std::to_string(x) + ".0";
    const std::string absolute = dir.path("wayland-1");
    const std::string gone = dir.path("wayland-gone");

    const struct {
        DisplayEnvironment env;
        bool reachable;
        const char* platform;
        std::string reason;
    } rows[] = {
        {{"", "", "", ""}, false, "", "DISPLAY is not set"},
        {{":99", "", "", "offscreen"}, true, "", ""},
        {{up, "", "", ""}, true, "", ""},
        {{up, "wayland-1", dir.path(""), ""}, true, "", ""},
        {{up, gone, "", ""}, true, "xcb", ""},
        {{"", "wayland-1", dir.folder().string(), ""}, true, "wayland", ""},
        {{"nowhere", absolute, "", ""}, true, "wayland", ""},
        {{"", "wayland-1", "", ""}, false, "", "cannot reach WAYLAND_DISPLAY wayland-1"},
        {{"", gone, "", ""}, false, "", "cannot reach WAYLAND_DISPLAY " + gone},
        {{":1.s", "wayland-9", dir.folder().string(), ""},
         false,
         "",
         "cannot reach DISPLAY :1.s or WAYLAND_DISPLAY wayland-9"},
    };
    for (const auto& row : rows) {
        const DisplayCheck check = checkDisplay(row.env);
        const std::string what = "DISPLAY=" + row.env.display +
                                 " WAYLAND_DISPLAY=" + row.env.waylandDisplay +
                                 " XDG_RUNTIME_DIR=" + row.env.runtimeDir;
        EXPECT_EQ(check.reachable, row.reachable) << what;
        EXPECT_EQ(check.platform, row.platform) << what;
        EXPECT_EQ(check.reason, row.reason) << what;
    }
    xServer.reset();
    EXPECT_FALSE(x11Reachable(*parseX11Display(up))) << "the port closed";
}

} // namespace
} // namespace zeph
