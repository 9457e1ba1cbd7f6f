// The target on the line: phase-1 download, the packet layer and the commands answered
// before and after the phase-2 program runs.

#include "target_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace zeph::flashsim::testing {
namespace {

TEST(Phase1, ChecksumOfTheDownloadedImageAsTheHostComputesIt) {
    Driver d;
    const Bytes image = taggedImage(kDetectTag, 1000);
    d.send({0x00, 0x13}); // line noise before the header is ignored
    d.send(phase1Stream(image));
    EXPECT_EQ(d.model.stage(), Stage::Detect);
    EXPECT_TRUE(d.take().empty()); // the raw download is never acknowledged
    auto reply = d.exchange(command(0x2C, {{0, 4}, {1000, 4}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, (Bytes{0x2D, negatedSum(image.data(), image.size())}));
    reply = d.exchange(command(0x2C, {{10, 4}, {20, 4}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[1], negatedSum(image.data() + 10, 20));
    d.sendPacket(command(0x2C, {{900, 4}, {101, 4}})); // past the image
    EXPECT_EQ(d.take(), Bytes{kNak});
}

TEST(Phase1, TargetStaysSilentWithoutADetectProgram) {
    Driver d;
    d.sendPacket(command(0x36)); // before any download
    EXPECT_TRUE(d.take().empty());
    d.send(phase1Stream(taggedImage("NOTATAG!", 200)));
    EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1);
    Bytes missingTrailer = phase1Stream(taggedImage(kDetectTag, 200));
    missingTrailer.back() = 0x55;
    d.send(missingTrailer);
    EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1);
    d.sendPacket(command(0x36));
    EXPECT_TRUE(d.take().empty());
}

TEST(Detection, VariantBusWidthAndFlashIdsAsConfigured) {
    TargetConfig config = smallConfig();
    config.variant = 0x23;
    config.busWidth = 32;
    config.chipCount = 2;
    Driver d(config);
    d.downloadPhase1();
    EXPECT_EQ(d.exchange(command(0x36)), (Bytes{0x37, 0x23}));
    EXPECT_EQ(d.exchange(command(0x02)), (Bytes{0x03, 32}));
    EXPECT_EQ(d.exchange(command(0x06)), (Bytes{0x07, 0})); // no location yet: nothing found
    EXPECT_EQ(d.exchange(command(0x04, {{1, 1}, {0x41000000, 4}})), Bytes{0x05});
    EXPECT_EQ(d.exchange(command(0x06)),
              (Bytes{0x07, 2, 0x00, 0xC2, 0x22, 0xBA, 0x00, 0xC2, 0x22, 0xBA}));
    EXPECT_EQ(d.exchange(command(0x34, {{1, 1}, {4, 1}})), Bytes{0x35});
    d.sendPacket(command(0x34, {{0, 1}, {3, 1}})); // divider 3 does not exist
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.sendPacket(command(0x04, {{8, 1}, {0x48000000, 4}}));
    EXPECT_EQ(d.take(), Bytes{kNak});
}

TEST(Detection, ASecondChipOfItsOwnIsReportedSecondAndLeavesTheFlashAlone) {
    TargetConfig config = smallConfig();
    config.chipCount = 2;
    ChipEntry other = smallChip();
    other.manufacturerId = 0x0089;
    other.deviceId = 0x88C5;
    other.chipSize = 4 * config.chip.chipSize; // its layout is not the one played
    config.secondChip = other;
    Driver d(config);
    EXPECT_EQ(d.model.flash().size(), smallChip().chipSize);
    d.downloadPhase1();
    EXPECT_EQ(d.exchange(command(0x04, {{0, 1}, {0x40000000, 4}})), Bytes{0x05});
    EXPECT_EQ(d.exchange(command(0x06)),
              (Bytes{0x07, 2, 0x00, 0xC2, 0x22, 0xBA, 0x00, 0x89, 0x88, 0xC5}));

    config.chipCount = 1; // one chip: the second one's ids never show
    Driver single(config);
    single.downloadPhase1();
    EXPECT_EQ(single.exchange(command(0x04, {{0, 1}, {0x40000000, 4}})), Bytes{0x05});
    EXPECT_EQ(single.exchange(command(0x06)), (Bytes{0x07, 1, 0x00, 0xC2, 0x22, 0xBA}));
}

TEST(Phase2, FlashCommandsNeedTheProgramAndItsTag) {
    Driver d;
    d.downloadPhase1();
    d.sendPacket(command(0x0E)); // GetStatus belongs to phase 2
    EXPECT_EQ(d.take(), Bytes{kNak});
    Bytes chunk = command(0x08, {{0, 4}});
    const Bytes wrong = taggedImage("ZEPHPH20", 100);
    chunk.insert(chunk.end(), wrong.begin(), wrong.end());
    ASSERT_EQ(d.exchange(chunk), Bytes{0x09});
    d.sendPacket(command(0x0A, {{0, 4}}));
    EXPECT_EQ(d.take(), Bytes{kNak});
    EXPECT_EQ(d.model.stage(), Stage::Detect);

    Driver good;
    ASSERT_TRUE(good.bootToPhase2());
    EXPECT_EQ(good.model.stage(), Stage::Phase2);
    EXPECT_EQ(good.exchange(command(0x0E)), (Bytes{0x0F, 8, 0, 0, 0, 16}));
}

TEST(PacketLayer, BadChecksumIsNakedAndHostNakGetsTheSameReplyAgain) {
    Driver d;
    d.downloadPhase1();
    Bytes packet = framePacket(command(0x36));
    packet.back() ^= 0x01;
    d.send(packet);
    EXPECT_EQ(d.take(), Bytes{kNak});

    d.sendPacket(command(0x36));
    const Bytes first = d.take();
    ASSERT_EQ(first.front(), kAck);
    d.send({kNak});
    EXPECT_EQ(d.take(), Bytes(first.begin() + 1, first.end()));
    d.send({kNak});
    EXPECT_EQ(d.take(), Bytes(first.begin() + 1, first.end()));
    d.send({kAck});
    EXPECT_TRUE(d.take().empty());
    d.send({kNak}); // after the ACK there is nothing to resend
    EXPECT_TRUE(d.take().empty());
}

TEST(PacketLayer, OversizedOrUnknownCommandsAreNaked) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    d.send({0x05, 0x01}); // 1281 bytes announced
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.model.lineIdle(d.now); // what follows on the line after a quiet spell is a new packet
    d.sendPacket(command(0x50));
    EXPECT_EQ(d.take(), Bytes{kNak});
    EXPECT_TRUE(d.exchange(command(0x36))); // still in step
}

// Only a line the target finds quiet cuts a packet off: bytes that were waiting when it came
// to read them finish the packet, however late that is.
TEST(PacketLayer, OnlyAQuietLineCutsAPacketOff) {
    const Bytes packet = framePacket(command(0x36));
    const struct {
        std::optional<uint64_t> quietAt; // when the target finds the line empty, if it does
        bool answered;
    } rows[] = {{std::nullopt, true}, {400'000, true}, {600'000, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.quietAt.value_or(0));
        Driver d;
        d.downloadPhase1();
        d.send(Bytes(packet.begin(), packet.begin() + 2));
        if (row.quietAt) {
            d.model.lineIdle(*row.quietAt);
        }
        d.now = 2'000'000;
        d.send(Bytes(packet.begin() + 2, packet.end()));
        const Bytes answer = d.take();
        EXPECT_EQ(!answer.empty() && answer[0] == kAck, row.answered);
        EXPECT_TRUE(d.exchange(command(0x36))); // in step either way
    }
}

// One wrong packet never costs more than itself: after a refused command the host's NAK is no
// packet start and its Finish is answered at once; the rest of a packet whose length is refused
// is thrown away until the line is quiet; a run left without its Finish ends on a quiet line.
TEST(PacketLayer, AWrongPacketNeverSwallowsTheFinishOrTheNextRun) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    d.sendPacket(command(0x16, {{0x123, 4}, {4096, 4}})); // no sector starts there
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.send({kNak, kAck}); // a host that recovers asks for the reply; nothing is owed
    EXPECT_TRUE(d.take().empty());
    EXPECT_EQ(d.exchange(command(0x38)), Bytes{0x39});
    EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1);

