#include "dashboard/core/nmea_text.h"

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

TEST(FieldSteps, CutAndSkipAtTheEndOfTheText) {
    EXPECT_EQ(cutField("a,b"), "a");
    EXPECT_EQ(cutField(",b"), "");
    EXPECT_EQ(cutField("last"), std::nullopt) << "no comma left: the field cannot be cut";

    std::string t = "a,b,c";
    skipField(t, 2);
    EXPECT_EQ(t, "c");
    skipField(t);
    EXPECT_EQ(t, "c") << "without a comma the text stays as it is";

    std::string u = "x,";
    EXPECT_EQ(takeField(u), "x");
    EXPECT_EQ(u, "");
    EXPECT_EQ(takeField(u), std::nullopt);
}

TEST(LikePattern, WildcardsDigitsAndLineFeeds) {
    const std::string rmc = std::string("*$GPRMC*") + '\n' + "*";
    EXPECT_TRUE(likePattern("xx$GPRMC,1\r\n", rmc));
    EXPECT_TRUE(likePattern("$GPRMC\n", rmc));
    EXPECT_FALSE(likePattern("\n$GPRMC,1\r", rmc)) << "the line feed must come after the name";
    EXPECT_FALSE(likePattern("$GPGGA,1\r\n", rmc));

    EXPECT_TRUE(likePattern("123.5", "*#.#*"));
    EXPECT_TRUE(likePattern("0.0", "*#.#*"));
    EXPECT_FALSE(likePattern("123.", "*#.#*"));
    EXPECT_FALSE(likePattern(".5", "*#.#*"));
    EXPECT_FALSE(likePattern("", "*#.#*"));
    EXPECT_TRUE(likePattern("123519.000", "*#####.###*"));
    EXPECT_FALSE(likePattern("1235.000", "*#####.###*"));
    EXPECT_TRUE(likePattern("ab", "a?"));
    EXPECT_FALSE(likePattern("abc", "a?"));
}

TEST(Numbers, WholeNumbersAndRounding) {
    EXPECT_EQ(toInt16(" 07 "), 7);
    EXPECT_EQ(toInt16("-25"), -25);
    EXPECT_EQ(toInt16(""), std::nullopt);
    EXPECT_EQ(toInt16("  "), std::nullopt);
    EXPECT_EQ(toInt16("4x"), std::nullopt);
    EXPECT_EQ(toInt16("40000"), std::nullopt);

    EXPECT_EQ(roundHalfEven16(123.5), 124);
    EXPECT_EQ(roundHalfEven16(122.5), 122);
    EXPECT_EQ(roundHalfEven16(122.51), 123);
    EXPECT_EQ(roundHalfEven16(-0.5), 0);
    EXPECT_EQ(roundHalfEven16(40000.0), std::nullopt);

    EXPECT_EQ(leadingNumber("2.1"), 2.1);
    EXPECT_EQ(leadingNumber(" 2.1x"), 2.1);
    EXPECT_EQ(leadingNumber("x"), std::nullopt);
}

} // namespace
} // namespace zeph::dashboard
