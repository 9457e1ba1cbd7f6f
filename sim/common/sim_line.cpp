#include "sim_line.h"

#include "common/serial/line_state.h"
#include "common/serial/termios_settings.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zeph::simcommon {
namespace {

std::string describe(const std::string& step) {
    return step + ": " + std::generic_category().message(errno);
}

// Raw mode with the given framing and rate, on a terminal this program holds.
bool applySettings(int fd, const LineSettings& settings) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    detail::applyLineSettings(tio, settings);
    const std::optional<speed_t> code = detail::standardRate(settings.baud);
    if (code) {
        ::cfsetspeed(&tio, *code);
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return false;
    }
    return code || detail::setAnyRate(fd, static_cast<unsigned>(settings.baud));
}

} // namespace

std::unique_ptr<SimulatorLine> SimulatorLine::openPseudoTerminal(const LineSettings& settings,
                                                                 std::string& error) {
    std::unique_ptr<SimulatorLine> line(new SimulatorLine);
    line->fd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (line->fd_ < 0) {
        error = describe("posix_openpt");
        return nullptr;
    }
    char name[128] = {};
    if (::grantpt(line->fd_) != 0 || ::unlockpt(line->fd_) != 0 ||
        ::ptsname_r(line->fd_, name, sizeof name) != 0) {
        error = describe("cannot set up the pseudo-terminal");
        return nullptr;
    }
    line->path_ = name;
    line->slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (line->slaveFd_ < 0) {
        error = describe("cannot open " + line->path_);
        return nullptr;
    }
    if (!applySettings(line->slaveFd_, settings)) {
        error = describe("cannot configure " + line->path_);
        return nullptr;
    }
    const int flags = ::fcntl(line->fd_, F_GETFL);
    if (flags < 0 || ::fcntl(line->fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = describe("fcntl");
        return nullptr;
    }
    return line;
}

std::unique_ptr<SimulatorLine> SimulatorLine::openDevice(const std::string& path,
                                                         const LineSettings& settings,
                                                         std::string& error) {
    std::unique_ptr<SimulatorLine> line(new SimulatorLine);
    line->device_ = std::make_unique<SerialLine>();
    SerialStatus status = line->device_->open(path);
    if (status) {
        status = line->device_->configure(settings);
    }
    if (!status) {
        error = status.message;
        return nullptr;
    }
    line->fd_ = line->device_->nativeHandle();
    line->path_ = path;
    return line;
}

SimulatorLine::~SimulatorLine() {
    if (device_) {
        device_->close();
        return;
    }
    if (slaveFd_ >= 0) {
        ::close(slaveFd_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

long SimulatorLine::read(uint8_t* buffer, size_t max) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, max);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

int SimulatorLine::unread() const {
    int unread = 0;
    return slaveFd_ >= 0 && ::ioctl(slaveFd_, FIONREAD, &unread) == 0 ? unread : 0;
}

void SimulatorLine::trimUnread() {
    int unread = 0;
    if (slaveFd_ >= 0 && ::ioctl(slaveFd_, FIONREAD, &unread) == 0 && unread > *maxUnread_) {
        flushUnread();
    }
}

// The unread bytes are read here and thrown away rather than flushed, so each is counted: the
// count the terminal reports leaves out what the kernel has not yet moved into its read queue,
// which is everything when it is slow to do so.
void SimulatorLine::flushUnread() {
    uint8_t discard[4096];
    ssize_t n = 0;
    while ((n = ::read(slaveFd_, discard, sizeof discard)) > 0 || (n < 0 && errno == EINTR)) {
        unreadDropped_ += n > 0 ? static_cast<uint64_t>(n) : 0;
    }
    // Whatever a read cannot take (a client's line-by-line mode) goes as before.
    int unread = 0;
    if (::ioctl(slaveFd_, FIONREAD, &unread) == 0 && unread > 0) {
        unreadDropped_ += static_cast<uint64_t>(unread);
    }
    ::tcflush(slaveFd_, TCIFLUSH);
}

long SimulatorLine::write(const uint8_t* bytes, size_t count) {
    if (maxUnread_) {
        trimUnread();
    }
    // A line that loses unread bytes has two attempts, the second after making room; any other
    // line tries until the write is answered.
    for (int attempt = 0; !maxUnread_ || attempt < 2; ++attempt) {
        const ssize_t n = ::write(fd_, bytes, count);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return -1;
        }
        if (!maxUnread_ || slaveFd_ < 0) {
            return 0; // the queue is full: wait for room
        }
        // The terminal's buffers are full because nobody reads: lose the oldest.
        flushUnread();
    }
    return 0;
}

std::optional<LineSettings> SimulatorLine::farEndSettings() const {
    if (slaveFd_ < 0) {
        return std::nullopt;
    }
    struct termios tio {};
    if (::tcgetattr(slaveFd_, &tio) != 0) {
        return std::nullopt;
    }
    const std::optional<unsigned> rate = farEndRate();
    if (!rate) {
        return std::nullopt;
    }
    LineSettings s;
    s.baud = static_cast<int>(*rate);
    const tcflag_t size = tio.c_cflag & CSIZE;
    s.dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    s.parity = (tio.c_cflag & PARENB) == 0   ? Parity::None
               : (tio.c_cflag & PARODD) != 0 ? Parity::Odd
                                             : Parity::Even;
    s.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return s;
}

std::optional<unsigned> SimulatorLine::farEndRate() const {
    unsigned rate = 0;
    if (slaveFd_ < 0 || !detail::readOutputRate(slaveFd_, rate)) {
        return std::nullopt;
    }
    return rate;
}

void SimulatorLine::reconfigure(const LineSettings& settings) {
    if (device_) {
        device_->drain();
        device_->configure(settings);
    }
}

} // namespace zeph::simcommon
