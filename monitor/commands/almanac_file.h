#pragma once

// The almanac and ephemeris text files: written when a polled collection is complete (five
// comment lines with the collection time, then one satellite a line), read back for Set
// Almanac and Set Ephemeris (the five header lines skipped whatever they hold, values separated
// by blanks and/or commas).

#include "monitor/messages/program_state.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace zeph::monitor {

constexpr int kAlmanacFileWords = 14;
constexpr int kEphemerisFileWords = 45;
constexpr int kFileSatellites = 32;

constexpr const char* kAlmanacFormatError = "Almanac Data File Format Error\nSet Almanac Aborted";
constexpr const char* kEphemerisFormatError =
    "Ephemeris Data File Format Error\nSet Ephemeris Aborted";

// The saved files' text: "//", the collection time line (UTC, in asctime's form), three more
// "//" lines, then the 32 entries from SVID 1, words separated by ", " (almanac words signed,
// ephemeris words unsigned).
std::string almanacFileText(const AlmanacTable& table, std::time_t collectedUtc);
std::string ephemerisFileText(const EphemerisTable& table, std::time_t collectedUtc);

// "Fri Sep  6 00:00:00 2002\n": asctime's form in English whatever the locale.
std::string asctimeText(std::time_t utc);

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
