#include "common/text/strprintf.h"

#include <gtest/gtest.h>

#include <string>

namespace zeph {
namespace {

TEST(Strprintf, FormatsLikePrintfAndGrowsPastAnyFixedBuffer) {
    EXPECT_EQ(strprintf("Comm: Msg 0x%02X bad chksum: %02X %02X", 0x29, 0x12, 0xAB),
              "Comm: Msg 0x29 bad chksum: 12 AB");
    const std::string longText(5000, 'x');
    EXPECT_EQ(strprintf("<%s>", longText.c_str()).size(), 5002u);
    EXPECT_EQ(strprintf("%s", ""), "");
}

TEST(Strprintf, LongFormatsSeeThirtyTwoBitValues) {
    const uint32_t allOnes = 0xFFFFFFFFu;
    EXPECT_EQ(strprintf("%ld", asLong(allOnes)), "-1");
    EXPECT_EQ(strprintf("%lx", asULong(allOnes)), "ffffffff");
    EXPECT_EQ(strprintf("%lu", asULong(int32_t{-2})), "4294967294");
    EXPECT_EQ(strprintf("%ld", asLong(int32_t{-7})), "-7");
}

} // namespace
} // namespace zeph
