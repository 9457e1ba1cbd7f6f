#pragma once

// Runs of image bytes in a usage map: the stretches that are verified one CRC16 at a time, and
// the pieces of a block that update mode lays over the sector's old contents.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zeph::flash {

// A maximal run of bytes whose usage map entry is 1.
struct UsageRun {
    uint32_t offset = 0;
    uint32_t length = 0;
    bool operator==(const UsageRun&) const = default;
};

// All runs of `usageMap` from `from` up to `to` (exclusive), in address order.
std::vector<UsageRun> FindRuns(std::span<const uint8_t> usageMap, size_t from, size_t to);

} // namespace zeph::flash
