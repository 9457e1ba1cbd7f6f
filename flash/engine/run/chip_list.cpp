#include "flash/engine/run/chip_list.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace zeph::flash {

namespace {

constexpr char kSoftLockUnlock[] = "SOFT_LOCK_UNLOCK";
constexpr char kNoErrorBits[] = "NO_ERROR_BITS";
// A flash sits at most this far into its chip-select range, so no chip can be larger; the
// limit also keeps the doubled size of a 32-bit bus within 32 bits.
constexpr uint64_t kChipSizeLimit = 0x10000000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

// A C integer literal (decimal, 0x hex, leading-0 octal) that is the whole text.
std::optional<uint64_t> number(std::string_view text, uint64_t limit) {
    if (text.empty() || text.front() == '-' || text.front() == '+') {
        return std::nullopt;
    }
    const std::string s(text);
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (errno != 0 || end != s.c_str() + s.size() || v > limit) {
        return std::nullopt;
    }
    return v;
}

// "2097152(1*16384+2*8192+...)": the size and the groups, whose bytes must add up to it.
bool parseSizeAndLayout(std::string_view text, ChipEntry& entry, std::string& why) {
    const size_t open = text.find('(');
    const size_t close = text.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
        close + 1 != text.size()) {
        why = "chip size and sector layout not of the form size(count*size+...)";
        return false;
    }
    const auto size = number(text.substr(0, open), kChipSizeLimit);
    if (!size) {
        why = "bad chip size";
        return false;
    }
    entry.chipSize = static_cast<uint32_t>(*size);
    std::string_view layout = text.substr(open + 1, close - open - 1);
    uint64_t total = 0;
    uint64_t sectors = 0;
    while (true) {
        const size_t plus = layout.find('+');
        const std::string_view term = layout.substr(0, plus);
        const size_t star = term.find('*');
        if (star == std::string_view::npos) {
            why = "sector layout term without count*size";
            return false;
        }
        const auto count = number(term.substr(0, star), UINT32_MAX);
        const auto bytes = number(term.substr(star + 1), UINT32_MAX);
        if (!count || !bytes || *bytes == 0) {
            why = "bad sector count or size";
            return false;
        }
        entry.sectorGroups.push_back(
            {static_cast<uint32_t>(*count), static_cast<uint32_t>(*bytes)});
        total += *count * *bytes;
        sectors += *count;
        if (total > UINT32_MAX) {
            break;
        }
        if (plus == std::string_view::npos) {
            break;
        }
        layout.remove_prefix(plus + 1);
    }
    if (total != entry.chipSize || sectors > UINT32_MAX) {
        why = "sector layout does not add up to the chip size";
        return false;
    }
    entry.totalSectors = static_cast<uint32_t>(sectors);
    return true;
}

bool name(std::string_view text, std::string& out, std::string& why) {
    if (text.size() > kChipNameLimit) {
        why = strprintf("name longer than %zu characters", kChipNameLimit);
        return false;
    }
    out.assign(text);
    return true;
}

// One non-comment line; false with the reason when it refuses the file.
bool parseLine(const std::vector<std::string_view>& t, ChipEntry& entry, std::string& why) {
    if (t.size() < 6) {
        why = "missing field";
        return false;
    }
    const auto device = number(t[2], 0xFFFF);
    const auto maker = number(t[3], 0xFFFF);
    if (!device || !maker) {
        why = "bad device or manufacturer id";
        return false;
    }
    entry.deviceId = static_cast<uint16_t>(*device);
    entry.manufacturerId = static_cast<uint16_t>(*maker);
    if (!name(t[0], entry.deviceName, why) || !name(t[1], entry.manufacturerName, why) ||
        !parseSizeAndLayout(t[4], entry, why) || !name(t[5], entry.phase2File, why)) {
        return false;
    }
    if (t.size() > 6) {
        // One flag token is read; anything after it is left alone.
        if (t[6].find(kSoftLockUnlock) != std::string_view::npos) {
            entry.softLockUnlock = true;
        } else if (t[6].find(kNoErrorBits) != std::string_view::npos) {
            entry.noErrorBits = true;
        } else {
            why = "unknown flag";
            return false;
        }
    }
    return true;
}

} // namespace

ChipListResult ParseChipList(std::string_view text) {
    ChipListResult result;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() > kChipListLineLimit) {
            result.problem = strprintf("chiplist line %d: longer than %zu characters", lineNumber,
                                       kChipListLineLimit);
            break;
        }
        const auto t = tokens(line);
        if (t.empty() || t.front().front() == ';') {
            continue;
        }
        ChipEntry entry;
        std::string why;
        if (!parseLine(t, entry, why)) {
            result.problem = strprintf("chiplist line %d: %s", lineNumber, why.c_str());
            break;
        }
        result.entries.push_back(std::move(entry));
    }
    if (!result.ok()) {
        result.entries.clear();
    }
    return result;
}

const ChipEntry* findChip(const std::vector<ChipEntry>& list, uint16_t manufacturerId,
                          uint16_t deviceId) {
    for (const ChipEntry& e : list) {
        if (e.manufacturerId == manufacturerId && e.deviceId == deviceId) {
            return &e;
        }
    }
    return nullptr;
}

const ChipEntry* findManufacturer(const std::vector<ChipEntry>& list, uint16_t manufacturerId) {
    for (const ChipEntry& e : list) {
        if (e.manufacturerId == manufacturerId) {
            return &e;
        }
    }
    return nullptr;
}

SectorTable::SectorTable(const ChipEntry& chip, int busWidth) {
    const uint32_t factor = busWidth == 32 ? 2 : 1;
    chipSize_ = chip.chipSize * factor;
    uint32_t start = 0;
    for (const SectorGroup& group : chip.sectorGroups) {
        for (uint32_t i = 0; i < group.count; ++i) {
            sectors_.push_back({start, group.size * factor});
            start += group.size * factor;
        }
    }
}

const Sector* SectorTable::find(uint32_t offset) const {
    // Sectors run up from 0 without gaps: the last one starting at or below the offset.
    auto it = std::upper_bound(sectors_.begin(), sectors_.end(), offset,
                               [](uint32_t o, const Sector& s) { return o < s.start; });
    if (it == sectors_.begin()) {
        return nullptr;
    }
    --it;
    return offset - it->start < it->size ? &*it : nullptr;
}

uint32_t SectorTable::largestSector() const {
    uint32_t largest = 0;
    for (const Sector& s : sectors_) {
        largest = std::max(largest, s.size);
    }
    return largest;
}

} // namespace zeph::flash
