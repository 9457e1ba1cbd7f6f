#include "dashboard/core/serial_nmea_port.h"

#include "dashboard/core/nmea_text.h"

#include <array>
#include <charconv>
#include <sys/file.h>

namespace zeph::dashboard {

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr int kWriteTimeoutMs = 2000;

std::optional<int> wholeNumber(std::string_view text) {
    const std::string_view t = trimSpaces(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string portSettings(const std::string& speedText) {
    const std::size_t end = speedText.find_last_not_of(' ');
    return speedText.substr(0, end == std::string::npos ? 0 : end + 1) + ",n,8,1";
}

std::optional<LineSettings> parsePortSettings(const std::string& settings) {
    std::string rest = settings;
    const auto speed = takeField(rest);
    const auto parity = takeField(rest);
    const auto dataBits = takeField(rest);
    if (!speed || !parity || !dataBits) {
        return std::nullopt;
    }
    LineSettings line;
    const auto baud = wholeNumber(*speed);
    const auto bits = wholeNumber(*dataBits);
    const auto stop = wholeNumber(rest);
    if (!baud || *baud <= 0 || !bits || *bits < 5 || *bits > 8 || !stop ||
        (*stop != 1 && *stop != 2)) {
        return std::nullopt;
    }
    const std::string_view p = trimSpaces(*parity);
    if (p == "n" || p == "N") {
        line.parity = Parity::None;
    } else if (p == "e" || p == "E") {
        line.parity = Parity::Even;
    } else if (p == "o" || p == "O") {
        line.parity = Parity::Odd;
    } else {
        return std::nullopt;
    }
    line.baud = *baud;
    line.dataBits = *bits;
    line.stopBits = *stop;
    return line;
}

void SerialNmeaPort::setPort(int comNumber) {
    name_ = "COM" + std::to_string(comNumber);
}

void SerialNmeaPort::open() {
    close();
    const std::optional<LineSettings> settings = parsePortSettings(settings_);
    if (!settings) {
        lastError_ = "Bad port settings \"" + settings_ + "\"";
        return;
    }
    const SerialStatus opened = line_.open(resolvePortName(name_, env_));
    if (!opened) {
        lastError_ = opened.message;
        return;
    }
    // The driver's exclusive mode does not stop a privileged user; the lock does.
    if (::flock(line_.nativeHandle(), LOCK_EX | LOCK_NB) != 0) {
        lastError_ = "The port is in use";
        line_.close();
        return;
    }
    const SerialStatus configured = line_.configure(*settings);
    if (!configured) {
        lastError_ = configured.message;
        line_.close();
        return;
    }
    lastError_.clear();
}

void SerialNmeaPort::close() {
    line_.close();
}

std::string SerialNmeaPort::readAll() {
    std::string text;
    if (!line_.isOpen()) {
        return text;
    }
    std::array<char, kReadChunk> chunk{};
    for (;;) {
        const long n = line_.read(chunk.data(), chunk.size(), 0);
        if (n <= 0) {
            break;
        }
        text.append(chunk.data(), static_cast<std::size_t>(n));
    }
    return text;
}

void SerialNmeaPort::write(const std::string& text) {
    if (line_.isOpen()) {
        line_.write(text.data(), text.size(), kWriteTimeoutMs);
        line_.drain();
    }
}

} // namespace zeph::dashboard
