// Chip matching: which chip a run takes, and the exact report of errors 14 to 18.

#include "flash/engine/run/chip_match.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

std::vector<ChipEntry> list() {
    return ParseChipList("Am29LV160DB AMD 0x2249 0x0001 65536(1*65536) generic.bin\n"
                         "Am29LV160DT AMD 0x22C4 0x0001 65536(1*65536) generic.bin\n"
                         "Zero Nobody 0 0 65536(1*65536) generic.bin\n")
        .entries;
}

FatalError errorOf(const std::vector<FlashId>& ids) {
    const auto chips = list();
    const auto result = MatchChips(chips, ids);
    if (const auto* error = std::get_if<FatalError>(&result)) {
        return *error;
    }
    return {-1, "matched " + std::get<ChipMatch>(result).chip->deviceName};
}

TEST(ChipMatch, TakesAListedChipOnceOrTwice) {
    const auto chips = list();
    const auto one = MatchChips(chips, {{0x0001, 0x22C4}});
    ASSERT_TRUE(std::holds_alternative<ChipMatch>(one));
    EXPECT_EQ(std::get<ChipMatch>(one).chip->deviceName, "Am29LV160DT");
    EXPECT_EQ(std::get<ChipMatch>(one).chipCount, 1);

    const auto two = MatchChips(chips, {{0x0001, 0x2249}, {0x0001, 0x2249}});
    ASSERT_TRUE(std::holds_alternative<ChipMatch>(two));
    EXPECT_EQ(std::get<ChipMatch>(two).chip->deviceName, "Am29LV160DB");
    EXPECT_EQ(std::get<ChipMatch>(two).chipCount, 2);
}

TEST(ChipMatch, TwoDifferentChipsGiveATwoLineReportNumberedByTheSecond) {
    struct Case {
        FlashId chip1, chip2;
        FatalError expected;
    };
    const Case cases[] = {
        {{0x0001, 0x2249},
         {0x0001, 0x22C4},
         {14, "Incompatible chips found:\n"
              "Chip #1: manufacturer name - AMD, device name - Am29LV160DB\n"
              "Chip #2: manufacturer name - AMD, device name - Am29LV160DT\n"}},
        {{0x0001, 0x2249},
         {0x0001, 0x1234},
         {15, "Incompatible chips found:\n"
              "Chip #1: manufacturer name - AMD, device name - Am29LV160DB\n"
              "Chip #2: manufacturer name - AMD, device id - 0x1234\n"}},
        {{0x0001, 0x7777},
         {0x00FF, 0xFFFF},
         {16, "Incompatible chips found:\n"
              "Chip #1: manufacturer name - AMD, device id - 0x7777\n"
              "Chip #2: not present\n"}},
        // The three-way split looks at the manufacturer id's low byte only.
        {{0xABFF, 0xFFFF},
         {0x1200, 0x0000},
         {16, "Incompatible chips found:\nChip #1: not present\nChip #2: RAM memory\n"}},
        // An unknown chip 1 shows the manufacturer id's low byte, chip 2 all 16 bits.
        {{0x1234, 0x5678},
         {0x1234, 0x9ABC},
         {16, "Incompatible chips found:\n"
              "Chip #1: manufacturer id - 0x34, device id - 0x5678\n"
              "Chip #2: manufacturer id - 0x1234, device id - 0x9abc\n"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf({c.chip1, c.chip2}), c.expected) << c.expected.message;
    }
}

TEST(ChipMatch, AnUnlistedChipIsUnsupportedOrAbsent) {
    EXPECT_EQ(errorOf({{0x0001, 0x1234}}),
              (FatalError{17, "Unsupported chip found: manufacturer name - AMD, device id - "
                              "0x1234\n"}));
    EXPECT_EQ(errorOf({{0x33FF, 0xFFFF}}),
              (FatalError{18, "Chip not present at specified location\n"}));
    EXPECT_EQ(errorOf({{0x4400, 0}}), (FatalError{18, "RAM memory found at specified location\n"}));
    EXPECT_EQ(errorOf({{0x0077, 0x5555}}),
              (FatalError{18, "Unsupported chip found:  manufacturer id - 0x77, device id - "
                              "0x5555\n"}));
}

TEST(ChipMatch, NoChipReportedIsRamEvenWhenTheListHasZeroIds) {
    EXPECT_EQ(errorOf({}), (FatalError{18, "RAM memory found at specified location\n"}));
    // A reported chip with ids 0 is a list entry like any other.
    EXPECT_EQ(errorOf({{0, 0}}).message, "matched Zero");
}

} // namespace
} // namespace zeph::flash
