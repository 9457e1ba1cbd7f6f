#include "monitor/link/stream_parser.h"

#include "monitor/link/testing/link_fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor::testing {
namespace {

using Lines = std::vector<std::string>;

class StreamParserTest : public ::testing::Test {
protected:
    void feed(const Bytes& bytes) { parser.process(bytes.data(), bytes.size()); }
    // A good frame first: errors are reported only on a synchronised link.
    void synchronise() {
        feed(frameOf(kAckPayload));
        ASSERT_TRUE(parser.synchronised());
        h.events.calls.clear();
        h.sink.messages.clear();
    }

    LinkHarness h;
    RecordingSender sender;
    StreamParser parser{h.context(), h.msg, nullptr, &sender};
};

TEST_F(StreamParserTest, GoodFrameIsDecodedHandedOnAndSynchronises) {
    EXPECT_FALSE(parser.synchronised());
    feed(frameOf(kAckPayload));

    ASSERT_EQ(h.sink.mids(), (std::vector<uint8_t>{11}));
    EXPECT_EQ(h.sink.messages[0].record[1], 0x85); // the acknowledged MID
    EXPECT_TRUE(parser.synchronised());
    EXPECT_TRUE(h.state.dataReceived);
    EXPECT_EQ(parser.state(), 0);
    EXPECT_TRUE(h.events.calls.empty());
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(StreamParserTest, ChecksumIsTheFullSixteenBitSum) {
    // 4 + 400 * 0xFF = 102004, which is 0x8E74 modulo 65536: above 65535 and with bit 15 set.
    Bytes payload(401, 0xFF);
    payload[0] = 4;
    feed(frameOf(payload));
    EXPECT_EQ(h.sink.mids(), (std::vector<uint8_t>{4}));
    EXPECT_TRUE(h.events.calls.empty());

    // The same sum with bit 15 masked off is a mismatch.
    feed(frameOf(payload, -0x8000));
    EXPECT_EQ(h.sink.messages.size(), 1u);
    EXPECT_EQ(h.events.reports(), (Lines{"Comm: Msg 0x04 bad chksum: 0E 74",
                                         "Comm: Unknown char: B0", "Comm: Unknown char: B3"}));
}

TEST_F(StreamParserTest, LongestFrameIsAccepted) {
    Bytes payload(0x3F0, 0x20);
    payload[0] = 4;
    feed(frameOf(payload));
    EXPECT_EQ(h.sink.mids(), (std::vector<uint8_t>{4}));
    EXPECT_TRUE(h.events.calls.empty());
}

TEST_F(StreamParserTest, ZeroLengthFrameIsNeverAccepted) {
    synchronise();
    // The payload phase takes the checksum's high byte, so the checksum reads 00 B0.
    feed(frameOf({}));
    EXPECT_TRUE(h.sink.messages.empty());
    EXPECT_EQ(h.events.reports(),
              (Lines{"Comm: Msg 0x00 bad chksum: 00 B0", "Comm: Unknown char: B3"}));
}

TEST_F(StreamParserTest, NoiseBeforeTheFirstMessageIsNotReported) {
    const Bytes noise = Bytes{0x11, 0xA0, 0x55, 0xA0, 0xA2, 0x04, 0x00} + frameOf(kAckPayload, 1) +
                        bytesOf("$AB\x01$CD\r\x0B$") + Bytes(1100, 'x');
    feed(noise);
    EXPECT_FALSE(parser.synchronised());
    EXPECT_TRUE(h.events.calls.empty());
    EXPECT_TRUE(h.sink.messages.empty());
    EXPECT_FALSE(h.state.dataReceived);
}

TEST_F(StreamParserTest, TailErrorsAreReportedAndDoNotWithdrawTheMessage) {
    Bytes badTail1 = frameOf(kAckPayload);
    badTail1[badTail1.size() - 2] = 0xB1;
    feed(badTail1);
    EXPECT_EQ(h.events.reports(),
              (Lines{"Comm: Msg 0x0B bad tail sync: B1", "Comm: Unknown char: B3"}));

    h.events.calls.clear();
    Bytes badTail2 = frameOf({9, 1, 2, 3, 4, 5, 6, 7, 8});
    badTail2.back() = 0xB4;
    feed(badTail2);
    EXPECT_EQ(h.events.reports(), (Lines{"Comm: Msg 0x09 bad tail sync: B0 B4"}));
    EXPECT_EQ(h.sink.mids(), (std::vector<uint8_t>{11, 9}));
}

struct ErrorCase {
    const char* name;
    Bytes input;
    Lines reports;
};

class StreamParserErrors : public StreamParserTest,
                           public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(StreamParserErrors, AreReportedOnceSynchronised) {
    synchronise();
    feed(GetParam().input);
    EXPECT_EQ(h.events.reports(), GetParam().reports);
    EXPECT_TRUE(h.sink.messages.empty());
    EXPECT_EQ(parser.state(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamParserErrors,
    ::testing::Values(
        ErrorCase{"StrayBytes", {0x11, 0x00}, {"Comm: Unknown char: 11", "Comm: Unknown char: 00"}},
        ErrorCase{"SyncWithoutSecond", {0xA0, 0x55}, {"Comm: Unknown chars: A0 55"}},
        // A second A0 is not a new start; the A2 after it is a stray byte.
        ErrorCase{"DoubledSync",
                  {0xA0, 0xA0, 0xA2},
                  {"Comm: Unknown chars: A0 A0", "Comm: Unknown char: A2"}},
        ErrorCase{"LengthTooLong", {0xA0, 0xA2, 0x03, 0xF1}, {"Comm: Msg len > 03F0: 03 F1"}},
        ErrorCase{"BadChecksumThenTailAsStrayBytes",
                  frameOf({0x29, 0x01}, 0x1234),
                  {"Comm: Msg 0x29 bad chksum: 12 5E", "Comm: Unknown char: B0",
                   "Comm: Unknown char: B3"}},
        ErrorCase{
            "ControlCharInSentence", bytesOf("$AB\x01"), {"Comm: Unknown chars: 24 41 42 01"}},
        ErrorCase{"SecondDollarInSentence", bytesOf("$AB$"), {"Comm: Unknown chars: 24 41 42 24"}},
        ErrorCase{"SyncByteInSentence",
                  bytesOf("$A") + Bytes{0xA0, 0xA2},
                  {"Comm: Unknown chars: 24 41 A0", "Comm: Unknown char: A2"}},
        ErrorCase{"CrWithoutLf", bytesOf("$AB\r\r"), {"Comm: NMEA bad tail sync: 24 41 42 0D 0D"}}),
    [](const auto& row) { return std::string(row.param.name); });

std::string hexDump(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", static_cast<uint8_t>(c));
        out += hex;
    }
    return out;
}

TEST_F(StreamParserTest, DumpLineEndsOnlyOncePastOneHundredCharacters) {
    synchronise();
    // 20 + 27 * 3 = 101 characters: one line and no empty remainder.
    const std::string control = "$" + std::string(25, 'Q') + "\x7F";
    feed(bytesOf(control));
    EXPECT_EQ(h.events.reports(), (Lines{"Comm: Unknown chars:" + hexDump(control)}));

    // 25 + 25 * 3 is exactly 100 and does not end the line; the 26th byte does.
    h.events.calls.clear();
    const std::string badTail = "$" + std::string(23, 'Q') + "\r\r";
    feed(bytesOf(badTail));
    const Lines lines = h.events.reports();
    EXPECT_EQ(lines, (Lines{"Comm: NMEA bad tail sync:" + hexDump(badTail)}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 103u);
}

TEST_F(StreamParserTest, StrayByteAfterASentence) {
    synchronise();
    feed(bytesOf("$A\r\nx"));
    EXPECT_EQ(h.events.reports(), (Lines{"Comm: NMEA unknown char: 78"}));
    EXPECT_EQ(h.sink.messages.size(), 1u);
}

TEST_F(StreamParserTest, SentenceIsStoredAsTextAndEndsAutoDetection) {
    h.state.autoDetect = true;
    feed(bytesOf("$GPXYZ,1,2*3C\r\n"));
    ASSERT_EQ(h.sink.messages.size(), 1u);
    EXPECT_EQ(h.sink.messages[0].mid, 255);
    EXPECT_EQ(h.sink.messages[0].text, "$GPXYZ,1,2*3C");
    EXPECT_TRUE(parser.synchronised());
    EXPECT_TRUE(h.state.dataReceived);
    EXPECT_FALSE(h.state.autoDetect);
    EXPECT_EQ(parser.state(), 9);
}

TEST_F(StreamParserTest, MessagesBackToBackInEitherProtocol) {
    feed(frameOf(kAckPayload) + frameOf({9, 1, 2, 3, 4, 5, 6, 7, 8}) + bytesOf("$AB\r\n") +
         bytesOf("$CD\r\n") + frameOf({11, 0x86, 0}));
    EXPECT_EQ(h.sink.mids(), (std::vector<uint8_t>{11, 9, 255, 255, 11}));
    EXPECT_EQ(h.sink.messages[3].text, "$CD");
    EXPECT_TRUE(h.events.calls.empty());
}

TEST_F(StreamParserTest, DollarInsideAPayloadIsPayload) {
    feed(frameOf({255, '$', 'A', '\r', '\n'}));
    ASSERT_EQ(h.sink.mids(), (std::vector<uint8_t>{255}));
    EXPECT_TRUE(h.events.calls.empty());
}

TEST_F(StreamParserTest, SentenceLengthLimit) {
    synchronise();
    const std::string longest = "$" + std::string(0x3F0, 'N');
    feed(bytesOf(longest + "\r\n"));
    ASSERT_EQ(h.sink.messages.size(), 1u);
    EXPECT_EQ(h.sink.messages[0].text, longest);
    EXPECT_TRUE(h.events.calls.empty());

    // One character more: '$' and 1009 characters dumped.
    const std::string tooLong = longest + "N";
    feed(bytesOf(tooLong));
    const Lines lines = h.events.reports();
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0].size(), 101u); // the prefix and 25 bytes
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), 102u) << i; // 34 bytes
    }
    EXPECT_EQ(lines.back().size(), 99u); // the last 33 bytes
    std::string whole = "Comm: NMEA msg len > 03F0:";
    for (char c : tooLong) {
        whole += c == '$' ? " 24" : " 4E";
    }
    std::string joined;
    for (const std::string& line : lines) {
        joined += line;
    }
    EXPECT_EQ(joined, whole);
    EXPECT_EQ(parser.state(), 0);
}

