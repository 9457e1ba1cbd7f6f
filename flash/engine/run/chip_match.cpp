#include "flash/engine/run/chip_match.h"

#include "common/text/strprintf.h"

namespace zeph::flash {

namespace {

bool notPresent(const FlashId& id) {
    return (id.manufacturer & 0xFFu) == 0xFFu && id.device == 0xFFFFu;
}

bool ramMemory(const FlashId& id) {
    return (id.manufacturer & 0xFFu) == 0 && id.device == 0;
}

// One chip's line of the incompatible-chips report, and the error number of its case.
std::pair<int, std::string> incompatibleLine(const std::vector<ChipEntry>& list, const FlashId& id,
                                             int chipNumber) {
    if (const ChipEntry* e = findChip(list, id.manufacturer, id.device)) {
        return {14, strprintf(kChipListedFormat, chipNumber, e->manufacturerName.c_str(),
                              e->deviceName.c_str())};
    }
    if (const ChipEntry* e = findManufacturer(list, id.manufacturer)) {
        return {15, strprintf(kChipMakerListedFormat, chipNumber, e->manufacturerName.c_str(),
                              static_cast<unsigned>(id.device))};
    }
    if (notPresent(id)) {
        return {16, strprintf(kChipNotPresentFormat, chipNumber)};
    }
    if (ramMemory(id)) {
        return {16, strprintf(kChipRamFormat, chipNumber)};
    }
    // The first chip's line shows only the manufacturer id's low byte, the second its 16 bits.
    const unsigned maker = chipNumber == 1 ? (id.manufacturer & 0xFFu) : id.manufacturer;
    return {16, strprintf(kChipUnknownFormat, chipNumber, maker, static_cast<unsigned>(id.device))};
}

} // namespace

std::variant<ChipMatch, FatalError> MatchChips(const std::vector<ChipEntry>& list,
                                               const std::vector<FlashId>& ids) {
    const FlashId first = ids.empty() ? FlashId{} : ids[0];
    const int count = ids.size() >= 2 ? 2 : static_cast<int>(ids.size());
    if (count == 2 && !(ids[0] == ids[1])) {
        const auto chip1 = incompatibleLine(list, ids[0], 1);
        const auto chip2 = incompatibleLine(list, ids[1], 2);
        return chipError(chip2.first, kIncompatibleChips + chip1.second + chip2.second);
    }
    // No chip reported reads as ids 0, and a list line with those ids must not make it a chip.
    const ChipEntry* chip = count > 0 ? findChip(list, first.manufacturer, first.device) : nullptr;
    if (chip != nullptr) {
        return ChipMatch{chip, count};
    }
    const ChipEntry* maker = count > 0 ? findManufacturer(list, first.manufacturer) : nullptr;
    if (const ChipEntry* e = maker) {
        return chipError(17, strprintf(kUnsupportedChipMakerFormat, e->manufacturerName.c_str(),
                                       static_cast<unsigned>(first.device)));
    }
    if (notPresent(first)) {
        return chipError(18, kChipNotPresent);
    }
    if (ramMemory(first)) {
        return chipError(18, kRamFound);
    }
    return chipError(18,
                     strprintf(kUnsupportedChipFormat, static_cast<unsigned>(first.manufacturer),
                               static_cast<unsigned>(first.device)));
}

} // namespace zeph::flash
