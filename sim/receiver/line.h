#pragma once

// The receiver's end of the line: a new pseudo-terminal, whose slave side the client opens, or
// an existing serial device.

#include "output_queue.h"
#include "receiver_engine.h"

#include "common/serial/serial_line.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zeph::sim {

// Bytes the client leaves unread beyond this are lost, as they would be on a wire with nobody
// listening, so a client that connects late does not get old messages first.
constexpr int kMaxUnreadBytes = 3072;

class SimLine : public WireSink {
public:
    // A new pseudo-terminal set to `format`. Its slave side stays open here, so a client that
    // closes and reopens it causes no hang-up. Null with `error` set on failure.
    static std::unique_ptr<SimLine> openPseudoTerminal(const LineFormat& format,
                                                       std::string& error);
    // An existing device, opened and configured to `format`.
    static std::unique_ptr<SimLine> openDevice(const std::string& path, const LineFormat& format,
                                               std::string& error);
    ~SimLine() override;
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // The path the client opens.
    const std::string& path() const { return path_; }
    // Readable when the client has sent something; writable when there is room.
    int pollFd() const { return fd_; }
    // What the client sent: a count, 0 when nothing is there, -1 on error.
    long read(uint8_t* buffer, size_t max);

    long write(const uint8_t* bytes, size_t count) override;
    // On a pseudo-terminal the client's settings are those of the terminal: read them and
    // compare. A real device cannot tell, so it always agrees.
    bool farEndMatches() override;
    // On a pseudo-terminal only the receiver's own idea of its settings changes (the terminal's
    // belong to the client); a real device is drained and configured.
    void setFormat(const LineFormat& format) override;

    const LineFormat& format() const { return format_; }
    // Bytes dropped because the client did not read them.
    uint64_t unreadDropped() const { return unreadDropped_; }

private:
    SimLine() = default;
    void dropUnread();

    int fd_ = -1;      // the pseudo-terminal's master side, or the device
    int slaveFd_ = -1; // pseudo-terminal only
    std::string path_;
    LineFormat format_;
    std::unique_ptr<SerialLine> device_;
    uint64_t unreadDropped_ = 0;
};

} // namespace zeph::sim
