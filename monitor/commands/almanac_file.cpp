#include "almanac_file.h"

#include <cstdlib>
#include <string>

namespace zeph::monitor {
namespace {

constexpr int kHeaderLines = 5;
// Far longer than any line of these files; a longer one (a device of endless bytes named by
// mistake) is a format error, not a line to hold in memory.
constexpr size_t kMaxLineBytes = 4096;

bool readLine(std::istream& in, std::string& line) {
    line.clear();
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        if (c == '\n') {
            return true;
        }
        if (line.size() == kMaxLineBytes) {
            return false;
        }
        line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

bool skipHeader(std::istream& in) {
    std::string line;
    for (int i = 0; i < kHeaderLines; ++i) {
        if (!readLine(in, line)) {
            return false;
        }
    }
    return true;
}

// The first `count` values of a line as decimal integers (text that is no number reads as 0);
// none when the line has fewer.
template <size_t N> std::optional<std::array<uint16_t, N>> lineValues(const std::string& line) {
    std::array<uint16_t, N> values{};
    size_t found = 0;
    size_t at = 0;
    while (found < N) {
        at = line.find_first_not_of(" \t,\r", at);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        const size_t end = line.find_first_of(" \t,\r", at);
        const std::string token = line.substr(at, end - at);
        values[found++] = static_cast<uint16_t>(std::strtol(token.c_str(), nullptr, 10));
        at = end;
    }
    return values;
}

} // namespace

std::optional<std::array<uint16_t, 448>> loadAlmanacFile(std::istream& in) {
    if (!skipHeader(in)) {
        return std::nullopt;
    }
    std::array<uint16_t, 448> words{};
    std::string line;
    for (int sv = 0; sv < kFileSatellites; ++sv) {
        if (!readLine(in, line)) {
            return std::nullopt;
        }
        const auto values = lineValues<kAlmanacFileWords>(line);
        if (!values) {
            return std::nullopt;
        }
        std::copy(values->begin(), values->end(), words.begin() + sv * kAlmanacFileWords);
    }
    return words;
}

EphemerisFile loadEphemerisFile(std::istream& in) {
    EphemerisFile file;
    if (!skipHeader(in)) {
        file.formatError = true;
        return file;
    }
    std::string line;
    for (int n = 0; n < kFileSatellites; ++n) {
        if (!readLine(in, line)) {
            file.formatError = true;
            return file;
        }
        const auto values = lineValues<kEphemerisFileWords>(line);
        if (!values) {
            file.formatError = true;
            return file;
        }
        if ((*values)[0] >= 1 && (*values)[0] <= 32) {
            file.satellites.push_back(*values);
        }
    }
    return file;
}

} // namespace zeph::monitor
