#include "flash/engine/link/serial_target_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

namespace zeph::flash {

SerialTargetPort::SerialTargetPort(PortEnvironment env) : env_(std::move(env)) {}

SerialTargetPort::~SerialTargetPort() {
    close();
}

bool SerialTargetPort::open(const std::string& name, int baud) {
    close();
    openError_.clear();
    SerialStatus status = line_.open(resolvePortName(name, env_));
    if (status) {
        LineSettings settings;
        settings.baud = baud;
        settings.dataBits = 8;
        settings.parity = Parity::None;
        settings.stopBits = 1;
        settings.xonXoff = false;
        settings.rtsCts = false;
        status = line_.configure(settings);
        if (!status) {
            line_.close();
        }
    }
    if (!status) {
        errorCode_ = errno;
        openError_ = status.message;
        return false;
    }
    // Lines without modem control (pseudo-terminals) refuse these; that is no failure.
    line_.setDtr(true);
    line_.setRts(true);
    errorCode_ = 0;
    return true;
}

void SerialTargetPort::close() {
    line_.close();
}

long SerialTargetPort::read(uint8_t* buffer, std::size_t count) {
    using std::chrono::milliseconds;
    using std::chrono::steady_clock;
    if (count == 0) {
        return 0;
    }
    const auto deadline = steady_clock::now() + milliseconds(readTotalTimeoutMs(count));
    std::size_t got = 0;
    while (got < count) {
        const long left = static_cast<long>(
            std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now()).count());
        if (left <= 0) {
            break;
        }
        // The interval time-out only runs once the first byte is in.
        const long wait = got == 0 ? left : std::min<long>(left, kReadIntervalTimeoutMs);
        const long n = line_.read(buffer + got, count - got, static_cast<int>(wait));
        if (n < 0) {
            errorCode_ = errno;
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long>(got);
}

long SerialTargetPort::write(const uint8_t* buffer, std::size_t count) {
    const long n = line_.write(buffer, count);
    if (n < 0) {
        errorCode_ = errno;
    }
    return n;
}

} // namespace zeph::flash
