// The almanac and ephemeris files as Set Almanac and Set Ephemeris read them.

#include "monitor/commands/almanac_file.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        kHeader + dataLines(2, 14, [](int n) { return n; }) + "3, " + std::string(1, '\0') +
            dataLines(30, 14, [](int n) { return n; }).substr(2), // a line ending at a NUL
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

    // Satellite numbers are judged as written: 65537 and -65535 are no satellite 1.
    std::istringstream wrapped(kHeader + dataLines(32, 45, [](int n) {
                                   return n == 1 ? 65537 : n == 2 ? -65535 : n;
                               }));
    f = loadEphemerisFile(wrapped);
    ASSERT_EQ(f.satellites.size(), 30u);
    EXPECT_EQ(f.satellites[0][0], 3);

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

// What a collection saves is what Set Almanac and Set Ephemeris send back, word for word.
TEST(CollectionFile, SavedTablesLoadBackIntoTheSameWords) {
    AlmanacTable almanac{};
    EphemerisTable ephemeris{};
    for (int sv = 0; sv < kSatellites; ++sv) {
        for (int k = 0; k < kAlmanacWords; ++k) {
            almanac[sv][k] = static_cast<uint16_t>(sv * 2011 + k * 4099); // many above 0x7FFF
        }
        for (int k = 0; k < kEphemerisWords; ++k) {
            ephemeris[sv][k] = static_cast<uint16_t>(k == 0 ? sv + 1 : sv * 977 + k * 1543);
        }
    }
    const std::time_t sept6 = 1031270400 + 3661; // Fri Sep  6 01:01:01 2002 UTC
    const std::string almanacText = almanacFileText(almanac, sept6);
    EXPECT_TRUE(almanacText.starts_with("//\n// Almanac Collection Time(UTC): "
                                        "Fri Sep  6 01:01:01 2002\n//\n//\n//\n0, 4099, 8198, "))
        << almanacText.substr(0, 120);
    EXPECT_NE(almanacText.find("\n2011, 6110, 10209, 14308, 18407, 22506, 26605, 30704, -30733, "),
              std::string::npos);
    EXPECT_TRUE(ephemerisFileText(ephemeris, sept6)
                    .starts_with("//\n// Ephemeris Collection Time(UTC): Fri Sep  6 01:01:01 "
                                 "2002\n//\n//\n//\n1, 1543, 3086, "));

    std::istringstream almanacIn(almanacText);
    const auto words = loadAlmanacFile(almanacIn);
    ASSERT_TRUE(words);
    for (int i = 0; i < 448; ++i) {
        ASSERT_EQ((*words)[i], almanac[i / kAlmanacWords][i % kAlmanacWords]) << i;
    }
    std::istringstream ephemerisIn(ephemerisFileText(ephemeris, sept6));
    const EphemerisFile file = loadEphemerisFile(ephemerisIn);
    EXPECT_FALSE(file.formatError);
    ASSERT_EQ(file.satellites.size(), 32u);
    for (int sv = 0; sv < kSatellites; ++sv) {
        EXPECT_TRUE(std::equal(file.satellites[sv].begin(), file.satellites[sv].end(),
                               ephemeris[sv].begin()))
            << sv;
    }
    EXPECT_EQ(asctimeText(0), "Thu Jan  1 00:00:00 1970\n");
}

// A line is read 896 characters at a time: a longer header line counts as two.
TEST(CollectionFile, AHeaderLineLongerThanTheLineBufferCountsTwice) {
    const std::string data = dataLines(32, 14, [](int n) { return n; });
    std::istringstream fits(std::string(895, '/') + "\n//\n//\n//\n//\n" + data);
    EXPECT_TRUE(loadAlmanacFile(fits));
    std::istringstream splits(std::string(896, '/') + "\n//\n//\n//\n//\n" + data);
    EXPECT_FALSE(loadAlmanacFile(splits));
}

} // namespace
} // namespace zeph::monitor