    ASSERT_TRUE(d.bootToPhase2());
    Bytes garbage = {0x05, 0x10, 0x00, 0x01, 0x38}; // 1296 bytes announced, then packet-like
    d.send(garbage);
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.model.lineIdle(d.now);
    EXPECT_EQ(d.exchange(command(0x36)), (Bytes{0x37, 0x21}));

    d.send({0x01, 0x38}); // a packet cut short: 312 bytes announced, Finish never comes
    d.runTo(d.now + kQuietResetUs - 1);
    d.model.lineIdle(d.now);
    EXPECT_EQ(d.model.stage(), Stage::Phase2);
    d.runTo(d.now + 1);
    EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1);
    EXPECT_EQ(d.model.lineRate(), kStartRate);
    EXPECT_TRUE(d.bootToPhase2());
}

TEST(PacketLayer, SetBaudAcksAtTheOldRateThenSwitches) {
    Driver d;
    d.downloadPhase1();
    d.sendPacket(command(0x00, {{57600, 4}}));
    d.sendPacket(command(0x00, {{115200, 4}}));
    ASSERT_EQ(d.model.lineRate(), 115200u);
    d.out.clear();
    d.sendPacket(command(0x00, {{0, 4}})); // the host sends 0 for a rate it does not know
    EXPECT_EQ(d.take(), Bytes{kNak});
    EXPECT_EQ(d.model.lineRate(), 115200u);

    Driver fresh;
    fresh.downloadPhase1();
    const Bytes packet = framePacket(command(0x00, {{230400, 4}}));
    fresh.model.receive(packet.data(), packet.size(), 0);
    const std::vector<OutputChunk> chunks = fresh.model.takeOutput();
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].bytes, Bytes{kAck});
    EXPECT_EQ(chunks[0].baud, kStartRate);
    EXPECT_EQ(fresh.model.lineRate(), 230400u);
}

