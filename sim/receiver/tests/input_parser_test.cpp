#include "sim/receiver/input_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeph::sim::testing {
namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A poll for the software version as the client sends it, byte by byte from the frame rules.
const Bytes kVersionPoll = {0xA0, 0xA2, 0x00, 0x02, 0x84, 0x00, 0x00, 0x84, 0xB0, 0xB3};
// What a client's NMEA sender writes: a leading CR LF, then the sentence.
const std::string kToBinary = "\r\n$ZUVE100,0,38400,8,1,0*37\r\n";

class InputParserTest : public ::testing::Test {
protected:
    std::vector<InputMessage> feed(const Bytes& bytes) {
        return parser.feed(bytes.data(), bytes.size());
    }
    InputParser parser;
};

TEST_F(InputParserTest, FrameSplitAnywhereIsStillOneCommand) {
    const Bytes stream = kVersionPoll + frame(PayloadWriter(139).u16(50).u16(75));
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        InputParser p;
        std::vector<InputMessage> got = p.feed(stream.data(), cut);
        const std::vector<InputMessage> rest = p.feed(stream.data() + cut, stream.size() - cut);
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(got.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(got[0].payload, (Bytes{0x84, 0x00}));
        EXPECT_EQ(got[1].payload, (Bytes{139, 0, 50, 0, 75}));
        EXPECT_EQ(p.rejects().messages(), 0u);
    }
}

TEST_F(InputParserTest, SentenceOneByteAtATime) {
    std::vector<InputMessage> got;
    for (char c : kToBinary) {
        const uint8_t b = static_cast<uint8_t>(c);
        for (InputMessage& m : parser.feed(&b, 1)) {
            got.push_back(m);
        }
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, InputMessage::Kind::Sentence);
    EXPECT_EQ(got[0].body, "ZUVE100,0,38400,8,1,0");
    EXPECT_EQ(parser.rejects().strayBytes, 2u); // the leading CR LF
}

TEST_F(InputParserTest, SentenceAndFrameBackToBack) {
    const auto got = feed(bytesOf(kToBinary) + kVersionPoll + bytesOf("$ZUVE105,01*05\r\n"));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].body, "ZUVE100,0,38400,8,1,0");
    EXPECT_EQ(got[1].payload, (Bytes{0x84, 0x00}));
    EXPECT_EQ(got[2].body, "ZUVE105,01");
}

TEST_F(InputParserTest, ChecksumDigitsMayBeLowerCase) {
    EXPECT_EQ(feed(bytesOf("$ZUVE103,00,00,01,01*2e\r\n")).size(), 1u);
}

TEST_F(InputParserTest, BrokenFramesAreDroppedAndTheNextOneIsFound) {
    Bytes badSum = kVersionPoll;
    badSum[7] = 0x85;
    Bytes badTail = kVersionPoll;
    badTail[9] = 0xB4;
    const Bytes tooLong = {0xA0, 0xA2, 0x04, 0x00, 0x84};
    const Bytes empty = {0xA0, 0xA2, 0x00, 0x00};
    // A frame cut short by the start of the next one: its tail is missing.
    const Bytes cutShort(kVersionPoll.begin(), kVersionPoll.end() - 2);

    const auto got = feed(badSum + kVersionPoll + badTail + kVersionPoll + tooLong + empty +
                          kVersionPoll + cutShort + kVersionPoll);
    EXPECT_EQ(got.size(), 4u);
    for (const InputMessage& m : got) {
        EXPECT_EQ(m.payload, (Bytes{0x84, 0x00}));
    }
    EXPECT_EQ(parser.rejects().badChecksums, 1u);
    EXPECT_EQ(parser.rejects().badTails, 2u);
    EXPECT_EQ(parser.rejects().badLengths, 2u);
}

TEST_F(InputParserTest, BadSentencesAreRejected) {
    const auto got = feed(bytesOf("$ZUVE100,0,38400,8,1,0*38\r\n" // wrong checksum
                                  "$ZUVE100,0,38400,8,1,0\r\n"    // no checksum
                                  "$ZUVE100,0,38400,8,1,0*3\r\n"  // one digit
                                  "$ZUVE100,0,3\x07"
                                  "8400,8,1,0*3C\r\n"            // control byte
                                  "$ZUVE100,0,38400,8,1,0*37\rX" // CR without LF
                                  "$ZUVE1$ZUVE105,01*05\r\n"));  // restarted by '$'
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].body, "ZUVE105,01");
    EXPECT_EQ(parser.rejects().badChecksums, 1u);
    EXPECT_EQ(parser.rejects().badTails, 1u);
    EXPECT_EQ(parser.rejects().badSentences, 4u);
}

TEST_F(InputParserTest, FrameStartEndsABrokenSentence) {
    const auto got = feed(bytesOf("$ZUVE100,0,38") + kVersionPoll);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, (Bytes{0x84, 0x00}));
}

TEST_F(InputParserTest, OverlongSentenceIsDropped) {
    const std::string body(kMaxSentenceBody + 1, 'A');
    EXPECT_TRUE(feed(bytesOf(sentence(body))).empty());
    EXPECT_EQ(parser.rejects().badSentences, 1u);
    EXPECT_EQ(feed(bytesOf(sentence("ZUVE105,01"))).size(), 1u);
}

TEST_F(InputParserTest, ResetDropsAPartMessage) {
    feed(Bytes(kVersionPoll.begin(), kVersionPoll.begin() + 5));
    parser.reset();
    EXPECT_TRUE(feed(Bytes(kVersionPoll.begin() + 5, kVersionPoll.end())).empty());
    EXPECT_EQ(feed(kVersionPoll).size(), 1u);
}

} // namespace
} // namespace zeph::sim::testing
