#include "common/serial/serial_line.h"

#include "common/serial/termios_settings.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace zeph {

namespace {

std::string errnoText(int err) {
    return std::generic_category().message(err);
}

// A time limit in milliseconds; negative means none.
class Deadline {
public:
    explicit Deadline(int timeoutMs) : unlimited_(timeoutMs < 0) {
        if (!unlimited_) {
            end_ = Clock::now() + std::chrono::milliseconds(timeoutMs);
        }
    }

    // What is left, rounded up so that poll() never wakes before the limit: -1 when unlimited.
    int remainingMs() const {
        if (unlimited_) {
            return -1;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - Clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    bool unlimited_;
    Clock::time_point end_{};
};

// Waits for `events` on fd. Returns 1 when ready (or in error: the next call reports it),
// 0 on time-out, -1 on failure. Interruptions by signals resume with the time that is left.
int waitFor(int fd, short events, const Deadline& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, deadline.remainingMs());
        if (r >= 0) {
            return r > 0 ? 1 : 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

struct RateEntry {
    int baud;
    speed_t code;
};

constexpr std::array<RateEntry, 30> kStandardRates{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

tcflag_t sizeFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

namespace detail {

std::optional<speed_t> standardRate(int baud) {
    for (const RateEntry& entry : kStandardRates) {
        if (entry.baud == baud) {
            return entry.code;
        }
    }
    return std::nullopt;
}

std::string checkLineSettings(const LineSettings& settings) {
    if (settings.baud <= 0) {
        return "Unsupported baud rate " + std::to_string(settings.baud);
    }
    if (settings.dataBits < 5 || settings.dataBits > 8) {
        return "Unsupported data bits " + std::to_string(settings.dataBits);
    }
    if (settings.stopBits != 1 && settings.stopBits != 2) {
        return "Unsupported stop bits " + std::to_string(settings.stopBits);
    }
    return {};
}

void applyLineSettings(struct termios& tio, const LineSettings& settings) {
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // The receiver is always on and the modem status lines never block open or reads.
    tio.c_cflag |= CREAD | CLOCAL | sizeFlag(settings.dataBits);

    switch (settings.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        tio.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (settings.parity != Parity::None) {
        tio.c_iflag |= INPCK;
    }
    if (settings.stopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.xonXoff) {
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
    }
    if (settings.rtsCts) {
        tio.c_cflag |= CRTSCTS;
    }
    // A read returns as soon as one byte is there; time-outs are done with poll().
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

LineSettings lineSettingsOf(const struct termios& tio) {
    LineSettings settings;
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        settings.dataBits = 5;
        break;
    case CS6:
        settings.dataBits = 6;
        break;
    case CS7:
        settings.dataBits = 7;
        break;
    default:
        settings.dataBits = 8;
        break;
    }
    if ((tio.c_cflag & PARENB) != 0) {
        const bool odd = (tio.c_cflag & PARODD) != 0;
        if ((tio.c_cflag & CMSPAR) != 0) {
            settings.parity = odd ? Parity::Mark : Parity::Space;
        } else {
            settings.parity = odd ? Parity::Odd : Parity::Even;
        }
    }
    settings.stopBits = (tio.c_cflag & CSTOPB) != 0 ? 2 : 1;
    settings.xonXoff = (tio.c_iflag & (IXON | IXOFF)) == (IXON | IXOFF);
    settings.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
    return settings;
}

} // namespace detail

SerialLine::~SerialLine() {
    close();
}

SerialStatus SerialLine::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return SerialStatus::failure("Cannot open " + path + ": " + errnoText(errno));
    }
    if (!::isatty(fd)) {
        ::close(fd);
        return SerialStatus::failure("Cannot open " + path + ": not a serial device");
    }
    // The driver's exclusive mode below does not stop a privileged process; this lock stops
    // every other user of this module, whoever runs it. It ends when the descriptor closes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return SerialStatus::failure("Cannot open " + path + ": " + errnoText(EBUSY));
    }
    if (!detail::saveLineState(fd, saved_)) {
        const int err = errno;
        ::close(fd);
        return SerialStatus::failure("Cannot open " + path + ": " + errnoText(err));
    }
    // No sharing: other opens fail with EBUSY until close (privileged processes excepted).
    ::ioctl(fd, TIOCEXCL);

    fd_ = fd;
    path_ = path;
    countersSupported_ = true;
    if (!readCounters(lastCounts_)) {
        lastCounts_ = {};
    }
    return SerialStatus::success();
}

void SerialLine::close() {
    if (fd_ < 0) {
        return;
    }
    detail::restoreLineState(fd_, saved_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    saved_ = {};
}

SerialStatus SerialLine::configure(const LineSettings& settings) {
    if (fd_ < 0) {
        return SerialStatus::failure("Cannot configure the serial line: it is not open");
    }
    if (std::string problem = detail::checkLineSettings(settings); !problem.empty()) {
        return SerialStatus::failure(problem);
    }
    struct termios tio {};
    if (::tcgetattr(fd_, &tio) != 0) {
        return SerialStatus::failure("Cannot configure " + path_ + ": " + errnoText(errno));
    }
    detail::applyLineSettings(tio, settings);
    const std::optional<speed_t> code = detail::standardRate(settings.baud);
    if (code) {
        ::cfsetspeed(&tio, *code);
    }
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        return SerialStatus::failure("Cannot configure " + path_ + ": " + errnoText(errno));
    }
    if (!code && !detail::setAnyRate(fd_, static_cast<unsigned>(settings.baud))) {
        return SerialStatus::failure("Cannot set baud rate " + std::to_string(settings.baud) +
                                     " on " + path_ + ": " + errnoText(errno));
    }
    return SerialStatus::success();
}

std::optional<LineSettings> SerialLine::currentSettings() const {
    struct termios tio {};
    const std::optional<unsigned> rate = baudRate();
    if (!rate || ::tcgetattr(fd_, &tio) != 0) {
        return std::nullopt;
    }
    LineSettings settings = detail::lineSettingsOf(tio);
    settings.baud = static_cast<int>(*rate);
    return settings;
}

std::optional<unsigned> SerialLine::baudRate() const {
    unsigned rate = 0;
    if (fd_ < 0 || !detail::readOutputRate(fd_, rate)) {
        return std::nullopt;
    }
    return rate;
}

bool SerialLine::setModemLine(int line, bool on) {
    // Pseudo-terminals have no modem lines and answer ENOTTY or EINVAL.
    return fd_ >= 0 && ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool SerialLine::setDtr(bool on) {
    return setModemLine(TIOCM_DTR, on);
}

bool SerialLine::setRts(bool on) {
    return setModemLine(TIOCM_RTS, on);
}

long SerialLine::read(void* buffer, std::size_t max, int timeoutMs) {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    if (max == 0) {
        return 0;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        const int ready = waitFor(fd_, POLLIN, deadline);
        if (ready <= 0) {
            return ready;
        }
        const ssize_t n = ::read(fd_, buffer, max);
        if (n > 0) {
            return static_cast<long>(n);
        }
        if (n == 0) {
            // Readable with nothing to read: the line was hung up.
            errno = EIO;
            return -1;
        }
        if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return -1;
        }
        if (deadline.remainingMs() == 0) {
            return 0;
        }
    }
}

long SerialLine::readExact(void* buffer, std::size_t count, int timeoutMs) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    const Deadline deadline(timeoutMs);
    std::size_t got = 0;
    while (got < count) {
        const long n = read(bytes + got, count - got, deadline.remainingMs());
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long>(got);
}

long SerialLine::write(const void* buffer, std::size_t count, int timeoutMs) {
    if (fd_ < 0) {
        errno = EBADF;
        return -1;
    }
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    const Deadline deadline(timeoutMs);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return -1;
        }
        // The output queue is full: wait for room.
        const int ready = waitFor(fd_, POLLOUT, deadline);
        if (ready < 0) {
            return -1;
        }
        if (ready == 0) {
            break;
        }
    }
    return static_cast<long>(done);
}

int SerialLine::inputQueued() const {
    int count = 0;
    return fd_ >= 0 && ::ioctl(fd_, FIONREAD, &count) == 0 ? count : -1;
}

int SerialLine::outputQueued() const {
    int count = 0;
    return fd_ >= 0 && ::ioctl(fd_, TIOCOUTQ, &count) == 0 ? count : -1;
}

bool SerialLine::purge(bool input, bool output) {
    if (fd_ < 0) {
        return false;
    }
    if (!input && !output) {
        return true;
    }
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(fd_, which) == 0;
}

bool SerialLine::drain() {
    if (fd_ < 0) {
        return false;
    }
    while (::tcdrain(fd_) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool SerialLine::readCounters(LineErrors& totals) {
    serial_icounter_struct counts{};
    if (::ioctl(fd_, TIOCGICOUNT, &counts) != 0) {
        if (errno == ENOTTY || errno == EINVAL) {
            countersSupported_ = false;
        }
        return false;
    }
    totals.breaks = static_cast<uint32_t>(counts.brk);
    totals.frames = static_cast<uint32_t>(counts.frame);
    totals.overruns = static_cast<uint32_t>(counts.overrun);
    totals.parity = static_cast<uint32_t>(counts.parity);
    totals.bufferOverruns = static_cast<uint32_t>(counts.buf_overrun);
    return true;
}

LineErrors SerialLine::lineErrors() {
    LineErrors totals;
    if (fd_ < 0 || !countersSupported_ || !readCounters(totals)) {
        return {};
    }
    // The driver's counters are free-running; unsigned subtraction survives their wrap.
    const LineErrors delta{totals.breaks - lastCounts_.breaks, totals.frames - lastCounts_.frames,
                           totals.overruns - lastCounts_.overruns,
                           totals.parity - lastCounts_.parity,
                           totals.bufferOverruns - lastCounts_.bufferOverruns};
    lastCounts_ = totals;
    return delta;
}

} // namespace zeph
