#include "flash/engine/run/usage_runs.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

TEST(FindRuns, FindsMaximalRunsInsideTheRange) {
    const std::vector<uint8_t> map = {1, 1, 0, 0, 1, 0, 1, 1, 1};
    EXPECT_EQ(FindRuns(map, 0, map.size()), (std::vector<UsageRun>{{0, 2}, {4, 1}, {6, 3}}));
    EXPECT_EQ(FindRuns(map, 1, 7), (std::vector<UsageRun>{{1, 1}, {4, 1}, {6, 1}}));
}

} // namespace
} // namespace zeph::flash
