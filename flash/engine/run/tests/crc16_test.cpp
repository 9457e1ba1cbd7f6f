#include "flash/engine/run/crc16.h"

#include <gtest/gtest.h>

#include <string>

namespace zeph::flash {
namespace {

TEST(Crc16, IsTheReflectedA001CrcAndChainsOverPieces) {
    const std::string check = "123456789";
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(check.data()), 9);
    EXPECT_EQ(Crc16(bytes), 0x4B37);
    EXPECT_EQ(Crc16(bytes.subspan(4), Crc16(bytes.first(4))), 0x4B37);
}

} // namespace
} // namespace zeph::flash