TEST_F(StreamParserTest, SplitAtAnyPointParsesTheSame) {
    const Bytes stream = frameOf({9, 1, 2, 3, 4, 5, 6, 7, 8}) + bytesOf("$AB,1\r\n") +
                         frameOf({11, 0x85, 0}) + Bytes{0x42};
    feed(stream);
    const std::vector<Received> whole = h.sink.messages;
    const std::vector<std::string> wholeCalls = h.events.calls;
    ASSERT_EQ(whole.size(), 3u);
    ASSERT_EQ(wholeCalls.size(), 2u); // the stray 0x42, shown and logged

    for (size_t split = 0; split <= stream.size(); ++split) {
        LinkHarness fresh;
        StreamParser p(fresh.context(), fresh.msg);
        p.process(stream.data(), split);
        p.process(stream.data() + split, stream.size() - split);
        EXPECT_EQ(fresh.sink.messages, whole) << "split at " << split;
        EXPECT_EQ(fresh.events.calls, wholeCalls) << "split at " << split;
        EXPECT_EQ(fresh.events.blinks, 2);
    }
}

TEST_F(StreamParserTest, OwningSourceGetsTheReplies) {
    FakeSource replies;
    StreamParser withSource(h.context(), h.msg, &replies);
    const Bytes notReady = frameOf({18, 0});
    withSource.process(notReady.data(), notReady.size());
    EXPECT_EQ(replies.sendNow, (std::vector<bool>{false}));
}

