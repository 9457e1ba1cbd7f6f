#include "dashboard/core/received_sentences.h"

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

TEST(ReceivedSentences, CountsWholeSentencesWithAGoodChecksumOnly) {
    struct Case {
        const char* what;
        std::string text;
        uint64_t counted;
        uint64_t rejected;
    };
    const Case cases[] = {
        {"two sentences", kGga + kRmc, 2, 0},
        {"lower-case checksum, bare line feed",
         "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,"
         "084.4,230394,003.1,W*6a\n",
         1, 0},
        {"wrong checksum", "$GPGSV,1,1,00*78\r\n", 0, 1},
        {"checksum digit not hex", "$GPGSV,1,1,00*7G\r\n", 0, 1},
        {"no checksum", "$GPGSV,1,1,00\r\n", 0, 1},
        {"text after the checksum", "$GPGSV,1,1,00*79x\r\n", 0, 1},
        {"noise before the dollar", "\x01$GPGSV,1,1,00*79\r\n", 0, 1},
        {"blank lines are not sentences", "\r\n\n", 0, 0},
        {"a line without its end is not yet counted", kGga + "$GPGSV,1,1,00*79", 1, 0},
        {"over-long line", "$GPGSV," + std::string(300, '1') + "*00\r\n" + kGga, 1, 1},
    };
    for (const Case& c : cases) {
        ReceivedSentences tally;
        tally.feed(c.text);
        EXPECT_EQ(tally.total(), c.counted) << c.what;
        EXPECT_EQ(tally.rejected(), c.rejected) << c.what;
    }
}

TEST(ReceivedSentences, ThePiecesTheTextArrivesInDoNotMatter) {
    const std::string text = kGga + "$PZEV,1*04\r\n" + kRmc + kGga;
    for (std::size_t size = 1; size <= text.size(); ++size) {
        ReceivedSentences tally;
        for (std::size_t at = 0; at < text.size(); at += size) {
            tally.feed(std::string_view(text).substr(at, size));
        }
        EXPECT_EQ(tally.report(),
                  "Sentence GGA: 2\nSentence PZEV: 1\nSentence RMC: 1\nRejected sentences: 0\n")
            << "pieces of " << size;
    }
}

} // namespace
} // namespace zeph::dashboard
