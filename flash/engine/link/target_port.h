#pragma once

// The narrow port the target link talks to. The link never sees a file descriptor: the real
// port sits on a serial line, tests use a scripted fake.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace zeph::flash {

// Read time-outs of the link: a read ends when no byte has come for the interval time since the
// previous one, or when its total time (per requested byte plus a constant) is over.
constexpr int kReadIntervalTimeoutMs = 2000;
constexpr int kReadTotalTimeoutPerByteMs = 4;
constexpr int kReadTotalTimeoutConstantMs = 2000;

constexpr long readTotalTimeoutMs(std::size_t count) {
    return static_cast<long>(count) * kReadTotalTimeoutPerByteMs + kReadTotalTimeoutConstantMs;
}

class TargetPort {
public:
    virtual ~TargetPort() = default;

    // Opens a "COMn" name or a device path at `baud`, 8N1, no flow control, DTR and RTS
    // asserted. An open port is closed first.
    virtual bool open(const std::string& name, int baud) = 0;
    // Puts back the line settings found at open and closes; nothing when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Reads up to `count` bytes within the link's read time-outs. Returns the count, short or 0
    // on time-out, or -1 on error (errorCode() then tells the cause).
    virtual long read(uint8_t* buffer, std::size_t count) = 0;
    // Writes `count` bytes. Returns the count written, or -1 on error.
    virtual long write(const uint8_t* buffer, std::size_t count) = 0;
    // Cause of the last failed call, 0 if none.
    virtual int errorCode() const = 0;
    // Why the last open failed, in the system's words ("/dev/ttyS9: No such file or
    // directory"); empty after an open that succeeded.
    virtual std::string openError() const { return {}; }
    // Discards what waits in both directions: bytes a run before this one left behind.
    virtual void purge() {}

    // Asked while a read waits for bytes: true ends the wait, the read failing with EINTR, so
    // that a stopped run does not sit out the read time-outs.
    void setStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }

protected:
    bool stopRequested() const { return stopCheck_ && stopCheck_(); }

private:
    std::function<bool()> stopCheck_;
};

} // namespace zeph::flash
