#include "monitor/link/playback_parser.h"

#include "monitor/link/testing/link_fakes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zeph::monitor::testing {
namespace {

using Mids = std::vector<uint8_t>;

class PlaybackParserTest : public ::testing::Test {
protected:
    void feed(const Bytes& bytes) { parser.process(bytes.data(), bytes.size()); }

    LinkHarness h;
    PlaybackParser parser{h.context(), h.msg};
};

struct CaptureCase {
    const char* name;
    Bytes input;
    Mids mids;
};

class PlaybackCaptures : public PlaybackParserTest,
                         public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(PlaybackCaptures, YieldTheirMessagesSilently) {
    feed(GetParam().input);
    EXPECT_EQ(h.sink.mids(), GetParam().mids);
    EXPECT_TRUE(h.events.calls.empty());
    EXPECT_EQ(h.state.dataReceived, !GetParam().mids.empty());
}

Bytes longPayload() {
    Bytes payload(256, 0x11);
    payload[0] = 4;
    return payload;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaybackCaptures,
    ::testing::Values(
        CaptureCase{"Frame", frameOf(kAckPayload), {11}},
        CaptureCase{
            "GarbageAround", Bytes{0x13, 0xB0, 0xB3} + frameOf(kAckPayload) + Bytes{0x77}, {11}},
        CaptureCase{"RepeatedFirstSync", Bytes{0xA0} + frameOf(kAckPayload), {11}},
        // A0 A2 where the length is expected starts the frame again.
        CaptureCase{"SyncPairAsLength", Bytes{0xA0, 0xA2} + frameOf(kAckPayload), {11}},
        CaptureCase{"SyncAsLengthLow", Bytes{0xA0, 0xA2, 0x05} + frameOf(kAckPayload), {11}},
        CaptureCase{"PayloadOf256Skipped", frameOf(longPayload()) + frameOf(kAckPayload), {11}},
        CaptureCase{"ZeroLengthSkipped", frameOf({}) + frameOf(kAckPayload), {11}},
        CaptureCase{"BadTailDropped",
                    Bytes{0xA0, 0xA2, 0x00, 0x03, 11, 0x85, 0x01, 0x00, 0x91, 0xB0, 0x55} +
                        frameOf({9, 1, 2, 3, 4, 5, 6, 7, 8}),
                    {9}},
        CaptureCase{"Sentence", bytesOf("$GPXYZ,1\r\n"), {255}},
        CaptureCase{"SentenceWithControlCharDropped",
                    bytesOf("$AB\x01"
                            "CD\r\n"),
                    {}},
        // A completed frame resets both machines, so the sentence's rest is ignored.
        CaptureCase{
            "FrameInsideSentence", bytesOf("$AB") + frameOf(kAckPayload) + bytesOf("CD\r\n"), {11}},
        CaptureCase{"FrameThenSentence", frameOf(kAckPayload) + bytesOf("$A\r\n"), {11, 255}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(PlaybackParserTest, ChecksumErrorIsLoggedAndWaitsOnTheLastSync) {
    feed(frameOf(kAckPayload, 1));
    EXPECT_EQ(h.events.calls, (std::vector<std::string>{"log: Comm: Checksum Error\n"}));
    EXPECT_EQ(parser.binaryState(), 8);

    // Still in 8: another end sync is checked again; a start sync begins the next frame.
    feed(Bytes{0xB3} + frameOf(kAckPayload));
    EXPECT_EQ(h.events.calls, (std::vector<std::string>{"log: Comm: Checksum Error\n",
                                                        "log: Comm: Checksum Error\n"}));
    EXPECT_EQ(h.sink.mids(), (Mids{11}));
    EXPECT_EQ(parser.binaryState(), 0);
}

TEST_F(PlaybackParserTest, SentenceAfterAChecksumErrorIsFound) {
    feed(frameOf(kAckPayload, 1) + bytesOf("$AB\r\n"));
    ASSERT_EQ(h.sink.messages.size(), 1u);
    EXPECT_EQ(h.sink.messages[0].text, "$AB");
}

TEST_F(PlaybackParserTest, SentencesReachingTheBufferLimitAreDropped) {
    const std::string longest = "$" + std::string(251, 'S'); // 254 bytes with CR LF
    feed(bytesOf(longest + "\r\n"));
    ASSERT_EQ(h.sink.messages.size(), 1u);
    EXPECT_EQ(h.sink.messages[0].text, longest);

    feed(bytesOf(longest + "S\r\n") + bytesOf("$" + std::string(400, 'T') + "\r\n"));
    EXPECT_EQ(h.sink.messages.size(), 1u);
}

TEST_F(PlaybackParserTest, ReadNextReadsThousandByteChunksUntilTheEnd) {
    // A frame across the first chunk boundary, and 2500 bytes in all.
    Bytes file(995, 0x00);
    file = file + frameOf(kAckPayload);
    file.resize(2500, 0x00);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::tmpfile(), &std::fclose);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(file.data(), 1, file.size(), f.get()), file.size());
    std::rewind(f.get());

    EXPECT_EQ(parser.readNext(f.get()), &h.msg);
    EXPECT_TRUE(h.sink.messages.empty());
    EXPECT_EQ(parser.readNext(f.get()), &h.msg);
    EXPECT_EQ(h.sink.mids(), (Mids{11}));
    EXPECT_EQ(parser.readNext(f.get()), &h.msg);
    EXPECT_EQ(parser.readNext(f.get()), nullptr);
    EXPECT_EQ(h.events.blinks, 3);
}

} // namespace
} // namespace zeph::monitor::testing
