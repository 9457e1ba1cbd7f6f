// Cross-checks against independent converters from the distribution (srecord, the ARM cross
// tools). The tests skip when a tool is not installed.

#include "flash/engine/image/flash_image.h"
#include "flash/engine/image/testing/image_test_files.h"

#include <gtest/gtest.h>

#include <random>

namespace zeph::flash {
namespace {

using testing::TempDir;

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out) {
        b = static_cast<uint8_t>(rng());
    }
    return out;
}

struct Area {
    uint32_t address;
    std::vector<uint8_t> bytes;
};

// Every area's bytes are in place and marked used; all other bytes are 0xFF and unused.
void expectAreas(const FlashImage& image, const std::vector<Area>& areas) {
    std::vector<uint8_t> expectedData(image.bufferSize, 0xFF);
    std::vector<uint8_t> expectedUsage(image.bufferSize, 0);
    std::vector<uint8_t> expectedBlocks(image.bufferSize / kImageBlockSize, 0);
    for (const Area& a : areas) {
        const size_t at = a.address - image.alignedLow;
        ASSERT_LE(at + a.bytes.size(), image.bufferSize);
        for (size_t i = 0; i < a.bytes.size(); ++i) {
            expectedData[at + i] = a.bytes[i];
            expectedUsage[at + i] = 1;
            expectedBlocks[(at + i) / kImageBlockSize] = 1;
        }
    }
    EXPECT_EQ(image.data, expectedData);
    EXPECT_EQ(image.usageMap, expectedUsage);
    EXPECT_EQ(image.blockMap, expectedBlocks);
}

class SrecCat : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = testing::findTool("srec_cat");
        if (tool_.empty()) {
            GTEST_SKIP() << "srec_cat (package srecord) is not installed";
        }
    }

    // Converts the areas with srec_cat and loads the result.
    void convertAndLoad(const std::vector<Area>& areas, const std::string& outputOptions,
                        ImageFormat expectedFormat) {
        std::string command = tool_;
        for (size_t i = 0; i < areas.size(); ++i) {
            const std::string name = dir_.write("in" + std::to_string(i) + ".bin", areas[i].bytes);
            command += " " + name + " -binary -offset " + std::to_string(areas[i].address);
        }
        const std::string out = dir_.path("out.txt");
        command += " -o " + out + " " + outputOptions + " 2>/dev/null";
        ASSERT_TRUE(testing::runCommand(command)) << command;
        FlashImage image;
        ASSERT_FALSE(testing::loadFile(out, image, 0x200000));
        EXPECT_EQ(image.format, expectedFormat);
        EXPECT_EQ(image.lowAddr, static_cast<int32_t>(areas.front().address));
        EXPECT_EQ(image.hiAddr,
                  static_cast<int32_t>(areas.back().address + areas.back().bytes.size() - 1));
        expectAreas(image, areas);
    }

    std::string tool_;
    TempDir dir_;
};

TEST_F(SrecCat, MotorolaRecordsOfEveryAddressSize) {
    // 16-bit, 24-bit and 32-bit address records, lines of several lengths. The record-count
    // record (S5) that srec_cat adds by default is not accepted by the loader, so it is left out.
    convertAndLoad({{0x0123, randomBytes(3000, 1)}}, "-motorola -disable=data-count",
                   ImageFormat::MotorolaS);
    convertAndLoad({{0x0400, randomBytes(1024, 2)}, {0x1FF00, randomBytes(700, 3)}},
                   "-motorola -disable=data-count -line-length=80", ImageFormat::MotorolaS);
    convertAndLoad({{0x3FF, randomBytes(2, 4)}, {0x100000, randomBytes(5000, 5)}},
                   "-motorola -disable=data-count -address-length=4 -line-length=200",
                   ImageFormat::MotorolaS);
}

TEST_F(SrecCat, IntelRecordsAcrossExtendedAddresses) {
    convertAndLoad({{0x0010, randomBytes(300, 6)}}, "-intel", ImageFormat::IntelHex);
    // Crossing 64 KiB boundaries needs extended linear address records.
    convertAndLoad({{0xFF80, randomBytes(70000, 7)}, {0x1A0001, randomBytes(33, 8)}},
                   "-intel -output-block-size=32", ImageFormat::IntelHex);
}

class ArmTools : public ::testing::Test {
protected:
    void SetUp() override {
        gcc_ = testing::findTool("arm-none-eabi-gcc");
        objcopy_ = testing::findTool("arm-none-eabi-objcopy");
        if (gcc_.empty() || objcopy_.empty()) {
            GTEST_SKIP() << "gcc-arm-none-eabi and binutils-arm-none-eabi are not installed";
        }
    }
    std::string gcc_;
    std::string objcopy_;
    TempDir dir_;
};

// A tiny program linked for chip select 0 (0x40000000), with code, constant data and
// initialised data in separate places.
const char kProgram[] = R"(
const unsigned char table[700] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, [699] = 0x5A};
int counter = 0x12345678;
int scratch;
void _start(void) {
    for (;;) {
        counter += table[scratch++ % 700];
    }
}
)";

TEST_F(ArmTools, ExecutableMatchesObjcopyOutput) {
    const std::string source = dir_.write("p.c", kProgram);
    const std::string axf = dir_.path("p.axf");
    const std::string command = gcc_ +
                                " -O1 -nostdlib -nostartfiles -Wl,-N -Wl,-Ttext=0x40000100"
                                " -Wl,--section-start=.data=0x40003000 -o " +
                                axf + " " + source;
    ASSERT_TRUE(testing::runCommand(command)) << command;

    FlashImage image;
    ASSERT_FALSE(testing::loadFile(axf, image, 0x100000, 0x40000000));
    EXPECT_EQ(image.format, ImageFormat::Axf);
    EXPECT_EQ(image.placementBase, 0x40000000u);
    EXPECT_GE(image.segments.size(), 2u);

    // objcopy's raw image runs from the lowest to the highest loaded byte, gaps filled.
    const std::string bin = dir_.path("p.bin");
    ASSERT_TRUE(testing::runCommand(objcopy_ + " -O binary --gap-fill=0xff " + axf + " " + bin));
    const std::vector<uint8_t> raw = testing::readBytes(bin);
    ASSERT_EQ(raw.size(), image.imageLength);
    const size_t at = static_cast<uint32_t>(image.lowAddr) - image.alignedLow;
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), image.data.begin() + static_cast<long>(at)));
    EXPECT_EQ(image.lowAddr, 0x40000100);

    // The same program as S-records, moved to chip offsets, loads to the same buffer.
    const std::string srec = dir_.path("p.srec");
    ASSERT_TRUE(testing::runCommand(objcopy_ + " -O srec --change-addresses=-0x40000000 " + axf +
                                    " " + srec + " 2>/dev/null"));
    FlashImage records;
    ASSERT_FALSE(testing::loadFile(srec, records, 0x100000));
    EXPECT_EQ(records.format, ImageFormat::MotorolaS);
    EXPECT_EQ(records.startOffset(), image.startOffset());
    EXPECT_EQ(records.data, image.data);
    EXPECT_EQ(records.usageMap, image.usageMap);
    EXPECT_EQ(records.blockMap, image.blockMap);
}

} // namespace
} // namespace zeph::flash
