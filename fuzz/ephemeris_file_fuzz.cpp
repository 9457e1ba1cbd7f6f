// Ephemeris files read back for Set Ephemeris: every record read names a satellite 1 to 32, at
// most 32 are read, and a whole file written out by the monitor reads back the same records.

#include "fuzz_files.h"

#include "monitor/commands/almanac_file.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::monitor;
    using zeph::fuzz::check;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const EphemerisFile file = loadEphemerisFile(in);
    check(file.satellites.size() <= kFileSatellites, "at most 32 satellites are read");
    for (const auto& record : file.satellites) {
        check(record[0] >= 1 && record[0] <= 32, "every record names a satellite 1 to 32");
    }
    if (file.satellites.empty()) {
        return 0;
    }
    // The records read, repeated to a full table, as the monitor saves a collection.
    EphemerisTable table{};
    for (size_t sv = 0; sv < table.size(); ++sv) {
        const auto& record = file.satellites[sv % file.satellites.size()];
        std::copy(record.begin(), record.end(), table[sv].begin());
    }
    std::istringstream saved(ephemerisFileText(table, 1031270400));
    const EphemerisFile back = loadEphemerisFile(saved);
    check(!back.formatError && back.satellites.size() == table.size(),
          "a saved ephemeris reads whole");
    for (size_t sv = 0; sv < table.size(); ++sv) {
        check(std::equal(table[sv].begin(), table[sv].end(), back.satellites[sv].begin()),
              "a saved ephemeris reads back the same");
    }
    return 0;
}
