// The line rule of the text views: splitting, the 300-line limit and what a display follows.

#include "monitor/views/text_list.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

using Lines = std::vector<std::string>;

TEST(TextList, SplitsAtEachLineEnd) {
    EXPECT_EQ(TextList::split("one\ntwo"), Lines({"one", "two"}));
    // A closing line end starts no blank line; an empty line in between shows as a blank.
    EXPECT_EQ(TextList::split("one\n\ntwo\n"), Lines({"one", " ", "two"}));
    EXPECT_EQ(TextList::split("\n"), Lines({" "}));
    EXPECT_EQ(TextList::split(""), Lines());
}

TEST(TextList, KeepsTheNewestThreeHundredLines) {
    TextList list;
    for (int k = 1; k <= 300; ++k) {
        ASSERT_EQ(list.add("line " + std::to_string(k) + "\n").dropped, 0u);
    }
    const TextList::Change c = list.add("line 301\nline 302");
    EXPECT_EQ(c.dropped, 2u);
    EXPECT_EQ(c.added, Lines({"line 301", "line 302"}));
    EXPECT_EQ(list.lines().size(), 300u);
    EXPECT_EQ(list.lines().front(), "line 3");

    // Of a text longer than the list only its last lines survive, and only they are appended.
    std::string text;
    for (int k = 1; k <= 305; ++k) {
        text += "new " + std::to_string(k) + "\n";
    }
    const TextList::Change big = list.add(text);
    EXPECT_EQ(big.dropped, 300u);
    ASSERT_EQ(big.added.size(), 300u);
    EXPECT_EQ(big.added.front(), "new 6");
    EXPECT_EQ(Lines(list.lines().begin(), list.lines().end()), big.added);

    list.clear();
    EXPECT_EQ(list.add("again").dropped, 0u);
    EXPECT_EQ(list.lines().size(), 1u);
}

} // namespace
} // namespace zeph::monitor
