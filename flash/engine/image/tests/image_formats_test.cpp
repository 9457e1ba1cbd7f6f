#include "flash/engine/image/flash_image.h"
#include "flash/engine/image/testing/image_test_files.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

namespace zeph::flash {
namespace {

using testing::TempDir;

ImageFormat detect(const TempDir& dir, const std::string& content) {
    ImageFormat format = ImageFormat::MotorolaS;
    const std::string path = dir.write("detect", content);
    EXPECT_FALSE(DetectFormat(path, format));
    return format;
}

std::string asString(const std::vector<uint8_t>& v) {
    return {v.begin(), v.end()};
}

size_t countOnes(const std::vector<uint8_t>& map) {
    return static_cast<size_t>(std::count(map.begin(), map.end(), uint8_t{1}));
}

TEST(DetectFormat, ByFirstCharacterAndElfHeader) {
    TempDir dir;
    EXPECT_EQ(detect(dir, "S00600004844521B\n"), ImageFormat::MotorolaS);
    EXPECT_EQ(detect(dir, ":00000001FF\n"), ImageFormat::IntelHex);
    EXPECT_EQ(detect(dir, "hello\n"), ImageFormat::Binary);
    EXPECT_EQ(detect(dir, ""), ImageFormat::Binary);

    const std::vector<uint8_t> elf = testing::makeElf({{0x40000000, {1, 2, 3, 4}}});
    EXPECT_EQ(detect(dir, asString(elf)), ImageFormat::Axf);
    testing::ElfShape big;
    big.littleEndian = false;
    EXPECT_EQ(detect(dir, asString(testing::makeElf({{0x40000000, {1}}}, big))), ImageFormat::Axf);
    testing::ElfShape other;
    other.machine = 3;
    EXPECT_EQ(detect(dir, asString(testing::makeElf({{0x40000000, {1}}}, other))),
              ImageFormat::Binary);
    testing::ElfShape object;
    object.type = 1;
    EXPECT_EQ(detect(dir, asString(testing::makeElf({{0x40000000, {1}}}, object))),
              ImageFormat::Binary);
    // A header alone (exactly 52 bytes) is never taken for an executable.
    EXPECT_EQ(detect(dir, asString(testing::makeElf({})).substr(0, 52)), ImageFormat::Binary);
}

TEST(DetectFormat, MissingOrNotRegularFileIsError5AndVerboseTexts) {
    ImageFormat format;
    TempDir dir;
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A device never ends, a FIFO blocks the open and a directory fails the read.
    for (const std::string& name : {std::string("/nonexistent/zeph.s19"), std::string("/dev/zero"),
                                    fifo, dir.folder().string()}) {
        const auto error = DetectFormat(name, format);
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(*error, (FatalError{5, "Cannot open data file " + name + "\n"}));
    }

    std::string log;
    EXPECT_FALSE(DetectFormat(dir.write("h.hex", ":00000001FF\n"), format,
                              [&](const std::string& t) { log += t; }));
    EXPECT_EQ(log, "Input file successfully opened.\nInput file is in Intel-Hex format.\n");
    EXPECT_STREQ(formatReportName(ImageFormat::Axf), "AXF");
    EXPECT_STREQ(formatReportName(ImageFormat::MotorolaS), "S-MOTOROLA");
}

TEST(MotorolaS, TwoAreasFarApart) {
    TempDir dir;
    // S1 16 bytes at 0x0100, S2 16 bytes at 0x012000; the S1 checksum is wrong on purpose.
    const std::string file = "S00600004844521B\r\n"
                             "S1130100000102030405060708090A0B0C0D0E0F00\r\n"
                             "S214012000101112131415161718191a1b1c1d1e1f00\r\n"
                             "S9030000FC\r\n"
                             "S1130200FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r\n";
    FlashImage image;
    std::string log;
    const std::string path = dir.write("two.s19", file);
    ASSERT_FALSE(testing::loadFile(path, image, 0x100000));
    EXPECT_EQ(image.format, ImageFormat::MotorolaS);
    EXPECT_EQ(image.lowAddr, 0x100);
    EXPECT_EQ(image.hiAddr, 0x1200F);
    EXPECT_EQ(image.imageLength, 0x11F10u);
    EXPECT_EQ(image.alignedLow, 0u);
    EXPECT_EQ(image.alignedHigh, 0x123FFu);
    EXPECT_EQ(image.bufferSize, 0x12400u);
    ASSERT_EQ(image.blockMap.size(), 0x49u);
    EXPECT_EQ(countOnes(image.blockMap), 2u);
    EXPECT_EQ(image.blockMap[0], 1);
    EXPECT_EQ(image.blockMap[0x48], 1);
    EXPECT_EQ(countOnes(image.usageMap), 32u);
    for (uint32_t i = 0; i < image.bufferSize; ++i) {
        uint8_t expected = 0xFF;
        if (i >= 0x100 && i < 0x110) {
            expected = static_cast<uint8_t>(i - 0x100);
        } else if (i >= 0x12000 && i < 0x12010) {
            expected = static_cast<uint8_t>(0x10 + i - 0x12000);
        }
        ASSERT_EQ(image.data[i], expected) << std::hex << i;
        ASSERT_EQ(image.usageMap[i], expected != 0xFF ? 1 : 0) << i;
    }
}

TEST(MotorolaS, S3AddressAndBlockCrossing) {
    TempDir dir;
    // 4 bytes at 0x3FE cross from block 0 into block 1.
    FlashImage image;
    ASSERT_FALSE(testing::loadFile(dir.write("x.srec", "S309000003FEAABBCCDD00\nS70500000000FA\n"),
                                   image, 0x10000));
    EXPECT_EQ(image.lowAddr, 0x3FE);
    EXPECT_EQ(image.hiAddr, 0x401);
    EXPECT_EQ(image.bufferSize, 0x800u);
    EXPECT_EQ(image.blockMap, (std::vector<uint8_t>{1, 1}));
    EXPECT_EQ(image.data[0x3FE], 0xAA);
    EXPECT_EQ(image.data[0x401], 0xDD);
}

TEST(MotorolaS, BadFilesAreError6) {
    TempDir dir;
    const char* bad[] = {
        "S1130100\n",                  // shorter than its count
        "S10201\n",                    // count below the address size
        "S5030001FB\n",                // S5 is not accepted
        "S1050000AABB00\nX garbage\n", // a line that is no record
        "S1050000AABB00\nS",           // a lone 'S'
        "S3098000000000000000\n",      // beyond the signed address range
        "S2",                          // no count
    };
    for (const char* content : bad) {
        FlashImage image;
        image.format = ImageFormat::MotorolaS;
        const auto error = ScanRange(dir.write("bad.s19", content), image);
        ASSERT_TRUE(error) << content;
        EXPECT_EQ(*error, (FatalError{6, "Error reading data file or bad format\n"}));
    }
}

TEST(MotorolaS, NoDataRecordsEndsWithError24) {
    TempDir dir;
    FlashImage image;
    const auto error =
        testing::loadFile(dir.write("empty.s19", "S00600004844521B\nS9030000FC\n"), image, 0x10000);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, (FatalError{24, "Cannot allocate data buffer\n"}));
    EXPECT_GT(image.lowAddr, image.hiAddr);
}

TEST(IntelHex, ExtendedAddressesAndEndRecord) {
    TempDir dir;
    // Linear base 0x0001 then data at 0x0010 gives 0x10010; a segment base 0x1000 gives 0x10000
    // + 0x0020; type 03 is skipped; nothing after the end record counts.
    const std::string file = ":020000040001F9\n"
                             ":0400100001020304E2\n"
                             ":020000021000EC\n"
                             ":02002000A1A2FF\n"
                             ":0400000300000000F9\n"
                             ":00000001FF\n"
                             ":04000000EEEEEEEE00\n";
    FlashImage image;
    ASSERT_FALSE(testing::loadFile(dir.write("a.hex", file), image, 0x20000));
    EXPECT_EQ(image.format, ImageFormat::IntelHex);
    EXPECT_EQ(image.lowAddr, 0x10010);
    EXPECT_EQ(image.hiAddr, 0x10021);
    EXPECT_EQ(image.alignedLow, 0x10000u);
    EXPECT_EQ(image.data[0x10], 1);
    EXPECT_EQ(image.data[0x13], 4);
    EXPECT_EQ(image.data[0x20], 0xA1);
    EXPECT_EQ(image.data[0x21], 0xA2);
    EXPECT_EQ(image.data[0x14], 0xFF);
    EXPECT_EQ(countOnes(image.usageMap), 6u);
    EXPECT_EQ(image.data[0], 0xFF);
}

TEST(IntelHex, RefusedRecordsAreError6) {
    TempDir dir;
    const char* bad[] = {
        ":0400000501020304EE\n",              // type 05
        ":0400000F01020304EE\n",              // type digit above 4
        ":10000000AABB\n",                    // shorter than its length
        ":020000\n",                          // no type
        ":02000004FF\n",                      // base without its value
        ":02000004FFFFFC\n:02000000AABB00\n", // beyond the signed address range
        "\n:0",
    };
    for (const char* content : bad) {
        FlashImage image;
        image.format = ImageFormat::IntelHex;
        const auto error = ScanRange(dir.write("bad.hex", content), image);
        ASSERT_TRUE(error) << content;
        EXPECT_EQ(error->number, 6);
    }
}

TEST(Binary, AnyContentLoadsFromAddressZero) {
    TempDir dir;
    std::string content = "Not a record file\n";
    content.append(2000, '\x5A');
    FlashImage image;
    ASSERT_FALSE(testing::loadFile(dir.write("raw", content), image, 0x10000));
    EXPECT_EQ(image.format, ImageFormat::Binary);
    EXPECT_EQ(image.lowAddr, 0);
    EXPECT_EQ(image.hiAddr, static_cast<int32_t>(content.size()) - 1);
    EXPECT_EQ(image.bufferSize, 0x800u);
    EXPECT_EQ(std::string(image.data.begin(), image.data.begin() + content.size()), content);
    EXPECT_EQ(image.data[content.size()], 0xFF);
    EXPECT_EQ(countOnes(image.usageMap), content.size());
    EXPECT_EQ(image.blockMap, (std::vector<uint8_t>{1, 1}));

    FlashImage empty;
    const auto error = testing::loadFile(dir.write("empty", ""), empty, 0x10000);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 24);
}

