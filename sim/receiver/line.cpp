#include "line.h"

namespace zeph::sim {
namespace {

LineSettings settingsOf(const LineFormat& f) {
    LineSettings s;
    s.baud = static_cast<int>(f.baud);
    s.dataBits = f.dataBits;
    s.parity = f.parity == 1 ? Parity::Odd : f.parity == 2 ? Parity::Even : Parity::None;
    s.stopBits = f.stopBits;
    return s;
}

} // namespace

SimLine::SimLine(std::unique_ptr<simcommon::SimulatorLine> line, const LineFormat& format)
    : line_(std::move(line)), format_(format) {
    line_->limitUnread(kMaxUnreadBytes);
}

std::unique_ptr<SimLine> SimLine::openPseudoTerminal(const LineFormat& format, std::string& error) {
    auto line = simcommon::SimulatorLine::openPseudoTerminal(settingsOf(format), error);
    return line ? std::unique_ptr<SimLine>(new SimLine(std::move(line), format)) : nullptr;
}

std::unique_ptr<SimLine> SimLine::openDevice(const std::string& path, const LineFormat& format,
                                             std::string& error) {
    auto line = simcommon::SimulatorLine::openDevice(path, settingsOf(format), error);
    return line ? std::unique_ptr<SimLine>(new SimLine(std::move(line), format)) : nullptr;
}

bool SimLine::farEndMatches() {
    const std::optional<LineSettings> far = line_->farEndSettings();
    if (!far) {
        return true;
    }
    // A pseudo-terminal keeps the rate and stop bits a client sets but always reports 8 data bits
    // and no parity, so those two cannot be compared.
    return static_cast<uint32_t>(far->baud) == format_.baud && far->stopBits == format_.stopBits;
}

void SimLine::setFormat(const LineFormat& format) {
    format_ = format;
    line_->reconfigure(settingsOf(format));
}

} // namespace zeph::sim
