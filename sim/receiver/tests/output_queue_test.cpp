#include "sim/receiver/output_queue.h"

#include "wire_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zeph::sim::testing {
namespace {

// A line that records what it was given and when.
class RecordingSink : public WireSink {
public:
    long write(const uint8_t* bytes, size_t count) override {
        if (full) {
            return 0;
        }
        written.insert(written.end(), bytes, bytes + count);
        log.push_back("write " + std::to_string(count) + " @" + std::to_string(nowUs / 1000));
        return static_cast<long>(count);
    }
    // With a far-end rate, whether it is the line's; else as set.
    bool farEndMatches() override { return farBaud != 0 ? farBaud == baud : matches; }
    void setFormat(const LineFormat& format) override {
        baud = format.baud;
        log.push_back("format " + std::to_string(format.baud) + " @" +
                      std::to_string(nowUs / 1000));
    }

    Bytes written;
    std::vector<std::string> log;
    bool matches = true;
    uint32_t baud = 9600;
    uint32_t farBaud = 0;
    bool full = false;
    uint64_t nowUs = 0;
};

Packet packetOf(size_t payloadBytes, bool reply = false) {
    Bytes payload(payloadBytes, 0x11);
    payload[0] = 2;
    return framePacket(payload, reply);
}

WirePlan whole(const Packet& p) {
    return {{}, {p.bytes}, Fault::None};
}

class OutputQueueTest : public ::testing::Test {
protected:
    // Services the queue at every time it asks for, up to `untilUs`.
    std::vector<SentMessage> runUntil(uint64_t untilUs) {
        std::vector<SentMessage> done;
        while (!queue.empty() && queue.nextServiceUs() <= untilUs) {
            sink.nowUs = std::max(sink.nowUs, queue.nextServiceUs());
            for (SentMessage& m : queue.service(sink.nowUs, sink)) {
                finishedAtUs.push_back(sink.nowUs);
                done.push_back(std::move(m));
            }
        }
        return done;
    }

