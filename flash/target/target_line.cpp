#include "target_line.h"

#include <cerrno>
#include <sys/ioctl.h>

namespace zeph::flashsim {
namespace {

LineSettings settingsAt(unsigned baud) {
    LineSettings s;
    s.baud = static_cast<int>(baud);
    return s;
}

} // namespace

std::unique_ptr<TargetLine> TargetLine::openPseudoTerminal(unsigned baud, std::string& error) {
    auto line = simcommon::SimulatorLine::openPseudoTerminal(settingsAt(baud), error);
    return line ? std::unique_ptr<TargetLine>(new TargetLine(std::move(line))) : nullptr;
}

std::unique_ptr<TargetLine> TargetLine::openDevice(const std::string& path, unsigned baud,
                                                   std::string& error) {
    auto line = simcommon::SimulatorLine::openDevice(path, settingsAt(baud), error);
    return line ? std::unique_ptr<TargetLine>(new TargetLine(std::move(line))) : nullptr;
}

long TargetLine::read(uint8_t* buffer, size_t max) {
    const long n = line_->read(buffer, max);
    if (n < 0 && errno == EIO) {
        return 0; // a pseudo-terminal between two openings by the host
    }
    return n;
}

long TargetLine::waiting() const {
    int count = 0;
    return ::ioctl(line_->pollFd(), FIONREAD, &count) == 0 ? count : -1;
}

bool TargetLine::hostRateIs(unsigned baud) const {
    const std::optional<unsigned> rate = line_->farEndRate();
    return !rate || *rate == baud;
}

void TargetLine::setRate(unsigned baud) {
    line_->reconfigure(settingsAt(baud));
}

} // namespace zeph::flashsim
