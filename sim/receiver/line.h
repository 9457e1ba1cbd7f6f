#pragma once

// The receiver's end of the line: a new pseudo-terminal, whose slave side the client opens, or
// an existing serial device.

#include "output_queue.h"
#include "receiver_engine.h"

#include "sim/common/sim_line.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

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

    // The path the client opens.
    const std::string& path() const { return line_->path(); }
    // Readable when the client has sent something; writable when there is room.
    int pollFd() const { return line_->pollFd(); }
    // What the client sent: a count, 0 when nothing is there, -1 on error.
    long read(uint8_t* buffer, size_t max) { return line_->read(buffer, max); }

    long write(const uint8_t* bytes, size_t count) override { return line_->write(bytes, count); }
    // On a pseudo-terminal the client's settings are those of the terminal: compare its rate and
    // stop bits (a pseudo-terminal shows no data bits or parity). A real device cannot tell, so
    // it always agrees.
    bool farEndMatches() override;
    // On a pseudo-terminal only the receiver's own idea of its settings changes (the terminal's
    // belong to the client); a real device is drained and configured.
    void setFormat(const LineFormat& format) override;

    const LineFormat& format() const { return format_; }
    // Bytes dropped because the client did not read them.
    uint64_t unreadDropped() const { return line_->unreadDropped(); }
    // Bytes written that the client has not read yet (0 on a real device).
    int unread() const { return line_->unread(); }

private:
    SimLine(std::unique_ptr<simcommon::SimulatorLine> line, const LineFormat& format);

    std::unique_ptr<simcommon::SimulatorLine> line_;
    LineFormat format_;
};

} // namespace zeph::sim
