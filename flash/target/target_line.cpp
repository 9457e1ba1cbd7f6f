#include "target_line.h"

#include "common/serial/line_state.h"
#include "common/serial/serial_line.h"
#include "common/serial/termios_settings.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace zeph::flashsim {
namespace {

std::string describe(const std::string& step) {
    return step + ": " + std::generic_category().message(errno);
}

LineSettings settingsAt(unsigned baud) {
    LineSettings s;
    s.baud = static_cast<int>(baud);
    return s;
}

} // namespace

std::unique_ptr<TargetLine> TargetLine::openPseudoTerminal(unsigned baud, std::string& error) {
    std::unique_ptr<TargetLine> line(new TargetLine);
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
    struct termios tio {};
    if (::tcgetattr(line->slaveFd_, &tio) != 0) {
        error = describe("cannot configure " + line->path_);
        return nullptr;
    }
    detail::applyLineSettings(tio, settingsAt(baud));
    if (const auto code = detail::standardRate(static_cast<int>(baud))) {
        ::cfsetspeed(&tio, *code);
    }
    const int flags = ::fcntl(line->fd_, F_GETFL);
    if (::tcsetattr(line->slaveFd_, TCSANOW, &tio) != 0 || flags < 0 ||
        ::fcntl(line->fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = describe("cannot configure " + line->path_);
        return nullptr;
    }
    return line;
}

std::unique_ptr<TargetLine> TargetLine::openDevice(const std::string& path, unsigned baud,
                                                   std::string& error) {
    std::unique_ptr<TargetLine> line(new TargetLine);
    line->device_ = std::make_unique<SerialLine>();
    SerialStatus status = line->device_->open(path);
    if (status) {
        status = line->device_->configure(settingsAt(baud));
    }
    if (!status) {
        error = status.message;
        return nullptr;
    }
    line->fd_ = line->device_->nativeHandle();
    line->path_ = path;
    return line;
}

TargetLine::~TargetLine() {
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

long TargetLine::read(uint8_t* buffer, size_t max) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, max);
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO) {
            return 0; // EIO: a pseudo-terminal between two openings by the host
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

long TargetLine::write(const uint8_t* bytes, size_t count) {
    for (;;) {
        const ssize_t n = ::write(fd_, bytes, count);
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

bool TargetLine::hostRateIs(unsigned baud) const {
    unsigned rate = 0;
    if (slaveFd_ < 0 || !detail::readOutputRate(slaveFd_, rate)) {
        return true;
    }
    return rate == baud;
}

void TargetLine::setRate(unsigned baud) {
    if (device_) {
        device_->drain();
        device_->configure(settingsAt(baud));
    }
}

} // namespace zeph::flashsim