TEST(Axf, SegmentsSortedAndPlacedByBlocks) {
    TempDir dir;
    std::vector<uint8_t> a(0x400, 0x11);
    std::vector<uint8_t> b(0x10, 0x22);
    // Listed out of order; the zero-size entry is no segment.
    const std::vector<uint8_t> elf =
        testing::makeElf({{0x40002000, b}, {0x40000400, a}, {0x40000000, {}}});
    FlashImage image;
    std::string log;
    ASSERT_FALSE(testing::loadFile(dir.write("p.axf", elf), image, 0x100000, 0x40000000));
    EXPECT_EQ(image.format, ImageFormat::Axf);
    ASSERT_EQ(image.segments.size(), 2u);
    EXPECT_EQ(image.segments[0].address, 0x40000400u);
    EXPECT_EQ(image.segments[1].address, 0x40002000u);
    EXPECT_EQ(image.lowAddr, 0x40000400);
    EXPECT_EQ(image.hiAddr, 0x4000200F);
    EXPECT_EQ(image.alignedLow, 0x40000400u);
    EXPECT_EQ(image.placementBase, 0x40000000u);
    EXPECT_EQ(image.startOffset(), 0x400u);
    // The 0x400-byte segment on a block boundary marks exactly one block.
    EXPECT_EQ(image.blockMap, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(image.data[0], 0x11);
    EXPECT_EQ(image.data[0x3FF], 0x11);
    EXPECT_EQ(image.data[0x400], 0xFF);
    EXPECT_EQ(image.data[0x1C00], 0x22);
    EXPECT_EQ(countOnes(image.usageMap), 0x410u);
}

TEST(Axf, BigEndianHeaderAndOverlappingSegments) {
    TempDir dir;
    testing::ElfShape big;
    big.littleEndian = false;
    // The lower segment reaches past the end of the higher one: the range covers both.
    std::vector<uint8_t> low(0x100, 0x33);
    std::vector<uint8_t> inner(0x10, 0x44);
    const std::vector<uint8_t> elf =
        testing::makeElf({{0x00000000, low}, {0x00000080, inner}}, big);
    FlashImage image;
    ASSERT_FALSE(testing::loadFile(dir.write("b.axf", elf), image, 0x1000, 0x40000000));
    EXPECT_EQ(image.hiAddr, 0xFF);
    EXPECT_EQ(image.placementBase, 0u); // the low chip range
    EXPECT_EQ(image.data[0x7F], 0x33);
    EXPECT_EQ(image.data[0x80], 0x44);
    EXPECT_EQ(image.data[0x90], 0x33);
    EXPECT_EQ(image.data[0xFF], 0x33);
}

TEST(Axf, BrokenFilesFailCleanly) {
    TempDir dir;
    std::vector<uint8_t> elf = testing::makeElf({{0x40000000, {1, 2, 3, 4}}});
    // Program header table past the end of the file: error 6.
    std::vector<uint8_t> farTable = elf;
    farTable[28] = 0xF0;
    FlashImage image;
    image.format = ImageFormat::Axf;
    auto error = ScanRange(dir.write("t.axf", farTable), image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 6);
    // No segment with data: error 6.
    error = ScanRange(dir.write("n.axf", testing::makeElf({{0x40000000, {}}})), image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 6);
    // Segment data past the end of the file: the second pass fails with error 26.
    std::vector<uint8_t> shortData = elf;
    shortData.resize(shortData.size() - 2);
    shortData.resize(53 + 32, 0); // keep it an executable by size
    FlashImage cut;
    error = testing::loadFile(dir.write("s.axf", shortData), cut, 0x10000);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, (FatalError{26, "Error reading data file\n"}));
}

