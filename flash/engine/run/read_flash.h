#pragma once

// The read engine: a flash range into a buffer, 1 KiB at a time, with a progress figure after
// each block.

#include "flash/engine/link/target_link.h"

#include <cstdint>
#include <functional>
#include <span>

namespace zeph::flash {

// Called after each block with the percentage read so far.
using ReadProgress = std::function<void(int percent)>;

// Reads data.size() bytes (a multiple of 1024) starting at the flash offset `start`; false as
// soon as one block cannot be read.
bool ReadFlash(TargetLink& link, uint32_t start, std::span<uint8_t> data,
               const ReadProgress& progress);

} // namespace zeph::flash
