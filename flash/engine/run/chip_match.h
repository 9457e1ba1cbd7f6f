#pragma once

// Chip matching: the ids the target reports against the chip list, with the reports of the
// numbered errors 14 to 18.

#include "flash/engine/errors/error_texts.h"
#include "flash/engine/link/target_commands.h"
#include "flash/engine/run/chip_list.h"

#include <variant>
#include <vector>

namespace zeph::flash {

struct ChipMatch {
    const ChipEntry* chip = nullptr;
    int chipCount = 1; // 1 or 2, for the chip record
};

// `ids` holds what GetFlashIds reported (at most two are looked at; none reads as ids 0).
std::variant<ChipMatch, FatalError> MatchChips(const std::vector<ChipEntry>& list,
                                               const std::vector<FlashId>& ids);

} // namespace zeph::flash
