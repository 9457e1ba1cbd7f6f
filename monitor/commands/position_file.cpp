#include "position_file.h"

#include "common/text/strprintf.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

namespace zeph::monitor {
namespace {

constexpr size_t kLineChars = 99;

// The leading decimal integer of a line, held to the 32 bits of its field.
int32_t lineValue(const std::string& line) {
    const long long v = std::strtoll(line.c_str(), nullptr, 10);
    if (v < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    if (v > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(v);
}

// Reads one line, keeping its first 99 characters: a file without line ends is read through
// without being held in memory.
bool readLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (c == '\n') {
            return true;
        }
        if (line.size() < kLineChars) {
            line += static_cast<char>(c);
        }
    }
    return any;
}

} // namespace

std::optional<Position> readPosition(std::istream& in) {
    std::array<int32_t, 4> values{};
    for (int32_t& v : values) {
        std::string line;
        if (!readLine(in, line)) {
            return std::nullopt;
        }
        v = lineValue(line);
    }
    return Position{values[0], values[1], values[2], values[3]};
}

PositionFileResult readPositionFile(const std::string& path) {
    PositionFileResult result;
    std::error_code ec;
    // A FIFO or a device would hold the reader; a folder has no lines.
    if (!std::filesystem::is_regular_file(path, ec)) {
        result.error = strprintf(kPositionFileUnreadable, path.c_str());
        return result;
    }
    std::ifstream in(path);
    if (!in) {
        result.error = strprintf(kPositionFileUnreadable, path.c_str());
        return result;
    }
    result.position = readPosition(in);
    if (!result.position) {
        result.error = strprintf(kPositionFileShort, path.c_str());
    }
    return result;
}

} // namespace zeph::monitor
