#include "dashboard/core/gsv_set.h"
#include "dashboard/core/sentence_decoders.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace zeph::dashboard {
namespace {

std::string line(const std::string& sentence) {
    return sentence + "\r\n";
}

const std::string kRmc = line("$GPRMC,123519.000,A,2446.1234,N,12100.5678,E,2.1,123.5,230394,,*11");

TEST(RmcDecode, FillsEveryFieldOfAValidSentence) {
    ReceiverState s;
    EXPECT_TRUE(RMCdecode(s, "noise" + kRmc));
    EXPECT_EQ(s.UtcTime, "123519.000");
    EXPECT_EQ(s.FixStatusText, "Data Valid");
    EXPECT_EQ(s.LatitudeText, "2446.1234       N");
    EXPECT_EQ(s.LongitudeText, "12100.5678     E");
    EXPECT_DOUBLE_EQ(s.SpeedKnots, 2.1);
    EXPECT_EQ(s.CourseDeg, 124);
    EXPECT_EQ(s.DateText, "230394");
}

TEST(RmcDecode, StatusVIsNotValidButThePositionIsStored) {
    ReceiverState s;
    RMCdecode(s, line("$GPRMC,000001.000,V,0100.0000,S,00200.0000,W,0.0,0.0,010100,,*00"));
    EXPECT_EQ(s.FixStatusText, "Data not Valid");
    EXPECT_EQ(s.LatitudeText, "0100.0000       S");
    EXPECT_EQ(s.LongitudeText, "00200.0000     W");
}

TEST(RmcDecode, CourseRoundsHalvesToEvenAndKeepsThePreviousWhenNotDecimal) {
    ReceiverState s;
    RMCdecode(s, line("$GPRMC,1,A,1,N,2,E,2.1,122.5,230394,,*00"));
    EXPECT_EQ(s.CourseDeg, 122);
    RMCdecode(s, line("$GPRMC,1,A,1,N,2,E,3.5,,230394,,*00"));
    EXPECT_EQ(s.CourseDeg, 122) << "an empty course field leaves the previous course";
    EXPECT_DOUBLE_EQ(s.SpeedKnots, 3.5);
    RMCdecode(s, line("$GPRMC,1,A,1,N,2,E,7,90,230394,,*00"));
    EXPECT_DOUBLE_EQ(s.SpeedKnots, 3.5) << "speed without a point is not taken";
    EXPECT_EQ(s.CourseDeg, 122);
}

TEST(RmcDecode, WaitsForTheLineFeedAndKeepsWhatAShortSentenceGave) {
    ReceiverState s;
    EXPECT_FALSE(
        RMCdecode(s, "$GPRMC,123519.000,A,2446.1234,N,12100.5678,E,2.1,123.5,230394,,*11\r"));
    EXPECT_EQ(s.UtcTime, "") << "no line feed yet: nothing decoded";

    EXPECT_FALSE(RMCdecode(s, line("$GPRMC,111111.000,A,2446.1234")));
    EXPECT_EQ(s.UtcTime, "111111.000");
    EXPECT_EQ(s.FixStatusText, "Data Valid");
    EXPECT_EQ(s.LatitudeText, "") << "field 3 has no comma after it";
    EXPECT_EQ(s.CourseDeg, 0);
}

TEST(GsaDecode, DilutionFieldsAndTheShortRemainderRule) {
    ReceiverState s;
    GSAdecode(s, line("$GPGSA,A,3,02,05,07,09,13,16,21,24,26,30,31,,2.1,1.4,1.5*3F"));
    EXPECT_EQ(s.PdopText, "2.1");
    EXPECT_EQ(s.HdopText, "1.4");
    EXPECT_EQ(s.VdopText, "1.5");

    // "9*3F\r" is shorter than 7 characters: VDOP stays.
    GSAdecode(s, line("$GPGSA,A,3,02,05,07,09,13,16,21,24,26,30,31,,3.0,2.0,9*3F"));
    EXPECT_EQ(s.PdopText, "3.0");
    EXPECT_EQ(s.HdopText, "2.0");
    EXPECT_EQ(s.VdopText, "1.5");
}

TEST(GgaDecode, FixQualityAndAltitude) {
    ReceiverState s;
    GGAdecode(s,
              line("$GPGGA,000000.000,3724.0000,N,12205.9400,W,2,11,1.4,35.0,M,-25.7,M,,0000*5B"));
    EXPECT_EQ(s.FixQuality, 2);
    EXPECT_EQ(s.AltitudeText, "35.0");

    GGAdecode(s,
              line("$GPGGA,000000.000,3724.0000,N,12205.9400,W,,11,1.4,99.0,M,-25.7,M,,0000*5B"));
    EXPECT_EQ(s.FixQuality, 2) << "a fix quality that is not a number stops the decoder";
    EXPECT_EQ(s.AltitudeText, "35.0");
}

TEST(PositionSentences, GnTalkerIsTakenLikeGpAndTheFirstSentenceWins) {
    ReceiverState s;
    const std::string gn =
        line("$GNGSA,A,3,80,71,73,79,69,,,,,,,,1.83,1.09,1.47*17") +
        line("$GNGGA,092725.00,4717.11399,N,00833.91590,E,1,08,1.01,499.6,M,48.0,M,,*5B") +
        line("$GNRMC,092725.00,A,4717.11399,N,00833.91590,E,0.004,77.52,091202,,,A*57");
    EXPECT_TRUE(RMCdecode(s, gn));
    GSAdecode(s, gn);
    GGAdecode(s, gn);
    EXPECT_EQ(s.UtcTime, "092725.00");
    EXPECT_EQ(s.LatitudeText, "4717.11399       N");
    EXPECT_EQ(s.PdopText, "1.83");
    EXPECT_EQ(s.VdopText, "1.47");
    EXPECT_EQ(s.AltitudeText, "499.6");

    RMCdecode(s,
              line("$GPRMC,1,A,1,N,2,E,,,010101,,*00") + line("$GNRMC,2,A,1,N,2,E,,,020202,,*00"));
    EXPECT_EQ(s.UtcTime, "1");
    RMCdecode(s, line("$GNRMC,3,A,1,N,2,E,,,030303,,*00") + "$GPRMC,4,A,1,N,2,E,,,040404,,*00");
    EXPECT_EQ(s.UtcTime, "3") << "a sentence without its line end yet is passed over";
    RMCdecode(s, line("$GLRMC,5,A,1,N,2,E,,,050505,,*00"));
    EXPECT_EQ(s.UtcTime, "3") << "other talkers are not position sentences";
}

// Three messages of 11 satellites, the last SNR empty.
const std::string kGsv1 =
    line("$GPGSV,3,1,11,02,45,040,39,05,63,110,42,07,80,200,46,09,87,300,47*79");
const std::string kGsv2 =
    line("$GPGSV,3,2,11,13,77,015,45,16,69,250,43,21,37,160,37,24,11,080,32*7C");
const std::string kGsv3 = line("$GPGSV,3,3,11,26,00,330,30,30,00,270,30,31,10,120,*4A");

std::string noEnd(const std::string& l) {
    return l.substr(0, l.size() - 1); // stored up to its carriage return
}

TEST(GsvHeader, ReadsNumberAndTotal) {
    const GsvHeader h = GSVheader("$GPGSV, 3, 2,11,13\r");
    EXPECT_EQ(h.number, 2);
    EXPECT_EQ(h.total, 3);
}

// Text fed to the collector in pieces, and the set it then has ready (none: total 0).
struct CollectCase {
    const char* what;
    std::vector<std::string> feeds;
    int16_t total;
    std::array<std::string, 3> lines;
};

TEST(GsvCollector, AssemblesSetsHoweverTheTextIsCut) {
    const std::string four = line("$GPGSV,4,1,16,1,2,3,4*00") + line("$GPGSV,4,2,16,5,6,7,8*00") +
                             line("$GPGSV,4,3,16,9,1,2,3*00") + line("$GPGSV,4,4,16,4,5,6,7*00");
    std::vector<std::string> bytes;
    for (const char c : kGsv1 + kGsv2 + kGsv3) {
        bytes.emplace_back(1, c);
    }
    const std::vector<CollectCase> cases = {
        {"one message",
         {line("$GPGSV,1,1,02,05,63,110,42*00")},
         1,
         {"$GPGSV,1,1,02,05,63,110,42*00\r"}},
        {"three messages", {kGsv1 + kGsv2 + kGsv3}, 3, {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)}},
        {"one byte a read", bytes, 3, {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)}},
        {"four messages keep three",
         {four},
         4,
         {"$GPGSV,4,1,16,1,2,3,4*00\r", "$GPGSV,4,2,16,5,6,7,8*00\r",
          "$GPGSV,4,3,16,9,1,2,3*00\r"}},
        {"a late message 2 waits for message 1",
         {kGsv2 + kGsv1, kGsv2 + kGsv3},
         3,
         {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)}},
        {"a lost message drops the set", {kGsv1 + kGsv3}, 0, {}},
        {"the next set after a loss",
         {kGsv1 + kGsv3, kGsv1, kGsv2, kGsv3},
         3,
         {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)}},
        {"no line feed yet", {kGsv1 + kGsv2 + noEnd(kGsv3) + "\r"}, 0, {}},
        {"noise and other talkers around it",
         {std::string("\x01\xff$GLGSV,1,1,01,70,1,2,3*00\r\n") + "junk" + kGsv1 + kGsv2, kGsv3},
         3,
         {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)}},
        {"an endless line is dropped",
         {std::string(3000, 'x') + "$GPGSV,1,1,01,05,1,2,3*00\r\n"},
         0,
         {}},
        {"a number that is no number drops the set",
         {kGsv1 + line("$GPGSV,3,x,11,13,77,015,45*00") + kGsv3},
         0,
         {}},
    };
    for (const CollectCase& c : cases) {
        GsvCollector collector;
        for (const std::string& text : c.feeds) {
            collector.feed(text);
        }
        const std::optional<GsvSet> set = collector.take();
        EXPECT_EQ(set ? set->total : 0, c.total) << c.what;
        if (set) {
            EXPECT_EQ(set->lines, c.lines) << c.what;
        }
        EXPECT_FALSE(collector.take()) << c.what << ": a set is taken once";
    }
}

