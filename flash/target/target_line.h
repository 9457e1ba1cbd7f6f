#pragma once

// The target's end of the line: a new pseudo-terminal whose slave side the host opens, or an
// existing serial device.

#include "sim/common/sim_line.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace zeph::flashsim {

class TargetLine {
public:
    // A new pseudo-terminal, raw at `baud`. Its slave side stays open here, so a host that
    // closes and reopens it causes no hang-up. Null with `error` set on failure.
    static std::unique_ptr<TargetLine> openPseudoTerminal(unsigned baud, std::string& error);
    static std::unique_ptr<TargetLine> openDevice(const std::string& path, unsigned baud,
                                                  std::string& error);

    const std::string& path() const { return line_->path(); }
    int pollFd() const { return line_->pollFd(); }
    // A count, 0 when nothing is there, -1 on error.
    long read(uint8_t* buffer, size_t max);
    // Bytes from the host waiting to be read, -1 on error.
    long waiting() const;
    // A count (0 when there is no room), -1 on error.
    long write(const uint8_t* bytes, size_t count) { return line_->write(bytes, count); }
    // On a pseudo-terminal the rate is the host's setting: false when it differs from
    // `baud`. A real device always agrees.
    bool hostRateIs(unsigned baud) const;
    // A real device is drained and set to the new rate; a pseudo-terminal's rate is the
    // host's to set.
    void setRate(unsigned baud);

private:
    explicit TargetLine(std::unique_ptr<simcommon::SimulatorLine> line) : line_(std::move(line)) {}

    std::unique_ptr<simcommon::SimulatorLine> line_;
};

} // namespace zeph::flashsim
