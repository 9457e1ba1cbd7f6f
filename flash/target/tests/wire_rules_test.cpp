#include "flash/target/wire_rules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zeph::flashsim {
namespace {

TEST(Crc16, MatchesTheCheckValueAndTheTableEntryForOne) {
    const char* text = "123456789";
    EXPECT_EQ(crc16(reinterpret_cast<const uint8_t*>(text), 9, 0xFFFF), 0x4B37);
    const uint8_t one = 0x01;
    EXPECT_EQ(crc16(&one, 1, 0x0000), 0xC0C1); // table[1] of the reflected polynomial
}

TEST(Crc16, ContinuesAcrossPiecesAndNeedsNoFinalXor) {
    const char* text = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    EXPECT_EQ(crc16(bytes + 4, 5, crc16(bytes, 4, 0xFFFF)), 0x4B37);
    EXPECT_EQ(crc16(bytes, 0, 0x1234), 0x1234);
}

TEST(PacketChecksum, WholePacketSumsToZero) {
    const Bytes packet = framePacket({0x37, 0x21});
    ASSERT_EQ(packet, (Bytes{0x00, 0x02, 0x37, 0x21, 0xA6}));
    EXPECT_EQ(negatedSum(packet.data(), packet.size()), 0);
    const uint8_t zeros[3] = {};
    EXPECT_EQ(negatedSum(zeros, 3), 0);
}

TEST(PacketChecksum, LengthCountsPayloadOnlyBigEndian) {
    const Bytes packet = framePacket(Bytes(0x129, 0xFF));
    EXPECT_EQ(packet[0], 0x01);
    EXPECT_EQ(packet[1], 0x29);
    EXPECT_EQ(packet.size(), 0x129u + 3);
}

} // namespace
} // namespace zeph::flashsim