    RecordingSink sink;
    OutputQueue queue{9600}; // 960 bytes a second
    std::vector<uint64_t> finishedAtUs;
};

TEST_F(OutputQueueTest, PacesOutputToTheLineRate) {
    const Packet p = packetOf(88); // a 96-byte frame: 100 ms at 9600 baud
    ASSERT_TRUE(queue.push(p, whole(p), 0));
    runUntil(50'000);
    // By 50 ms no more than 50 ms of line time and one 20 ms chunk have gone out.
    EXPECT_LE(sink.written.size(), 48u + 20u);
    EXPECT_GE(sink.written.size(), 40u);
    const std::vector<SentMessage> done = runUntil(1'000'000);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(sink.written, p.bytes);
    EXPECT_GE(finishedAtUs[0], 75'000u); // the last chunk starts after 4 chunks of line time
    EXPECT_GE(queue.backlogUs(finishedAtUs[0]), 1u); // and occupies the line until ~100 ms
    EXPECT_LE(finishedAtUs[0] + queue.backlogUs(finishedAtUs[0]), 101'000u);
}

TEST_F(OutputQueueTest, LineChangeWaitsUntilTheBytesBeforeItAreOut) {
    const Packet ack = framePacket(ackMessage(true, 134), true); // 11 bytes: 11.5 ms
    queue.push(ack, whole(ack), 0);
    queue.pushLineChange(LineFormat{19200, 8, 0, 1});
    const Packet next = packetOf(40);
    queue.push(next, whole(next), 0);
    sink.farBaud = 19200; // the client has moved already

    sink.nowUs = 0;
    queue.service(0, sink);
    EXPECT_EQ(sink.log, (std::vector<std::string>{"write 11 @0"}));
    EXPECT_EQ(queue.baud(), 9600u);
    runUntil(1'000'000);
    ASSERT_GE(sink.log.size(), 3u);
    EXPECT_EQ(sink.log[1], "format 19200 @11");
    EXPECT_EQ(queue.baud(), 19200u);
    // The next frame goes at the new rate: 48 bytes in 25 ms, in two chunks at 19200.
    EXPECT_EQ(sink.log[2], "write 38 @11");
}

// A line change and the acknowledgement behind it: a client that moves at once hears it on the
// new line; one that stays on the old line waiting for it hears it there, half a second later;
// one that moves late to the new line after the change waits for it up to a second.
TEST_F(OutputQueueTest, TheReplyBehindALineChangeGoesWhereTheClientListens) {
    struct Case {
        uint64_t movesAtMs; // the client's rate becomes 57600 then
        uint32_t before;    // its rate until then
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {150, 9600, {"format 57600 @150", "write 11 @150"}},
        {5000, 9600, {"write 11 @500", "format 57600 @511"}},
        {300, 4800, {"format 57600 @0", "write 11 @300"}},
        {5000, 4800, {"format 57600 @0", "write 11 @1000"}},
    };
    for (const Case& c : cases) {
        RecordingSink line;
        OutputQueue q{9600};
        q.pushLineChange(LineFormat{57600, 8, 0, 1});
        const Packet ack = framePacket(ackMessage(true, 134), true);
        q.push(ack, whole(ack), 0);
        for (uint64_t us = 0; !q.empty() && us <= 3'000'000; us = q.nextServiceUs()) {
            line.nowUs = us;
            line.farBaud = us >= c.movesAtMs * 1000 ? 57600 : c.before;
            q.service(us, line);
        }
        EXPECT_EQ(line.log, c.log) << c.movesAtMs << " " << c.before;
    }
}

TEST_F(OutputQueueTest, SplitMessagePausesBetweenItsPieces) {
    const Packet p = packetOf(12); // 20 bytes
    WirePlan plan{
        {},
        {Bytes(p.bytes.begin(), p.bytes.begin() + 10), Bytes(p.bytes.begin() + 10, p.bytes.end())},
        Fault::None};
    queue.push(p, plan, 0);
    const std::vector<SentMessage> done = runUntil(1'000'000);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_TRUE(done[0].split);
    EXPECT_EQ(sink.written, p.bytes);
    // First piece at 0; second after its 10.4 ms of line time and the pause.
    EXPECT_EQ(sink.log, (std::vector<std::string>{"write 10 @0", "write 10 @30"}));
}

TEST_F(OutputQueueTest, MismatchedLineCarriesOnlyGarbage) {
    sink.matches = false;
    const Packet p = packetOf(30);
    const Packet s = sentencePacket("GPGGA,1,2,3", false);
    for (int k = 0; k < 20; ++k) {
        ASSERT_TRUE(queue.push(p, whole(p), sink.nowUs));
        ASSERT_TRUE(queue.push(s, whole(s), sink.nowUs));
        runUntil(UINT64_MAX - 1);
    }
    ASSERT_EQ(sink.written.size(), 20u * (p.bytes.size() + s.bytes.size()));
    const WireScan scan = scanWire(sink.written);
    EXPECT_EQ(scan.frameStarts, 0);
    EXPECT_EQ(scan.dollars, 0);
    EXPECT_EQ(std::count(sink.written.begin(), sink.written.end(), 0xA0), 0);
}

TEST_F(OutputQueueTest, MessagePartlyWrittenAtWrongSettingsIsGarbled) {
    const Packet p = packetOf(60); // more than one chunk
    queue.push(p, whole(p), 0);
    sink.matches = false;
    queue.service(0, sink);
    sink.matches = true;
    const std::vector<SentMessage> done = runUntil(1'000'000);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_TRUE(done[0].garbled);
}

TEST(GarbleTest, NeverProducesAFrameStartOrADollar) {
    uint32_t state = 1;
    for (int round = 0; round < 200; ++round) {
        for (int b = 0; b < 256; ++b) {
            const uint8_t g = garble(static_cast<uint8_t>(b), state);
            ASSERT_NE(g, 0xA0);
            ASSERT_NE(g, '$');
        }
    }
    // Deterministic from its state.
    uint32_t a = 7, c = 7;
    EXPECT_EQ(garble(0x41, a), garble(0x41, c));
}

TEST_F(OutputQueueTest, ScheduledOutputIsDroppedWhenTheLineFallsBehindButRepliesAreNot) {
    OutputQueue slow(1200); // 120 bytes a second
    int accepted = 0;
    for (int k = 0; k < 10; ++k) {
        const Packet p = packetOf(52); // 60 bytes: half a second each
        accepted += slow.push(p, whole(p), 0);
    }
    EXPECT_EQ(accepted, 3); // up to a second and a half queued, then dropped
    const Packet reply = packetOf(52, true);
    EXPECT_TRUE(slow.push(reply, whole(reply), 0));
    EXPECT_GT(slow.backlogUs(0), 1'900'000u);
}

TEST_F(OutputQueueTest, FullLineBlocksWithoutLosingBytes) {
    const Packet p = packetOf(8);
    queue.push(p, whole(p), 0);
    sink.full = true;
    queue.service(0, sink);
    EXPECT_TRUE(queue.blocked());
    EXPECT_TRUE(sink.written.empty());
    sink.full = false;
    EXPECT_EQ(runUntil(1'000'000).size(), 1u);
    EXPECT_EQ(sink.written, p.bytes);
}

} // namespace
} // namespace zeph::sim::testing
