#include "flash/engine/run/usage_runs.h"

#include <algorithm>

namespace zeph::flash {

std::vector<UsageRun> FindRuns(std::span<const uint8_t> usageMap, size_t from, size_t to) {
    std::vector<UsageRun> runs;
    to = std::min(to, usageMap.size());
    for (size_t i = from; i < to;) {
        if (usageMap[i] == 0) {
            ++i;
            continue;
        }
        const size_t begin = i;
        while (i < to && usageMap[i] != 0) {
            ++i;
        }
        runs.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(i - begin)});
    }
    return runs;
}

} // namespace zeph::flash
