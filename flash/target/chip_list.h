#pragma once

// The chip list the target reads to know which flash chips it plays: one chip per line,
// "device manufacturer deviceId manufacturerId size(count*size+...) phase2File [flag]".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::flashsim {

struct SectorGroup {
    uint32_t count = 0;
    uint32_t size = 0; // bytes, one 16-bit chip
};

struct ChipEntry {
    std::string deviceName;
    std::string manufacturerName;
    uint16_t deviceId = 0;
    uint16_t manufacturerId = 0;
    uint32_t chipSize = 0;
    std::vector<SectorGroup> sectorGroups;
    bool softLockUnlock = false;
    bool noErrorBits = false;
    std::string phase2File;
};

struct ChipListResult {
    std::vector<ChipEntry> chips;
    std::string error; // empty on success, else "line N: what is wrong"
};

// The names of the list are limited to this many characters.
constexpr size_t kMaxChipName = 39;

ChipListResult parseChipList(const std::string& text);
ChipListResult readChipList(const std::string& path);

const ChipEntry* findChip(const std::vector<ChipEntry>& chips, const std::string& deviceName);

} // namespace zeph::flashsim
