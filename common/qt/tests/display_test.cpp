// The display check: how DISPLAY and the Xauthority file are read, the X greeting, and what
// answers on sockets the test listens on.

#include "common/qt/display.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

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
    int fd() const { return fd_; }

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

std::string be16(size_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string xauthEntry(uint16_t family, const std::string& address, const std::string& number,
                       const std::string& name, const std::string& data) {
    return be16(family) + be16(address.size()) + address + be16(number.size()) + number +
           be16(name.size()) + name + be16(data.size()) + data;
}

TEST(XAuthority, TheCookieForTheDisplayAsTheXLibraryPicksIt) {
    const std::string cookie = "MIT-MAGIC-COOKIE-1";
    const std::string lo4("\x7f\x00\x00\x01", 4);
    const std::string net4("\x0a\x00\x00\x07", 4);
    const std::string file = xauthEntry(kXAuthLocal, "other", "0", cookie, "A") +
                             xauthEntry(kXAuthLocal, "box", "1", cookie, "B") +
                             xauthEntry(kXAuthLocal, "box", "0", "XDM-AUTHORIZATION-1", "C") +
                             xauthEntry(kXAuthLocal, "box", "0", cookie, "D") +
                             xauthEntry(kXAuthInternet, net4, "0", cookie, "E") +
                             xauthEntry(kXAuthWild, "", "7", cookie, "F") +
                             xauthEntry(kXAuthLocal, "box", "8", cookie, "G").substr(0, 9);
    const std::vector<XAuthEntry> entries = parseXAuthority(file);
    ASSERT_EQ(entries.size(), 6u) << "the cut-off last entry is dropped";
    EXPECT_EQ(entries[1], (XAuthEntry{kXAuthLocal, "box", "1", cookie, "B"}));

    const struct {
        uint16_t family;
        std::string address;
        int number;
        const char* data; // nullptr: none
    } rows[] = {
        {kXAuthLocal, "box", 0, "D"},   // past another host, display and cookie kind
        {kXAuthLocal, "box", 1, "B"},   //
        {kXAuthInternet, net4, 0, "E"}, //
        {kXAuthInternet, lo4, 0, nullptr},
        {kXAuthLocal, "else", 7, "F"}, // a wild entry serves any host
        {kXAuthLocal, "box", 8, nullptr},
        {kXAuthLocal, "box", 2, nullptr},
    };
    for (const auto& row : rows) {
        const auto found = findXCookie(entries, row.family, row.address, row.number);
        EXPECT_EQ(found ? found->data.c_str() : "-", std::string(row.data ? row.data : "-"))
            << row.address << ":" << row.number;
    }
    EXPECT_TRUE(parseXAuthority("").empty());
}

TEST(X11Greeting, RequestAndReplies) {
    EXPECT_EQ(x11SetupRequest("", ""), std::string("l\0\x0b\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(x11SetupRequest("MIT-MAGIC-COOKIE-1", "0123456789abcdef"),
              std::string("l\0\x0b\0\0\0\x12\0\x10\0\0\0MIT-MAGIC-COOKIE-1\0\0"
                          "0123456789abcdef",
                          48));

    using Kind = X11Answer::Kind;
    const std::string failed = std::string("\0\x0b\x0b\0\0\0\x03\0", 8) + "No protocol\0";
    const std::string authenticate = std::string("\x02\0\0\0\0\0\x02\0", 8) + "Try this\0\0\0";
    const struct {
        std::string reply;
        bool ended;
        std::optional<X11Answer> answer;
    } rows[] = {
        {"", false, std::nullopt},
        {"", true, X11Answer{Kind::Refused, "closes the connection without answering"}},
        {std::string("\x01\0\x0b\0", 4), false, X11Answer{Kind::Accepted, ""}},
        {failed, false, X11Answer{Kind::Refused, "refuses the connection: No protocol"}},
        {failed.substr(0, 12), false, std::nullopt},
        {failed.substr(0, 12), true, X11Answer{Kind::Refused, "refuses the connection: No p"}},
        {failed.substr(0, 5), true, X11Answer{Kind::Refused, "refuses the connection"}},
        {std::string("\0\x02\x0b\0\0\0\x01\0\n\r\0\0", 12), false,
         X11Answer{Kind::Refused, "refuses the connection"}},
        {authenticate, false, X11Answer{Kind::Refused, "asks for more authentication: Try this"}},
        {"HTTP/1.0 400", false, X11Answer{Kind::Refused, "answers, but not as an X server"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(parseX11SetupReply(row.reply, row.ended), row.answer)
            << ::testing::PrintToString(row.reply) << " ended " << row.ended;
    }
}

// An X server on the loopback that answers every greeting with `reply` (none: it reads and
// keeps silent) and keeps the requests it got.
class FakeXServer {
public:
    explicit FakeXServer(std::optional<std::string> reply) : reply_(std::move(reply)) {
        number_ = listenX11Tcp(listener_);
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeXServer() {
        done_ = true;
        thread_.join();
    }
    FakeXServer(const FakeXServer&) = delete;
    FakeXServer& operator=(const FakeXServer&) = delete;

    // "127.0.0.1:N"
    std::string display() const { return "127.0.0.1:" + std::to_string(number_); }
    std::vector<std::string> requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve() {
        std::vector<int> open;
        while (!done_) {
            pollfd p{listener_->fd(), POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            const int fd = ::accept(listener_->fd(), nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            std::string request(1024, '\0');
            pollfd in{fd, POLLIN, 0};
            const ssize_t n = ::poll(&in, 1, 2000) > 0 ? ::recv(fd, request.data(), 1024, 0) : 0;
            request.resize(n > 0 ? static_cast<size_t>(n) : 0);
            {
                const std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            if (reply_) {
                ::send(fd, reply_->data(), reply_->size(), MSG_NOSIGNAL);
                ::close(fd);
            } else {
                open.push_back(fd);
            }
        }
        for (const int fd : open) {
            ::close(fd);
        }
    }

    std::optional<std::string> reply_;
    std::optional<Listener> listener_;
    int number_ = -1;
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

const std::string kAccept("\x01\0\x0b\0\0\0\0\0", 8);

TEST(DisplayCheck, OnlyADisplayThatAnswersServes) {
    zeph::testing::TempDir dir;
    const Listener compositor = listenUnix(dir.path("wayland-1"));
    ASSERT_TRUE(compositor.ok());
    const Listener compositor0 = listenUnix(dir.path("wayland-0"));
    ASSERT_TRUE(compositor0.ok());
    {
        // A socket file nobody listens on any more refuses connections.
        const Listener gone = listenUnix(dir.path("wayland-gone"));
        ASSERT_TRUE(gone.ok());
    }
    const FakeXServer xServer(kAccept);
    const std::string up = xServer.display() + ".0";
    std::optional<Listener> silentListener; // accepts in the kernel, never answers
    const std::string silent = "127.0.0.1:" + std::to_string(listenX11Tcp(silentListener));
    const FakeXServer refusing(std::string("\0\x0b\x0b\0\0\0\x03\0No protocol\0", 20));
    const std::string refused = refusing.display();
    const std::string absolute = dir.path("wayland-1");
    const std::string gone = dir.path("wayland-gone");
    const std::string runtime = dir.folder().string();
    const std::string noRuntime = dir.path("none");

    const struct {
        DisplayEnvironment env;
        bool reachable;
        const char* platform;
        std::string reason;
    } rows[] = {
        {{"", "", "", "", ""}, false, "", "DISPLAY is not set"},
        {{up, "", "", "", ""}, true, "", ""},
        {{up, "wayland-1", runtime, "", ""}, true, "", ""},
        {{up, gone, "", "", ""}, true, "xcb", ""},
        {{"", "wayland-1", runtime, "", ""}, true, "wayland", ""},
        {{"nowhere", absolute, "", "", ""}, true, "wayland", ""},
        {{silent, absolute, "", "", ""}, true, "wayland", ""},
        {{"", "wayland-1", "", "", ""}, false, "", "cannot reach WAYLAND_DISPLAY wayland-1"},
        {{"", gone, "", "", ""}, false, "", "cannot reach WAYLAND_DISPLAY " + gone},
        {{":1.s", "wayland-9", runtime, "", ""},
         false,
         "",
         "cannot reach DISPLAY :1.s; cannot reach WAYLAND_DISPLAY wayland-9"},
        {{silent, "", "", "", ""}, false, "", "the display at " + silent + " does not answer"},
        {{refused, "", "", "", ""},
         false,
         "",
         "the display at " + refused + " refuses the connection: No protocol"},
        // Platforms named by hand: the ones that need no display server are trusted, the
        // others checked in turn.
        {{"", "", "", "offscreen", ""}, true, "", ""},
        {{silent, "", "", "minimal:option=1", ""}, true, "", ""},
        {{"", "", "", "xcb", ""}, false, "", "DISPLAY is not set"},
        {{up, "", "", "xcb", ""}, true, "", ""},
        {{refused, "", "", "xcb;offscreen", ""}, true, "", ""},
        {{up, "wayland-9", runtime, "wayland-egl", ""},
         false,
         "",
         "cannot reach WAYLAND_DISPLAY wayland-9"},
        {{"", "", runtime, "wayland", ""}, true, "", ""},
        {{"", "", noRuntime, "wayland;xcb", ""},
         false,
         "",
         "cannot reach WAYLAND_DISPLAY wayland-0; DISPLAY is not set"},
        {{up, "", "", "cocoa", ""},
         false,
         "",
         "QT_QPA_PLATFORM names cocoa, not a platform this program can check"},
    };
    for (const auto& row : rows) {
        const DisplayCheck check = checkDisplay(row.env, std::chrono::milliseconds(300));
        const std::string what = "DISPLAY=" + row.env.display +
                                 " WAYLAND_DISPLAY=" + row.env.waylandDisplay +
                                 " QT_QPA_PLATFORM=" + row.env.qpaPlatform;
        EXPECT_EQ(check.reachable, row.reachable) << what;
        EXPECT_EQ(check.platform, row.platform) << what;
        EXPECT_EQ(check.reason, row.reason) << what;
    }
}

// The greeting carries the cookie the Xauthority file holds for the display, and none when the
// file has none for it or is missing.
TEST(DisplayCheck, TheGreetingCarriesTheDisplaysCookie) {
    zeph::testing::TempDir dir;
    const FakeXServer xServer(kAccept);
    const auto display = parseX11Display(xServer.display());
    ASSERT_TRUE(display);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const std::string name = "MIT-MAGIC-COOKIE-1";
    const std::string cookie = "0123456789abcdef";
    const std::string number = std::to_string(display->number);
    const std::string xauthority =
        dir.write("xauth", xauthEntry(kXAuthLocal, host, "0", name, "wrong") +
                               xauthEntry(kXAuthLocal, host, number, name, cookie));
    const std::string other = dir.write("other", xauthEntry(kXAuthLocal, host, "0", name, "x"));
    for (const std::string& file : {xauthority, other, dir.path("missing"), std::string()}) {
        EXPECT_EQ(probeX11(*display, file, std::chrono::milliseconds(1000)).kind,
                  X11Answer::Kind::Accepted);
    }
    const std::vector<std::string> requests = xServer.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0], x11SetupRequest(name, cookie)) << "the loopback counts as local";
    for (size_t i = 1; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i], x11SetupRequest("", "")) << i;
    }
}

} // namespace
} // namespace zeph