TEST(ImageParsing, RandomInputNeverCrashes) {
    TempDir dir;
    std::mt19937 rng(7);
    const std::string alphabet = "S0123456789:ABCDEFabcdef\r\n";
    for (int round = 0; round < 400; ++round) {
        std::string content;
        const size_t length = rng() % 300;
        for (size_t i = 0; i < length; ++i) {
            content += round % 2 == 0 ? alphabet[rng() % alphabet.size()]
                                      : static_cast<char>(rng() & 0xFF);
        }
        if (round % 4 == 1) {
            std::vector<uint8_t> elf = testing::makeElf({{0x40000000, {1, 2}}, {0, {3}}});
            for (size_t i = 0; i < 6; ++i) {
                elf[16 + rng() % (elf.size() - 16)] = static_cast<uint8_t>(rng());
            }
            content = asString(elf);
        }
        const std::string path = dir.write("fuzz", content);
        for (ImageFormat format : {ImageFormat::MotorolaS, ImageFormat::IntelHex,
                                   ImageFormat::Binary, ImageFormat::Axf}) {
            FlashImage image;
            image.format = format;
            if (ScanRange(path, image)) {
                continue;
            }
            if (PlaceImage(image, 0x100000, 0x40000000)) {
                continue;
            }
            const auto error = LoadImage(path, image);
            EXPECT_TRUE(!error || error->number == 26);
        }
    }
}

} // namespace
} // namespace zeph::flash
