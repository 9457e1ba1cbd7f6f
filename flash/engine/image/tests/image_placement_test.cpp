#include "flash/engine/image/flash_image.h"
#include "flash/engine/image/testing/image_test_files.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

FlashImage scanned(ImageFormat format, int32_t low, int32_t high) {
    FlashImage image;
    image.format = format;
    image.lowAddr = low;
    image.hiAddr = high;
    return image;
}

TEST(PlaceImage, HighestAddressMustBeInsideTheChip) {
    FlashImage image = scanned(ImageFormat::IntelHex, 0x100, 0x40000);
    const auto error = PlaceImage(image, 0x40000, 0x40000000);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, (FatalError{23, "Highest data address 0x40001 above chip highest address "
                                      "0x40000\n"}));
    image = scanned(ImageFormat::Binary, 0, 0x3FFFF);
    std::string log;
    EXPECT_FALSE(PlaceImage(image, 0x40000, 0x40000000, [&](const std::string& t) { log += t; }));
    EXPECT_EQ(image.bufferSize, 0x40000u);
    EXPECT_EQ(image.data.size(), 0x40000u);
    EXPECT_EQ(image.usageMap.size(), 0x40000u);
    EXPECT_EQ(image.blockMap.size(), 0x100u);
    EXPECT_EQ(log, "Adjusted image limits: LowAddr = 0x00000000 HiAddr = 0x0003ffff\n"
                   "Read buffer successfully allocated.\n");
}

TEST(PlaceImage, AxfHighRangeLowRangeOrError33) {
    // Chip select 1 with offset 0x10000: base 0x41010000; a 64 KiB chip.
    const uint32_t base = 0x41010000;
    const uint32_t size = 0x10000;
    FlashImage high = scanned(ImageFormat::Axf, 0x41010000, 0x4101FFFF);
    ASSERT_FALSE(PlaceImage(high, size, base));
    EXPECT_EQ(high.placementBase, base);
    EXPECT_EQ(high.startOffset(), 0u);

    FlashImage low = scanned(ImageFormat::Axf, 0x01010800, 0x01010FFF);
    ASSERT_FALSE(PlaceImage(low, size, base));
    EXPECT_EQ(low.placementBase, 0x01010000u);
    EXPECT_EQ(low.startOffset(), 0x800u);

    // One byte past the high range's end.
    FlashImage outside = scanned(ImageFormat::Axf, 0x41010000, 0x41020000);
    const auto error = PlaceImage(outside, size, base);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 33);
    EXPECT_EQ(error->message, "AXF data area [0x41010000, 0x41020000] not fully within\n"
                              "low chip range [0x1010000, 0x101ffff] or\n"
                              "high chip range [0x41010000, 0x4101ffff]\n");
    // Straddling the start of the low range.
    FlashImage straddle = scanned(ImageFormat::Axf, 0x0100FFFF, 0x01010010);
    EXPECT_EQ(PlaceImage(straddle, size, base)->number, 33);
}

TEST(PrepareReadImage, RangeFromOptionsOnlyData) {
    FlashImage image;
    ASSERT_FALSE(PrepareReadImage(image, 0x2000, 0x2000, 0x10000));
    EXPECT_EQ(image.imageLength, 1u); // -f equal to -t reads one byte
    EXPECT_EQ(image.alignedLow, 0x2000u);
    EXPECT_EQ(image.bufferSize, 0x400u);
    EXPECT_EQ(image.data.size(), 0x400u);
    EXPECT_TRUE(image.usageMap.empty());
    EXPECT_EQ(PrepareReadImage(image, 0, 0x10000, 0x10000)->number, 23);
}

TEST(LoadImage, RefusesBuffersNotPlacedForIt) {
    testing::TempDir dir;
    FlashImage image;
    image.format = ImageFormat::Binary;
    image.imageLength = 4;
    image.bufferSize = 1024;
    EXPECT_EQ(LoadImage(dir.write("x", "abcd"), image)->number, 26);
}

TEST(LoadImage, FileChangedBetweenPassesIsError26) {
    testing::TempDir dir;
    const std::string path = dir.write("c.s19", "S1050000AABB00\n");
    FlashImage image;
    image.format = ImageFormat::MotorolaS;
    ASSERT_FALSE(ScanRange(path, image));
    ASSERT_FALSE(PlaceImage(image, 0x10000, 0x40000000));
    dir.write("c.s19", "S1050800AABB00\n");
    EXPECT_EQ(LoadImage(path, image)->number, 26);
    dir.write("bin", "abcdef");
    FlashImage binary;
    binary.format = ImageFormat::Binary;
    ASSERT_FALSE(ScanRange(dir.path("bin"), binary));
    ASSERT_FALSE(PlaceImage(binary, 0x10000, 0));
    dir.write("bin", "abc");
    EXPECT_EQ(LoadImage(dir.path("bin"), binary)->number, 26);
}

} // namespace
} // namespace zeph::flash
