#pragma once

// A simulator's end of a serial line: a new pseudo-terminal, whose slave side the client opens,
// or an existing serial device.

#include "common/serial/serial_line.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zeph::simcommon {

class SimulatorLine {
public:
    // A new pseudo-terminal, raw with `settings`. Its slave side stays open here, so a client
    // that closes and reopens it causes no hang-up. Null with `error` set on failure.
    static std::unique_ptr<SimulatorLine> openPseudoTerminal(const LineSettings& settings,
                                                             std::string& error);
    // An existing device, opened and configured to `settings`.
    static std::unique_ptr<SimulatorLine>
    openDevice(const std::string& path, const LineSettings& settings, std::string& error);
    ~SimulatorLine();
    SimulatorLine(const SimulatorLine&) = delete;
    SimulatorLine& operator=(const SimulatorLine&) = delete;

    // The path the client opens.
    const std::string& path() const { return path_; }
    // Readable when the client has sent something; writable when there is room.
    int pollFd() const { return fd_; }

    // What the client sent: a count, 0 when nothing is there, -1 on error (errno tells why).
    long read(uint8_t* buffer, size_t max);
    // What fits now: a count, 0 when there is no room, -1 on error.
    long write(const uint8_t* bytes, size_t count);

    // From here on, on a pseudo-terminal, bytes the client leaves unread beyond `maxBytes` are
    // lost before each write, and when the terminal is full the oldest are lost and the write
    // tried once more, as on a wire with nobody listening. Without this nothing is lost and a
    // full line takes nothing.
    void limitUnread(int maxBytes) { maxUnread_ = maxBytes; }
    // Bytes lost because the client did not read them.
    uint64_t unreadDropped() const { return unreadDropped_; }
    // Bytes written that the client has not read yet; 0 on a real device, whose far end cannot
    // be seen.
    int unread() const;

    // On a pseudo-terminal the client's settings are those of the terminal: its framing and
    // rate. None on a real device, whose far end cannot be seen, or when they cannot be read.
    std::optional<LineSettings> farEndSettings() const;
    // The rate alone, read the same way.
    std::optional<unsigned> farEndRate() const;
    // A real device is drained and configured; a pseudo-terminal's settings are the client's.
    void reconfigure(const LineSettings& settings);

private:
    SimulatorLine() = default;
    void trimUnread();
    void flushUnread();

    int fd_ = -1;      // the pseudo-terminal's master side, or the device
    int slaveFd_ = -1; // pseudo-terminal only
    std::string path_;
    std::unique_ptr<SerialLine> device_;
    std::optional<int> maxUnread_;
    uint64_t unreadDropped_ = 0;
};

} // namespace zeph::simcommon
