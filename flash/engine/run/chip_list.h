#pragma once

// The engine's chip list ("chiplist.txt" in the program folder): one flash chip per line,
//   deviceName manufacturerName deviceId manufacturerId chipSize(layout) phase2File [flag]
// with the sector layout a '+'-separated list of count*size terms. The lookups by ids and the
// sector table built for the bus width once a chip is chosen live here too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::flash {

// Longest name a chip list field may hold; a longer one refuses the file.
inline constexpr size_t kChipNameLimit = 39;
// Longest line the list may hold (line end not counted); a longer one refuses the file.
inline constexpr size_t kChipListLineLimit = 254;

struct SectorGroup {
    uint32_t count = 0;
    uint32_t size = 0; // bytes, for one 16-bit chip
    bool operator==(const SectorGroup&) const = default;
};

struct ChipEntry {
    std::string deviceName;
    std::string manufacturerName;
    uint16_t deviceId = 0;
    uint16_t manufacturerId = 0;
    uint32_t chipSize = 0; // one 16-bit chip
    std::vector<SectorGroup> sectorGroups;
    uint32_t totalSectors = 0;
    bool softLockUnlock = false;
    bool noErrorBits = false;
    std::string phase2File;
};

struct ChipListResult {
    std::vector<ChipEntry> entries; // in file order
    // Empty when the list was accepted; else the 1-based line and why, for -v.
    std::string problem;
    bool ok() const { return problem.empty(); }
};

// Parses the whole text of a chip list; LF and CR LF line ends are both accepted.
ChipListResult ParseChipList(std::string_view text);

// First entry with both ids equal, or nullptr.
const ChipEntry* findChip(const std::vector<ChipEntry>& list, uint16_t manufacturerId,
                          uint16_t deviceId);
// First entry of that manufacturer, or nullptr.
const ChipEntry* findManufacturer(const std::vector<ChipEntry>& list, uint16_t manufacturerId);

struct Sector {
    uint32_t start = 0; // offset from the flash base
    uint32_t size = 0;
    bool operator==(const Sector&) const = default;
};

// The chip's sectors as the target sees them on a bus of `busWidth` bits: on a 32-bit bus two
// 16-bit chips sit side by side, so every sector and the chip are twice as large.
class SectorTable {
public:
    SectorTable(const ChipEntry& chip, int busWidth);

    uint32_t chipSize() const { return chipSize_; }
    const std::vector<Sector>& sectors() const { return sectors_; }
    // The sector holding `offset`, or nullptr when the offset lies outside the chip.
    const Sector* find(uint32_t offset) const;
    uint32_t largestSector() const;

private:
    uint32_t chipSize_ = 0;
    std::vector<Sector> sectors_;
};

} // namespace zeph::flash
