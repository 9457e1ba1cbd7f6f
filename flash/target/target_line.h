#pragma once

// The target's end of the line: a new pseudo-terminal whose slave side the host opens, or an
// existing serial device.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zeph {
class SerialLine;
}

namespace zeph::flashsim {

class TargetLine {
public:
    // A new pseudo-terminal, raw at `baud`. Its slave side stays open here, so a host that
    // closes and reopens it causes no hang-up. Null with `error` set on failure.
    static std::unique_ptr<TargetLine> openPseudoTerminal(unsigned baud, std::string& error);
    static std::unique_ptr<TargetLine> openDevice(const std::string& path, unsigned baud,
                                                  std::string& error);
    ~TargetLine();
    TargetLine(const TargetLine&) = delete;
    TargetLine& operator=(const TargetLine&) = delete;

    const std::string& path() const { return path_; }
    int pollFd() const { return fd_; }
    // A count, 0 when nothing is there, -1 on error.
    long read(uint8_t* buffer, size_t max);
    // A count (0 when there is no room), -1 on error.
    long write(const uint8_t* bytes, size_t count);
    // On a pseudo-terminal the rate is the host's setting: false when it differs from
    // `baud`. A real device always agrees.
    bool hostRateIs(unsigned baud) const;
    // A real device is drained and set to the new rate; a pseudo-terminal's rate is the
    // host's to set.
    void setRate(unsigned baud);

private:
    TargetLine() = default;

    int fd_ = -1;      // the pseudo-terminal's master side, or the device
    int slaveFd_ = -1; // pseudo-terminal only
    std::string path_;
    std::unique_ptr<SerialLine> device_;
};

} // namespace zeph::flashsim
