#include "sim/receiver/faults.h"
#include "sim/receiver/traffic_counts.h"

#include "wire_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace zeph::sim::testing {
namespace {

const Packet kFrame = framePacket(PayloadWriter(7).u16(1182).u32(123456).u8(9), false);
const Packet kSentence = sentencePacket("GPGGA,000000.000,3724.0000,N,12206.0000,W,1", false);

Bytes joined(const WirePlan& plan) {
    Bytes out;
    for (const Bytes& piece : plan.pieces) {
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return out;
}

TEST(FaultsTest, BadChecksumBreaksOnlyTheChecksum) {
    FaultOptions options;
    options.badChecksum = 1;
    FaultInjector faults(options);

    const WirePlan frame = faults.plan(kFrame);
    EXPECT_EQ(frame.fault, Fault::BadChecksum);
    const WireScan frameScan = scanWire(joined(frame));
    EXPECT_EQ(frameScan.badChecksums.at(7), 1);
    EXPECT_TRUE(frameScan.payloads.empty());

    const WirePlan text = faults.plan(kSentence);
    const Bytes bytes = joined(text);
    EXPECT_EQ(bytes.size(), kSentence.bytes.size());
    const std::string got(bytes.begin(), bytes.end());
    EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(got[got.size() - 3])));
    EXPECT_TRUE(scanWire(bytes).sentences.empty());
    EXPECT_EQ(got.substr(0, got.size() - 3),
              std::string(kSentence.bytes.begin(), kSentence.bytes.end() - 3));
}

TEST(FaultsTest, BadTailKeepsTheChecksumRight) {
    FaultOptions options;
    options.badTail = 1;
    FaultInjector faults(options);
    int firstByte = 0;
    for (int k = 0; k < 50; ++k) {
        const Bytes bytes = joined(faults.plan(kFrame));
        EXPECT_EQ(scanWire(bytes).badTails.at(7), 1);
        firstByte += bytes[bytes.size() - 2] != 0xB0;
    }
    EXPECT_GT(firstByte, 0); // both tail bytes get broken, now one, now the other
    EXPECT_LT(firstByte, 50);
    const Bytes text = joined(faults.plan(kSentence));
    EXPECT_EQ(text.back(), 'X');
}

TEST(FaultsTest, NoiseNeverHoldsAFrameStartOrADollar) {
    FaultOptions options;
    options.noise = 1;
    FaultInjector faults(options);
    for (int k = 0; k < 500; ++k) {
        const WirePlan plan = faults.plan(kFrame);
        ASSERT_GE(plan.noise.size(), 1u);
        ASSERT_LE(plan.noise.size(), kMaxNoiseBytes);
        for (uint8_t b : plan.noise) {
            ASSERT_NE(b, 0xA0);
            ASSERT_NE(b, '$');
        }
        EXPECT_EQ(joined(plan), kFrame.bytes);
    }
}

TEST(FaultsTest, RatesHoldAndTheSeedDecides) {
    FaultOptions options;
    options.badChecksum = 0.3;
    options.noise = 0.1;
    const auto run = [&](uint64_t seed) {
        options.seed = seed;
        FaultInjector faults(options);
        std::string pattern;
        for (int k = 0; k < 10000; ++k) {
            const WirePlan plan = faults.plan(kFrame);
            pattern += plan.fault == Fault::BadChecksum ? 'c' : plan.noise.empty() ? '.' : 'n';
        }
        return pattern;
    };
    const std::string a = run(5);
    EXPECT_EQ(a, run(5));
    EXPECT_NE(a, run(6));
    EXPECT_NEAR(static_cast<double>(std::count(a.begin(), a.end(), 'c')), 3000, 250);
}

TEST(TrafficCountsTest, ReportSortsWhatWentOutByOutcome) {
    TrafficCounts counts;
    const auto sent = [&](const Packet& p, Fault fault, bool garbled, size_t noise = 0,
                          bool split = false) {
        SentMessage m;
        m.packet = p;
        m.fault = fault;
        m.garbled = garbled;
        m.noiseBytes = noise;
        m.split = split;
        counts.sent(m);
    };
    const Packet nav = framePacket(PayloadWriter(2).u8(0), false);
    const Packet tracker = framePacket(PayloadWriter(41).u8(0), false);
    sent(nav, Fault::None, false, 3, true);
    sent(nav, Fault::None, false);
    sent(tracker, Fault::None, false);
    sent(nav, Fault::BadTail, false, 2);
    sent(kSentence, Fault::BadChecksum, false);
    sent(kSentence, Fault::None, false);
    sent(nav, Fault::BadChecksum, true); // garbled first: nothing of it was readable
    counts.dropped(tracker);
    counts.received({InputMessage::Kind::Frame, {132, 0}, {}});
    counts.received({InputMessage::Kind::Sentence, {}, "ZUVE100,0,38400,8,1,0"});
    counts.garbledInput(17);
    InputRejects rejects;
    rejects.badChecksums = 1;
    rejects.badTails = 2;
    rejects.strayBytes = 40; // stray bytes are not messages

    EXPECT_EQ(counts.report(rejects, 4, 99), "MID 2: 2\n"
                                             "MID 41: 1\n"
                                             "Sentence GGA: 1\n"
                                             "Bad checksum sentence GGA: 1\n"
                                             "Bad tail MID 2: 1\n"
                                             "Garbled MID 2: 1\n"
                                             "Dropped MID 41: 1\n"
                                             "Noise bursts: 2\n"
                                             "Noise bytes: 5\n"
                                             "Split writes: 1\n"
                                             "Received MID 132: 1\n"
                                             "Received sentence ZUVE100: 1\n"
                                             "Rejected input: 3\n"
                                             "Ignored input: 4\n"
                                             "Garbled input bytes: 17\n"
                                             "Unread bytes dropped: 99\n");
}

} // namespace
} // namespace zeph::sim::testing
