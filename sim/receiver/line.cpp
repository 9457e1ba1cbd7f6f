#include "line.h"

#include "common/serial/line_state.h"
#include "common/serial/termios_settings.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zeph::sim {
namespace {

std::string describe(const std::string& step) {
    return step + ": " + std::generic_category().message(errno);
}

LineSettings settingsOf(const LineFormat& f) {
    LineSettings s;
    s.baud = static_cast<int>(f.baud);
    s.dataBits = f.dataBits;
    s.parity = f.parity == 1 ? Parity::Odd : f.parity == 2 ? Parity::Even : Parity::None;
    s.stopBits = f.stopBits;
    return s;
}

// Raw mode with the given framing and rate, on a terminal this program holds.
bool applyFormat(int fd, const LineFormat& format) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    detail::applyLineSettings(tio, settingsOf(format));
    const std::optional<speed_t> code = detail::standardRate(static_cast<int>(format.baud));
    if (code) {
        ::cfsetspeed(&tio, *code);
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return false;
    }
    return code || detail::setAnyRate(fd, format.baud);
}

} // namespace

std::unique_ptr<SimLine> SimLine::openPseudoTerminal(const LineFormat& format, std::string& error) {
    std::unique_ptr<SimLine> line(new SimLine);
    line->format_ = format;
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
        error = describe(std::string("cannot open ") + name);
        return nullptr;
    }
    if (!applyFormat(line->slaveFd_, format)) {
        error = describe(std::string("cannot configure ") + name);
        return nullptr;
    }
    const int flags = ::fcntl(line->fd_, F_GETFL);
    if (flags < 0 || ::fcntl(line->fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = describe("fcntl");
        return nullptr;
    }
    return line;
}

std::unique_ptr<SimLine> SimLine::openDevice(const std::string& path, const LineFormat& format,
                                             std::string& error) {
    std::unique_ptr<SimLine> line(new SimLine);
    line->format_ = format;
    line->device_ = std::make_unique<SerialLine>();
    SerialStatus status = line->device_->open(path);
    if (status) {
        status = line->device_->configure(settingsOf(format));
    }
    if (!status) {
        error = status.message;
        return nullptr;
    }
    line->fd_ = line->device_->nativeHandle();
    line->path_ = path;
    return line;
}

SimLine::~SimLine() {
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

long SimLine::read(uint8_t* buffer, size_t max) {
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

void SimLine::dropUnread() {
    int unread = 0;
    if (slaveFd_ >= 0 && ::ioctl(slaveFd_, FIONREAD, &unread) == 0 && unread > kMaxUnreadBytes) {
        ::tcflush(slaveFd_, TCIFLUSH);
        unreadDropped_ += static_cast<uint64_t>(unread);
    }
}

long SimLine::write(const uint8_t* bytes, size_t count) {
    dropUnread();
    for (int attempt = 0; attempt < 2; ++attempt) {
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
        if (slaveFd_ < 0) {
            return 0; // the device's queue is full: wait for room
        }
        // The terminal's buffers are full because nobody reads: lose the oldest, as a wire would.
        int unread = 0;
        ::ioctl(slaveFd_, FIONREAD, &unread);
        ::tcflush(slaveFd_, TCIFLUSH);
        unreadDropped_ += static_cast<uint64_t>(unread);
    }
    return 0;
}

bool SimLine::farEndMatches() {
    if (slaveFd_ < 0) {
        return true;
    }
    struct termios tio {};
    unsigned rate = 0;
    if (::tcgetattr(slaveFd_, &tio) != 0 || !detail::readOutputRate(slaveFd_, rate)) {
        return true;
    }
    const tcflag_t size = tio.c_cflag & CSIZE;
    const int dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const int parity = (tio.c_cflag & PARENB) == 0 ? 0 : (tio.c_cflag & PARODD) != 0 ? 1 : 2;
    const int stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    return rate == format_.baud && dataBits == format_.dataBits && parity == format_.parity &&
           stopBits == format_.stopBits;
}

void SimLine::setFormat(const LineFormat& format) {
    format_ = format;
    if (device_) {
        device_->drain();
        device_->configure(settingsOf(format));
    }
}

} // namespace zeph::sim
