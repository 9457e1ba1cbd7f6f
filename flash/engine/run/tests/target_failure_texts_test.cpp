#include "flash/engine/run/target_failure_texts.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

TEST(LastActivityText, ShowsEachCodeWithTheBusWidthsValues) {
    EXPECT_EQ(LastActivityText(LastActivity{0, 0x1234, 0xABCD5678, 0x12345680}),
              "Last activity: waiting for write or erase completion\nAddress:       0x00001234\n"
              "Expected data: 0x5678\nStatus:        0x0080\n");
    EXPECT_EQ(LastActivityText(LastActivity{5, 0x20000, 0xFFFFFFFF, 0x12345680}),
              "Last activity: waiting for erase completion\nAddress:       0x00020000\n"
              "Expected data: 0xffffffff\nStatus:        0x00340080\n");
    EXPECT_EQ(LastActivityText(LastActivity{8, 0x10, 0xFFFFFFFF, 0x1234ABCD}),
              "Last activity: erase sector verify\nAddress:       0x00000010\n"
              "Expected data: 0xffff\nActual data:   0xabcd\n");
    EXPECT_EQ(LastActivityText(LastActivity{11, 0x10, 0xFFFFFFFF, 0x1234ABCD}),
              "Last activity: erase chip verify\nAddress:       0x00000010\n"
              "Expected data: 0xffffffff\nActual data:   0x1234abcd\n");
    EXPECT_EQ(LastActivityText(LastActivity{3, 0, 0, 0}).substr(0, 43),
              "Last activity: waiting for write completion");
    EXPECT_EQ(LastActivityText(LastActivity{12, 0x10, 1, 2}),
              "Last activity: unknown (code 0xc)\n");
    EXPECT_EQ(LastActivityText(std::nullopt), "Last activity: not reported by the target\n");
}

TEST(LastOperationText, NamesEachOperation) {
    EXPECT_EQ(LastOperationText(LastOperation{1, 0x8000}),
              "Last operation: sector erase at 0x8000\n");
    EXPECT_EQ(LastOperationText(LastOperation{2, 0x8000}), "Last operation: chip erase\n");
    EXPECT_EQ(LastOperationText(LastOperation{3, 0x10}), "Last operation: sector lock at 0x10\n");
    EXPECT_EQ(LastOperationText(LastOperation{4, 0x10}), "Last operation: sector unlock at 0x10\n");
    EXPECT_EQ(LastOperationText(LastOperation{9, 0x10}), "Last operation code: 0x9\n");
}

} // namespace
} // namespace zeph::flash
