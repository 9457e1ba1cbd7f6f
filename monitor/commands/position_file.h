#pragma once

// The position file of the receiver initialisation (".pos"): four text lines read in order, X,
// Y and Z (ECEF, metres) and the clock offset (Hz). Each line, up to 99 characters, reads as
// the decimal integer it begins with; a line that begins with none reads as 0.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace zeph::monitor {

constexpr const char* kPositionFileTitle = "Specify a Name for the Position File";
constexpr const char* kPositionFileFilter = "Position Files (*.pos)|*.pos|All Files (*.*)|*.*||";
// A file of fewer than four lines would leave a position half old, half new: nothing is taken.
constexpr const char* kPositionFileShort =
    "The position file %s holds fewer than four lines (X, Y, Z and clock offset).\n"
    "The position was not changed.";
constexpr const char* kPositionFileUnreadable =
    "Cannot read the position file %s.\nThe position was not changed.";

struct Position {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    int32_t clockOffset = 0;
    bool operator==(const Position&) const = default;
};

// The four values, or none when the stream ends before the fourth line.
std::optional<Position> readPosition(std::istream& in);

// A file by its name: the position, or the message that refuses it (unreadable, not a regular
// file, fewer than four lines).
struct PositionFileResult {
    std::optional<Position> position;
    std::string error;
};
PositionFileResult readPositionFile(const std::string& path);

} // namespace zeph::monitor
