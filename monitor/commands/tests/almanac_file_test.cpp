// The almanac and ephemeris files as Set Almanac and Set Ephemeris read them.

#include "monitor/commands/almanac_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace zeph::monitor {
namespace {

const std::string kHeader =
    "//\n// Almanac Collection Time(UTC): Fri Sep  6 00:00:00 2002\n//\n//\n//\n";

// `lines` data lines of `count` values; line n starts with `first(n)`, the rest are n * 100 + i.
template <class First> std::string dataLines(int lines, int count, First first) {
    std::string text;
    for (int n = 1; n <= lines; ++n) {
        text += std::to_string(first(n));
        for (int i = 1; i < count; ++i) {
            text += (i % 3 == 0 ? " ,\t" : ", ") + std::to_string(n * 100 + i);
        }
        text += "\r\n";
    }
    return text;
}

TEST(AlmanacFile, ReadsBackWhatWasSavedAndRefusesShortFiles) {
    std::istringstream good(kHeader + dataLines(32, 14, [](int n) { return n == 2 ? -5 : n; }));
    const auto words = loadAlmanacFile(good);
    ASSERT_TRUE(words);
    EXPECT_EQ((*words)[0], 1);
    EXPECT_EQ((*words)[14], 0xFFFB); // a signed word
    EXPECT_EQ((*words)[447], 32 * 100 + 13);

    const std::string cases[] = {
        "//\n//\n//\n//\n",                                            // header short
        kHeader + dataLines(31, 14, [](int n) { return n; }),          // a line missing
        kHeader + dataLines(32, 13, [](int n) { return n; }),          // a value missing
        "//\n" + kHeader + dataLines(32, 14, [](int n) { return n; }), // six comment lines
        std::string(100000, '\0'),                                     // no line end at all
    };
    for (const std::string& text : cases) {
        std::istringstream in(text);
        EXPECT_FALSE(loadAlmanacFile(in)) << text.substr(0, 40);
    }
}

TEST(EphemerisFile, SkipsUnknownSatellitesAndKeepsWhatCameBeforeAnError) {
    std::istringstream zero(kHeader + dataLines(32, 45, [](int n) { return n == 3 ? 0 : n; }));
    EphemerisFile f = loadEphemerisFile(zero);
    EXPECT_FALSE(f.formatError);
    ASSERT_EQ(f.satellites.size(), 31u);
    EXPECT_EQ(f.satellites[2][0], 4);
    EXPECT_EQ(f.satellites[30][44], 32 * 100 + 44);

    std::istringstream twenty(kHeader + dataLines(20, 45, [](int n) { return n; }));
    f = loadEphemerisFile(twenty);
    EXPECT_TRUE(f.formatError);
    EXPECT_EQ(f.satellites.size(), 20u);

    std::istringstream shortLine(kHeader + dataLines(5, 45, [](int n) { return n; }) +
                                 dataLines(1, 44, [](int) { return 6; }));
    f = loadEphemerisFile(shortLine);
    EXPECT_TRUE(f.formatError);
    EXPECT_EQ(f.satellites.size(), 5u);
}

} // namespace
} // namespace zeph::monitor
