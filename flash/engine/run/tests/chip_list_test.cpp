// The engine's chip list: what a line holds, which lists are refused, and the sector table.

#include "flash/engine/run/chip_list.h"

#include <gtest/gtest.h>

#include <string>

namespace zeph::flash {
namespace {

constexpr char kTwoChips[] =
    "; device manufacturer deviceId manufacturerId size(layout) phase2 [flag]\n"
    "\n"
    "Am29LV160DB  AMD  0x2249 0x0001 2097152(1*16384+2*8192+1*32768+31*65536) generic.bin\r\n"
    "   ;indented comment\n"
    "28F320C3B\tIntel\t0x88C5\t0x0089\t4194304(8*8192+63*65536)\tgeneric.bin\tSOFT_LOCK_UNLOCK\n"
    "SST39VF1601 SST 0x234B 0x00BF 2097152(512*4096) other.bin xNO_ERROR_BITSx ignored\n"
    "Octal Maker 010 012 0x100000(16*65536) generic.bin";

TEST(ChipList, ReadsEveryFieldOfEachLineInFileOrder) {
    const ChipListResult list = ParseChipList(kTwoChips);
    ASSERT_TRUE(list.ok()) << list.problem;
    ASSERT_EQ(list.entries.size(), 4u);

    const ChipEntry& amd = list.entries[0];
    EXPECT_EQ(amd.deviceName, "Am29LV160DB");
    EXPECT_EQ(amd.manufacturerName, "AMD");
    EXPECT_EQ(amd.deviceId, 0x2249);
    EXPECT_EQ(amd.manufacturerId, 0x0001);
    EXPECT_EQ(amd.chipSize, 2097152u);
    EXPECT_EQ(amd.sectorGroups,
              (std::vector<SectorGroup>{{1, 16384}, {2, 8192}, {1, 32768}, {31, 65536}}));
    EXPECT_EQ(amd.totalSectors, 35u);
    EXPECT_EQ(amd.phase2File, "generic.bin"); // the CR of a CR LF line end is not part of it
    EXPECT_FALSE(amd.softLockUnlock);
    EXPECT_FALSE(amd.noErrorBits);

    EXPECT_TRUE(list.entries[1].softLockUnlock);
    EXPECT_FALSE(list.entries[1].noErrorBits);
    EXPECT_EQ(list.entries[1].totalSectors, 71u);
    // The flag is found inside a longer token; tokens after the flag are not read.
    EXPECT_TRUE(list.entries[2].noErrorBits);
    EXPECT_EQ(list.entries[2].phase2File, "other.bin");
    // Leading-0 octal numbers, and a last line without a line end.
    EXPECT_EQ(list.entries[3].deviceId, 8);
    EXPECT_EQ(list.entries[3].manufacturerId, 10);
}

TEST(ChipList, SoftLockIsLookedForBeforeNoErrorBits) {
    const ChipListResult list =
        ParseChipList("A B 1 2 1024(1*1024) generic.bin NO_ERROR_BITS+SOFT_LOCK_UNLOCK\n");
    ASSERT_TRUE(list.ok());
    EXPECT_TRUE(list.entries[0].softLockUnlock);
    EXPECT_FALSE(list.entries[0].noErrorBits);
}

TEST(ChipList, RefusesTheWholeFileForABadLine) {
    const std::string good = "Good AMD 0x2249 0x0001 65536(1*65536) generic.bin\n";
    const std::string longName(kChipNameLimit + 1, 'N');
    struct Case {
        const char* what;
        std::string line;
    };
    const Case cases[] = {
        {"layout short of the size", "X Y 1 2 65536(1*32768) generic.bin"},
        {"layout beyond the size", "X Y 1 2 65536(3*32768) generic.bin"},
        {"flag with neither keyword", "X Y 1 2 65536(1*65536) generic.bin SOFT_LOCK"},
        {"no phase-2 file", "X Y 1 2 65536(1*65536)"},
        {"no layout", "X Y 1 2 65536 generic.bin"},
        {"unclosed layout", "X Y 1 2 65536(1*65536 generic.bin"},
        {"term without a star", "X Y 1 2 65536(65536) generic.bin"},
        {"device id not a number", "X Y 0xZZ 2 65536(1*65536) generic.bin"},
        {"manufacturer id above 16 bits", "X Y 1 0x10000 65536(1*65536) generic.bin"},
        {"zero sector size", "X Y 1 2 0(4*0) generic.bin"},
        {"chip larger than a chip-select range", "X Y 1 2 0x20000000(2*0x10000000) generic.bin"},
        {"layout sum past 32 bits", "X Y 1 2 65536(65537*65536+1*65536) generic.bin"},
        {"device name too long", longName + " Y 1 2 65536(1*65536) generic.bin"},
        {"phase-2 name too long", "X Y 1 2 65536(1*65536) " + longName},
        {"line too long", "X Y 1 2 65536(1*65536) generic.bin " + std::string(240, ' ')},
    };
    for (const Case& c : cases) {
        const ChipListResult list = ParseChipList(good + c.line + "\n" + good);
        EXPECT_FALSE(list.ok()) << c.what;
        EXPECT_TRUE(list.entries.empty()) << c.what;
        EXPECT_NE(list.problem.find("line 2"), std::string::npos) << c.what << ": " << list.problem;
    }
    // The limits themselves are allowed.
    const std::string name(kChipNameLimit, 'N');
    EXPECT_TRUE(ParseChipList(name + " " + name + " 1 2 65536(1*65536) " + name).ok());
}

TEST(ChipList, LookupsTakeTheFirstMatchingEntry) {
    const ChipListResult list = ParseChipList("A1 Acme 0x10 0x20 1024(1*1024) generic.bin\n"
                                              "A2 Acme2 0x11 0x20 1024(1*1024) generic.bin\n"
                                              "A3 Acme3 0x11 0x20 1024(1*1024) generic.bin\n");
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(findChip(list.entries, 0x20, 0x11)->deviceName, "A2");
    EXPECT_EQ(findChip(list.entries, 0x11, 0x20), nullptr); // ids the other way round
    EXPECT_EQ(findManufacturer(list.entries, 0x20)->manufacturerName, "Acme");
    EXPECT_EQ(findManufacturer(list.entries, 0x21), nullptr);
}

ChipEntry bootBlockChip() {
    return ParseChipList("B M 1 2 131072(1*16384+2*8192+1*32768+1*65536) generic.bin")
        .entries.at(0);
}

TEST(SectorTable, SectorsRunUpFromZeroInLayoutOrder) {
    const SectorTable table(bootBlockChip(), 16);
    EXPECT_EQ(table.chipSize(), 131072u);
    EXPECT_EQ(table.sectors(),
              (std::vector<Sector>{
                  {0, 16384}, {16384, 8192}, {24576, 8192}, {32768, 32768}, {65536, 65536}}));
    EXPECT_EQ(table.largestSector(), 65536u);
}

TEST(SectorTable, AThirtyTwoBitBusDoublesSectorsAndChip) {
    const SectorTable table(bootBlockChip(), 32);
    EXPECT_EQ(table.chipSize(), 262144u);
    ASSERT_EQ(table.sectors().size(), 5u);
    EXPECT_EQ(table.sectors()[1], (Sector{32768, 16384}));
    EXPECT_EQ(table.sectors()[4], (Sector{131072, 131072}));
}

TEST(SectorTable, FindsTheSectorHoldingAnOffsetInsideTheChipOnly) {
    const SectorTable table(bootBlockChip(), 16);
    EXPECT_EQ(table.find(0)->start, 0u);
    EXPECT_EQ(table.find(16383)->start, 0u);
    EXPECT_EQ(table.find(16384)->start, 16384u);
    EXPECT_EQ(table.find(24575)->start, 16384u);
    EXPECT_EQ(table.find(131071)->start, 65536u);
    EXPECT_EQ(table.find(131072), nullptr);
    EXPECT_EQ(table.find(0xFFFFFFFF), nullptr);
}

} // namespace
} // namespace zeph::flash
