#include "flash/target/chip_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace zeph::flashsim {
namespace {

uint32_t layoutSum(const ChipEntry& chip) {
    uint32_t total = 0;
    for (const SectorGroup& g : chip.sectorGroups) {
        total += g.count * g.size;
    }
    return total;
}

TEST(ShippedChipList, ListsBootAndUniformChipsWithFlags) {
    const ChipListResult list = readChipList(FLASHSIM_SUPPORT_DIR "/chiplist.txt");
    ASSERT_EQ(list.error, "");
    ASSERT_GE(list.chips.size(), 6u);
    int bottom = 0, top = 0, uniform = 0, softLock = 0, noErrorBits = 0;
    for (const ChipEntry& chip : list.chips) {
        EXPECT_EQ(layoutSum(chip), chip.chipSize) << chip.deviceName;
        EXPECT_EQ(chip.phase2File, "generic.bin");
        const auto& g = chip.sectorGroups;
        if (g.size() == 1) {
            ++uniform;
        } else if (g.front().size < g.back().size) {
            ++bottom;
        } else {
            ++top;
        }
        softLock += chip.softLockUnlock;
        noErrorBits += chip.noErrorBits;
    }
    EXPECT_GT(bottom, 0);
    EXPECT_GT(top, 0);
    EXPECT_GT(uniform, 0);
    EXPECT_GT(softLock, 0);
    EXPECT_GT(noErrorBits, 0);
}

TEST(ShippedChipList, FindsAChipByNameWithItsIds) {
    const ChipListResult list = readChipList(FLASHSIM_SUPPORT_DIR "/chiplist.txt");
    const ChipEntry* chip = findChip(list.chips, "Am29LV160DB");
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->manufacturerId, 0x0001);
    EXPECT_EQ(chip->deviceId, 0x2249);
    EXPECT_EQ(chip->chipSize, 2097152u);
    ASSERT_EQ(chip->sectorGroups.size(), 4u);
    EXPECT_EQ(chip->sectorGroups[3].count, 31u);
    EXPECT_EQ(findChip(list.chips, "am29lv160db"), nullptr); // names match exactly
}

TEST(ChipListParsing, ReadsNumbersLikeCAndSkipsCommentsAndBlankLines) {
    const ChipListResult list = parseChipList("; a comment\n"
                                              "\n"
                                              "  \t\n"
                                              "Dev\tMaker 0x22BA 0302 020000(2*010000) p2.bin\n");
    ASSERT_EQ(list.error, "");
    ASSERT_EQ(list.chips.size(), 1u);
    EXPECT_EQ(list.chips[0].deviceId, 0x22BA);
    EXPECT_EQ(list.chips[0].manufacturerId, 0302); // octal
    EXPECT_EQ(list.chips[0].chipSize, 020000u);
    EXPECT_FALSE(list.chips[0].softLockUnlock);
}

TEST(ChipListParsing, FlagIsASubstringAndLockWinsWhenBothAppear) {
    const ChipListResult list =
        parseChipList("A M 1 2 8192(2*4096) g.bin x_NO_ERROR_BITS_y\n"
                      "B M 1 2 8192(2*4096) g.bin SOFT_LOCK_UNLOCK+NO_ERROR_BITS\n");
    ASSERT_EQ(list.error, "");
    EXPECT_TRUE(list.chips[0].noErrorBits);
    EXPECT_TRUE(list.chips[1].softLockUnlock);
    EXPECT_FALSE(list.chips[1].noErrorBits);
}

TEST(ChipListParsing, RejectsTheWholeFileOnABadLine) {
    const char* bad[] = {
        "A M 1 2 8192(3*4096) g.bin\n",        // layout does not add up
        "A M 1 2 8192(2*4096) g.bin LOCKED\n", // unknown flag
        "A M 1 2 8192(2*4096)\n",              // no phase-2 file
        "A M 1 2 8192 g.bin\n",                // no layout
        "A M 1 0x12345 8192(2*4096) g.bin\n",  // id wider than 16 bits
        "A M 1 2 8192(2x4096) g.bin\n",        // malformed term
        "A234567890123456789012345678901234567890 M 1 2 8192(2*4096) g.bin\n",
    };
    for (const char* line : bad) {
        const ChipListResult list =
            parseChipList(std::string("G M 1 2 4096(1*4096) g.bin\n") + line);
        EXPECT_NE(list.error, "") << line;
        EXPECT_TRUE(list.chips.empty()) << line;
        EXPECT_EQ(list.error.rfind("line 2:", 0), 0u) << list.error;
    }
}

TEST(ChipListParsing, MissingFileIsAnError) {
    EXPECT_NE(readChipList("/nonexistent/chiplist.txt").error, "");
}

TEST(ChipListParsing, OnlyARegularFileIsRead) {
    // A FIFO would hold the read until a writer came, /dev/zero would never end.
    const std::string fifo = ::testing::TempDir() + "chiplist-fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), ::testing::TempDir()}) {
        const ChipListResult list = readChipList(path);
        EXPECT_EQ(list.error, "cannot open " + path + ": not a regular file") << path;
        EXPECT_TRUE(list.chips.empty()) << path;
    }
    std::remove(fifo.c_str());
}

} // namespace
} // namespace zeph::flashsim
