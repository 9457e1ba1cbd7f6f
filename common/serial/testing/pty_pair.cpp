#include "common/serial/testing/pty_pair.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zeph::testing {

namespace {

std::string describe(const char* step) {
    return std::string(step) + ": " + std::generic_category().message(errno);
}

} // namespace

PtyPair::PtyPair() {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error_ = describe("posix_openpt");
        return;
    }
    char name[128] = {};
    struct termios tio {};
    if (::grantpt(fd) != 0) {
        error_ = describe("grantpt");
    } else if (::unlockpt(fd) != 0) {
        error_ = describe("unlockpt");
    } else if (::ptsname_r(fd, name, sizeof name) != 0) {
        error_ = describe("ptsname");
    } else if (::tcgetattr(fd, &tio) != 0) {
        error_ = describe("tcgetattr");
    } else {
        ::cfmakeraw(&tio);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            error_ = describe("tcsetattr");
        }
    }
    if (!error_.empty()) {
        ::close(fd);
        return;
    }
    masterFd_ = fd;
    slavePath_ = name;
}

PtyPair::~PtyPair() {
    if (masterFd_ >= 0) {
        ::close(masterFd_);
    }
}

bool PtyPair::writeMaster(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(masterFd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string PtyPair::readMaster(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string out;
    char buffer[4096];
    while (out.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{masterFd_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r <= 0) {
            break;
        }
        const std::size_t want = std::min(sizeof buffer, count - out.size());
        const ssize_t n = ::read(masterFd_, buffer, want);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            break; // EIO: no slave side is open
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

} // namespace zeph::testing
