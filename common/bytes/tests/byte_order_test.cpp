#include "common/bytes/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace zeph {
namespace {

// Each row: four bytes as they travel, and the values they hold read from the first byte.
struct Row {
    std::array<uint8_t, 4> bytes;
    uint16_t be16;
    uint32_t be32;
    uint16_t le16;
    uint32_t le32;
};

constexpr Row kRows[] = {
    {{0x12, 0x34, 0x56, 0x78}, 0x1234, 0x12345678, 0x3412, 0x78563412},
    {{0xFF, 0x00, 0x80, 0x01}, 0xFF00, 0xFF008001, 0x00FF, 0x018000FF},
    {{0x80, 0xFF, 0xFF, 0xFE}, 0x80FF, 0x80FFFFFE, 0xFF80, 0xFEFFFF80},
    {{0x00, 0x00, 0x00, 0x00}, 0, 0, 0, 0},
};

TEST(ByteOrder, ReadsAndWritesEachRowBothWays) {
    for (const Row& r : kRows) {
        EXPECT_EQ(readBe16(r.bytes.data()), r.be16);
        EXPECT_EQ(readBe32(r.bytes.data()), r.be32);
        EXPECT_EQ(readLe16(r.bytes.data()), r.le16);
        EXPECT_EQ(readLe32(r.bytes.data()), r.le32);

        std::array<uint8_t, 4> out{};
        writeBe32(out.data(), r.be32);
        EXPECT_EQ(out, r.bytes);
        writeLe32(out.data(), r.le32);
        EXPECT_EQ(out, r.bytes);
        out.fill(0xAA);
        writeBe16(out.data(), r.be16);
        writeLe16(out.data() + 2, r.le16);
        EXPECT_EQ(out, (std::array<uint8_t, 4>{r.bytes[0], r.bytes[1], r.bytes[0], r.bytes[1]}));

        std::vector<uint8_t> appended = {0xEE};
        appendBe32(appended, r.be32);
        appendBe16(appended, r.be16);
        EXPECT_EQ(appended, (std::vector<uint8_t>{0xEE, r.bytes[0], r.bytes[1], r.bytes[2],
                                                  r.bytes[3], r.bytes[0], r.bytes[1]}));
        EXPECT_EQ(readBe16(appended, 5), r.be16);
        EXPECT_EQ(readBe32(appended, 1), r.be32);
    }
}

} // namespace
} // namespace zeph
