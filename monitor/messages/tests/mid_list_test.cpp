#include "monitor/messages/mid_list.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

TEST(MidList, NumbersAndRanges) {
    const auto selected = parseMidList("1-3,41,255");
    ASSERT_TRUE(selected);
    const std::string msgs = selectionString(*selected);
    EXPECT_EQ(msgs.size(), 256u);
    EXPECT_EQ(msgs.substr(0, 5), "01110");
    EXPECT_EQ(msgs[41], '1');
    EXPECT_EQ(msgs[40], '0');
    EXPECT_EQ(msgs[255], '1');
    EXPECT_EQ(selectionString(*parseMidList("0-255")), std::string(256, '1'));
}

TEST(MidList, RefusesAnythingElse) {
    for (const char* bad :
         {"", ",", "1,", ",1", "1,,2", "3-1", "256", "-1", "1-", "a", "1 ", "0x10"}) {
        EXPECT_FALSE(parseMidList(bad)) << '"' << bad << '"';
    }
}

} // namespace
} // namespace zeph::monitor
