// The chip list as the engine reads it: an accepted list holds only entries whose sector
// layout adds up to the chip, and the sector table of each, on both bus widths, covers the
// chip without gaps. The simulated target's own reader of the same file is run alongside.

#include "fuzz_files.h"

#include "flash/engine/run/chip_list.h"
#include "flash/target/chip_list.h"

#include <string>
#include <string_view>

namespace {

using zeph::fuzz::check;
using namespace zeph::flash;

// A sector table is built only for a chip the target reports; a list may name chips of any
// layout, so the table is checked where it stays of a size a run could hold.
constexpr uint64_t kLargestCheckedTable = 1 << 16;

void checkTable(const ChipEntry& chip, int busWidth) {
    const SectorTable table(chip, busWidth);
    const uint32_t factor = busWidth == 32 ? 2 : 1;
    check(table.chipSize() == chip.chipSize * factor, "the table is as large as the chip");
    check(table.sectors().size() == chip.totalSectors, "the table has every sector");
    uint64_t next = 0;
    for (const Sector& s : table.sectors()) {
        check(s.start == next && s.size > 0, "sectors follow each other without gaps");
        check(table.find(s.start) == &s && table.find(s.start + s.size - 1) == &s,
              "each sector is found by its first and last offsets");
        next += s.size;
    }
    check(next == table.chipSize(), "the sectors cover the chip");
    check(table.find(table.chipSize()) == nullptr, "no sector lies past the chip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ChipListResult list = ParseChipList(text);
    check(list.ok() || list.entries.empty(), "a refused list gives no chips");
    for (const ChipEntry& chip : list.entries) {
        check(chip.deviceName.size() <= kChipNameLimit &&
                  chip.manufacturerName.size() <= kChipNameLimit &&
                  chip.phase2File.size() <= kChipNameLimit,
              "names fit their limit");
        check(!chip.phase2File.empty() && !chip.deviceName.empty(), "fields are not empty");
        uint64_t bytes = 0;
        uint64_t count = 0;
        for (const SectorGroup& g : chip.sectorGroups) {
            check(g.size > 0, "no sector is empty");
            bytes += uint64_t{g.count} * g.size;
            count += g.count;
        }
        check(bytes == chip.chipSize && count == chip.totalSectors,
              "the layout adds up to the chip");
        check(findChip(list.entries, chip.manufacturerId, chip.deviceId) != nullptr &&
                  findManufacturer(list.entries, chip.manufacturerId) != nullptr,
              "every chip can be found by its ids");
        if (chip.totalSectors <= kLargestCheckedTable) {
            checkTable(chip, 16);
            checkTable(chip, 32);
        }
    }

    const zeph::flashsim::ChipListResult played = zeph::flashsim::parseChipList(std::string(text));
    check(played.error.empty() || played.chips.empty(), "a refused list plays no chips");
    for (const auto& chip : played.chips) {
        check(zeph::flashsim::findChip(played.chips, chip.deviceName) != nullptr,
              "every played chip can be found by its name");
    }
    return 0;
}
