#include "flash/engine/compress/bit_stream.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

TEST(BitWriter, PacksCodesLeastSignificantBitFirstAcrossBytes) {
    BitWriter out;
    out.append(0x1, 1);   // bit 0
    out.append(0x2, 3);   // bits 1-3: 0,1,0
    out.append(0x1FF, 9); // bits 4-12
    out.append(0x0, 2);   // bits 13-14
    out.append(0x5, 3);   // bits 15-17: 1,0,1
    EXPECT_EQ(out.bitCount(), 18u);
    EXPECT_EQ(out.bytes(), (std::vector<uint8_t>{0xF5, 0x9F, 0x02}));
}

TEST(CompressedPayload, PadBitsCountTheUnusedBitsOfTheLastByte) {
    EXPECT_EQ(PadBitCount(8 * 115), 0);
    EXPECT_EQ(PadBitCount(8 * 115 + 1), 7);
    EXPECT_EQ(PadBitCount(8 * 115 + 7), 1);
    EXPECT_EQ(PadBitCount(0), 0);
}

TEST(CompressedPayload, IsPadCountThenCodeBytes) {
    BitWriter out;
    out.append(0x1FF, 9);
    out.append(0x3, 2);
    EXPECT_EQ(CompressedPayload(out), (std::vector<uint8_t>{5, 0xFF, 0x07}));
    BitWriter whole;
    whole.append(0xA5, 8);
    EXPECT_EQ(CompressedPayload(whole), (std::vector<uint8_t>{0, 0xA5}));
}

} // namespace
} // namespace zeph::flash