TEST(Faults, NakAfterACommandHoldsTheReplyUntilTheHostNaks) {
    TargetConfig config = smallConfig();
    config.faults.nakRate = 1.0;
    Driver d(config);
    ASSERT_TRUE(d.bootToPhase2()); // no faults before the parameters are set
    d.sendPacket(command(0x36));
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.send({kNak});
    EXPECT_EQ(d.takePacket(), (Bytes{0x37, 0x21}));
}

// By default a fault first strikes the exchange after the error bits, the first one the host
// recovers; Finish is never faulted, so the next run meets a clean target.
TEST(Faults, StrikeFromTheExchangeTheyAreSetForAndNeverOnFinish) {
    const struct {
        FaultStart from;
        bool bootClean;
        bool errorBitsClean;
    } rows[] = {{FaultStart::Run, true, true},
                {FaultStart::Params, true, false},
                {FaultStart::Start, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.from));
        TargetConfig config = smallConfig();
        config.faults.nakRate = 1.0;
        config.faults.from = row.from;
        Driver d(config);
        ASSERT_EQ(d.bootToPhase2(), row.bootClean);
        if (!row.bootClean) {
            continue;
        }
        d.sendPacket(command(0x46, {{0, 1}}));
        const Bytes answer = d.take();
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(answer[0], row.errorBitsClean ? kAck : kNak);
        if (row.errorBitsClean) {
            d.send({kAck});
        }
        d.sendPacket(command(0x0E));
        EXPECT_EQ(d.take(), Bytes{kNak});
        d.send({kNak});
        ASSERT_TRUE(d.takePacket());
        d.send({kAck});
        EXPECT_EQ(d.exchange(command(0x38)), Bytes{0x39});
        EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1);
    }
}