TEST(GsvCollector, TheNewestOfSeveralSetsIsTaken) {
    GsvCollector collector;
    collector.feed(line("$GPGSV,1,1,01,05,63,110,42*00") + line("$GPGSV,1,1,01,07,80,200,46*00"));
    const std::optional<GsvSet> set = collector.take();
    ASSERT_TRUE(set);
    EXPECT_EQ(set->lines[0], "$GPGSV,1,1,01,07,80,200,46*00\r");
}

TEST(GsvDecode, FillsRowsAcrossMessagesAndLeavesAnEmptySnrAtZero) {
    const std::array<std::string, 3> lines = {noEnd(kGsv1), noEnd(kGsv2), noEnd(kGsv3)};
    SatTable sat{};
    sat[11][3] = 99; // cleared by the decode
    int16_t inView = 0;
    decodeGsvSet(lines, 3, sat, inView);
    EXPECT_EQ(inView, 11);
    EXPECT_EQ(sat[0], (std::array<int16_t, 4>{2, 45, 40, 39}));
    EXPECT_EQ(sat[3], (std::array<int16_t, 4>{9, 87, 300, 47}));
    EXPECT_EQ(sat[4], (std::array<int16_t, 4>{13, 77, 15, 45}));
    EXPECT_EQ(sat[10], (std::array<int16_t, 4>{31, 10, 120, 0}));
    EXPECT_EQ(sat[11], (std::array<int16_t, 4>{0, 0, 0, 0}));
}

TEST(GsvDecode, SkipsBadFieldsAndKeepsSatsInView) {
    std::array<std::string, kGsvSlots> slots{"$GPGSV,1,1,xx,05,abc,110,42,07,80,,46*00\r"};
    SatTable sat{};
    int16_t inView = 7;
    decodeGsvSet(slots, 1, sat, inView);
    EXPECT_EQ(inView, 7);
    EXPECT_EQ(sat[0], (std::array<int16_t, 4>{5, 0, 110, 42}));
    EXPECT_EQ(sat[1], (std::array<int16_t, 4>{7, 80, 0, 46}));
}

} // namespace
} // namespace zeph::dashboard
