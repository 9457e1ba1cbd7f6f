#pragma once

// The almanac and ephemeris text files read back for Set Almanac and Set Ephemeris: five
// header lines skipped whatever they hold, then one satellite a line, values separated by
// blanks and/or commas.

#include <array>
#include <cstdint>
#include <istream>
#include <optional>
#include <vector>

namespace zeph::monitor {

constexpr int kAlmanacFileWords = 14;
constexpr int kEphemerisFileWords = 45;
constexpr int kFileSatellites = 32;

constexpr const char* kAlmanacFormatError = "Almanac Data File Format Error\nSet Almanac Aborted";
constexpr const char* kEphemerisFormatError =
    "Ephemeris Data File Format Error\nSet Ephemeris Aborted";

// The 448 words of MID 130, or none on a format error (a header or data line missing, a line
// with fewer than 14 values).
std::optional<std::array<uint16_t, 448>> loadAlmanacFile(std::istream& in);

// One MID 149 record for each of up to 32 lines whose first value (the satellite) is 1 to 32,
// in file order; `formatError` when a line has fewer than 45 values (reading stops there) or
// the file ends before 32 lines. The records read before an error are kept: the monitor has
// sent them by then.
struct EphemerisFile {
    std::vector<std::array<uint16_t, 45>> satellites;
    bool formatError = false;
};
EphemerisFile loadEphemerisFile(std::istream& in);

} // namespace zeph::monitor
