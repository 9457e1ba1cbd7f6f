#include "flash/engine/link/serial_target_port.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string_view>
#include <utility>

namespace zeph::flash {

namespace {
// How often a waiting read looks whether the run was asked to stop.
constexpr long kStopCheckIntervalMs = 100;
} // namespace

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
        // The caller has its own "Cannot open" message; the device and the reason are kept.
        constexpr std::string_view kLead = "Cannot open ";
        openError_ = status.message.starts_with(kLead) ? status.message.substr(kLead.size())
                                                       : status.message;
        return false;
    }
    // Lines without modem control (pseudo-terminals) refuse these; that is no failure.
    line_.setDtr(true);
    line_.setRts(true);
    // A run that was killed can leave a reply on the line; it would be taken for the answer to
    // this run's first command.
    line_.purge(true, true);
    errorCode_ = 0;
    return true;
}

void SerialTargetPort::purge() {
    line_.purge(true, true);
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
    const auto msUntil = [](steady_clock::time_point t) {
        return static_cast<long>(
            std::chrono::duration_cast<milliseconds>(t - steady_clock::now()).count());
    };
    const auto deadline = steady_clock::now() + milliseconds(readTotalTimeoutMs(count));
    steady_clock::time_point intervalEnd{};
    std::size_t got = 0;
    while (got < count) {
        if (stopRequested()) {
            errorCode_ = EINTR;
            return -1;
        }
        long left = msUntil(deadline);
        // The interval time-out only runs once the first byte is in.
        if (got > 0) {
            left = std::min(left, msUntil(intervalEnd));
        }
        if (left <= 0) {
            break;
        }
        const long n = line_.read(buffer + got, count - got,
                                  static_cast<int>(std::min(left, kStopCheckIntervalMs)));
        if (n < 0) {
            errorCode_ = errno;
            return -1;
        }
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            intervalEnd = steady_clock::now() + milliseconds(kReadIntervalTimeoutMs);
        }
    }
    return static_cast<long>(got);
}

long SerialTargetPort::write(const uint8_t* buffer, std::size_t count) {
    // A line that takes nothing (a target that stopped reading) would hold the write for ever;
    // it waits in slices so that a stop still ends it.
    std::size_t done = 0;
    while (done < count) {
        if (stopRequested()) {
            errorCode_ = EINTR;
            return -1;
        }
        const long n = line_.write(buffer + done, count - done, kStopCheckIntervalMs);
        if (n < 0) {
            errorCode_ = errno;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
}

} // namespace zeph::flash