TEST_F(StreamParserTest, VersionPollIsSentOnceWhenPending) {
    h.state.targetSwClass = kSwVersionPollPending;
    feed(bytesOf("$AB\r\n")); // a sentence does not answer the pending poll
    EXPECT_TRUE(sender.sent.empty());
    feed(frameOf(kAckPayload) + frameOf(kAckPayload));
    EXPECT_EQ(sender.sent, (std::vector<Bytes>{{132, 0}}));
    EXPECT_EQ(h.state.targetSwClass, kSwUnknown);
}

TEST_F(StreamParserTest, PendingPollWithoutSenderIsCleared) {
    StreamParser noSender(h.context(), h.msg);
    h.state.targetSwClass = kSwVersionPollPending;
    const Bytes frame = frameOf(kAckPayload);
    noSender.process(frame.data(), frame.size());
    EXPECT_EQ(h.state.targetSwClass, kSwUnknown);
}

TEST_F(StreamParserTest, BlinksOncePerChunkAndIgnoresANullChunk) {
    const Bytes frame = frameOf(kAckPayload);
    parser.process(frame.data(), 3);
    parser.process(frame.data() + 3, frame.size() - 3);
    EXPECT_EQ(parser.process(nullptr, 5), 5u);
    EXPECT_EQ(h.events.blinks, 2);
    EXPECT_EQ(h.sink.messages.size(), 1u);
}

TEST_F(StreamParserTest, ResetDropsThePartialMessageAndTheSynchronisation) {
    synchronise();
    const Bytes frame = frameOf(kAckPayload);
    parser.process(frame.data(), 5);
    parser.reset();
    EXPECT_EQ(parser.state(), 0);
    EXPECT_FALSE(parser.synchronised());
    parser.process(frame.data() + 5, frame.size() - 5); // the rest is noise now
    EXPECT_TRUE(h.events.calls.empty());
    EXPECT_TRUE(h.sink.messages.empty());
}

} // namespace
} // namespace zeph::monitor::testing