TEST(Faults, CorruptedAndShortRepliesAreResentWhole) {
    TargetConfig config = smallConfig();
    config.faults.corruptRate = 1.0;
    Driver d(config);
    ASSERT_TRUE(d.bootToPhase2());
    d.sendPacket(command(0x36));
    Bytes wire = d.take();
    ASSERT_EQ(wire.size(), 6u);
    EXPECT_NE(negatedSum(wire.data() + 1, 5), 0);

    config.faults.corruptRate = 0;
    config.faults.dropRate = 1.0;
    Driver dropping(config);
    ASSERT_TRUE(dropping.bootToPhase2());
    dropping.sendPacket(command(0x36));
    wire = dropping.take();
    EXPECT_EQ(wire.size(), 5u); // ACK and four of the five reply bytes
}

TEST(Flash, ProgrammingOnlyClearsBitsAndEraseSetsThemAgain) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    ASSERT_TRUE(d.downloadAndWrite(0x2000, d.block(0x0F)));
    ASSERT_TRUE(d.downloadAndWrite(0x2000, d.block(0xF3)));
    d.runTo(10'000);
    auto data = d.upload(0x2000, 16);
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, Bytes(16, 0x03));
    EXPECT_EQ(d.upload(0x1FFC, 4), Bytes(4, 0xFF)); // the sector before is untouched

    ASSERT_TRUE(d.exchange(command(0x16, {{0x2000, 4}, {8192, 4}}))); // the 8 KiB sector
    d.runTo(30'000);
    EXPECT_EQ(d.upload(0x2000, 1024), Bytes(1024, 0xFF));
    d.sendPacket(command(0x16, {{0x2000, 4}, {4096, 4}})); // not that sector's size
    EXPECT_EQ(d.take(), Bytes{kNak});
}

TEST(Flash, Crc16OverFlashContinuesFromTheHostsValue) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    Bytes data(kBlockSize);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 13);
    }
    ASSERT_TRUE(d.downloadAndWrite(0x400, data));
    d.runTo(5'000);
    const uint16_t whole = crc16(data.data(), data.size(), 0xFFFF);
    auto reply = d.exchange(command(0x2A, {{0x400, 4}, {1024, 4}, {0xFFFF, 2}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(readBe16(reply->data() + 1), whole);
    const uint16_t half = crc16(data.data(), 512, 0xFFFF);
    reply = d.exchange(command(0x2A, {{0x600, 4}, {512, 4}, {half, 2}}));
    ASSERT_TRUE(reply);
    EXPECT_EQ(readBe16(reply->data() + 1), whole);
    d.sendPacket(command(0x2A, {{0x7C00, 4}, {0x800, 4}, {0xFFFF, 2}}));
    EXPECT_EQ(d.take(), Bytes{kNak});
}

TEST(Flash, FlashFileRoundTripThroughFinish) {
    char path[] = "/tmp/flashsim_test_XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::remove(path); // a missing file starts erased
    TargetConfig config = smallConfig();
    config.flashPath = path;
    {
        Driver d(config);
        std::string error;
        ASSERT_TRUE(d.model.loadFlash(error)) << error;
        ASSERT_TRUE(d.bootToPhase2());
        ASSERT_TRUE(d.downloadAndWrite(0x7C00, d.block(0x5A)));
        d.runTo(5'000);
        EXPECT_EQ(d.exchange(command(0x38)), Bytes{0x39});
        EXPECT_EQ(d.model.stage(), Stage::AwaitPhase1); // ready for the next run
        EXPECT_EQ(d.model.lineRate(), kStartRate);
    }
    Driver again(config);
    std::string error;
    ASSERT_TRUE(again.model.loadFlash(error)) << error;
    ASSERT_TRUE(again.bootToPhase2());
    EXPECT_EQ(again.upload(0x7C00, 8), Bytes(8, 0x5A));
    EXPECT_EQ(again.upload(0x7BF8, 8), Bytes(8, 0xFF));
    std::remove(path);
}

} // namespace
} // namespace zeph::flashsim::testing
