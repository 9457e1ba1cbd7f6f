// The target's buffers and command queue over model time: waits, timing, the error flag with
// its last operation and activity, sector locks and the update-mode buffer commands.

#include "code_writer.h"
#include "target_driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zeph::flashsim::testing {
namespace {

TargetStatus statusOf(const Bytes& reply) {
    TargetStatus s;
    s.freeBuffers = reply[1];
    s.blocksProgrammed = readBe16(&reply[2]);
    s.errorFlag = reply[4];
    s.freeSlots = reply[5];
    return s;
}

TEST(Queue, WaitSlotsIsAnsweredOnlyOnceTheQueueHasWorkedOff) {
    Driver d; // 10 ms per sector erase, 1 ms per block
    ASSERT_TRUE(d.bootToPhase2());
    for (uint32_t sector : {0x2000u, 0x4000u, 0x6000u}) {
        ASSERT_TRUE(d.exchange(command(0x16, {{sector, 4}, {8192, 4}})));
    }
    EXPECT_EQ(statusOf(*d.exchange(command(0x0E))).freeSlots, kQueueSlots - 3);
    d.sendPacket(command(0x3C, {{kQueueSlots, 1}}));
    EXPECT_EQ(d.take(), Bytes{kAck});
    d.runTo(29'999); // two erases done, the third still running
    EXPECT_TRUE(d.out.empty());
    d.runTo(30'000);
    const auto reply = d.takePacket();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 0x3D);
    EXPECT_EQ(statusOf(*reply).freeSlots, kQueueSlots);
    d.send({kAck});
    EXPECT_EQ(d.exchange(command(0x12)), (Bytes{0x13, 0, 0, 0x03, 0xD7, 0, 0, 0, 0}))
        << "30 ms of erasing is 983 ticks of 1/32768 s";
}

TEST(Queue, WaitBuffersFollowsTheBlocksBeingWritten) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    std::optional<Bytes> last;
    for (uint32_t i = 0; i < kBufferCount; ++i) {
        last = d.downloadAndWrite(i * 1024, d.block(static_cast<uint8_t>(i)));
        ASSERT_TRUE(last);
    }
    EXPECT_EQ(statusOf(*last).freeBuffers, 0);
    d.sendPacket(command(0x3A, {{2, 1}}));
    EXPECT_EQ(d.take(), Bytes{kAck});
    d.runTo(1'500);
    EXPECT_TRUE(d.out.empty());
    d.runTo(2'000);
    const auto reply = d.takePacket();
    ASSERT_TRUE(reply);
    EXPECT_EQ(statusOf(*reply).freeBuffers, 2);
    EXPECT_EQ(statusOf(*reply).blocksProgrammed, 2);
    d.send({kAck});
    d.sendPacket(command(0x3A, {{kBufferCount + 1, 1}})); // can never be satisfied
    EXPECT_EQ(d.take(), Bytes{kNak});
}

TEST(Queue, WritingWithoutAFreeBufferStopsTheTarget) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    for (uint32_t i = 0; i < kBufferCount; ++i) {
        ASSERT_TRUE(d.downloadAndWrite(i * 1024, d.block(0)));
    }
    const auto reply = d.downloadAndWrite(0x4000, d.block(0));
    ASSERT_TRUE(reply);
    EXPECT_EQ(statusOf(*reply).errorFlag, 1);
}

TEST(ErrorFlag, ProgrammingTheErrorAddressReportsOperationAndActivity) {
    TargetConfig config = smallConfig();
    config.faults.errorAt = 0x0C03;
    Driver d(config);
    ASSERT_TRUE(d.bootToPhase2());
    ASSERT_TRUE(d.downloadAndWrite(0x0800, d.block(0x11)));
    ASSERT_TRUE(d.downloadAndWrite(0x0C00, d.block(0x22)));
    ASSERT_TRUE(d.downloadAndWrite(0x1000, d.block(0x33)));
    d.runTo(10'000);
    const TargetStatus s = statusOf(*d.exchange(command(0x0E)));
    EXPECT_EQ(s.errorFlag, 1);
    EXPECT_EQ(s.blocksProgrammed, 1);        // the failed block and the one after are not done
    EXPECT_EQ(s.freeSlots, kQueueSlots - 1); // the target stopped with that one queued
    EXPECT_EQ(d.exchange(command(0x3E)), (Bytes{0x3F, 0, 0x00, 0x00, 0x0C, 0x00}));
    EXPECT_EQ(d.exchange(command(0x44)), (Bytes{0x45, 6,                   // write verify
                                                0x00, 0x00, 0x0C, 0x02,    // the word
                                                0x00, 0x00, 0x22, 0x22,    // expected
                                                0x00, 0x00, 0xFF, 0xFF})); // as it was
    EXPECT_EQ(d.upload(0x0C00, 4), (Bytes{0x22, 0x22, 0xFF, 0xFF}));
    EXPECT_EQ(d.upload(0x1000, 1), Bytes{0xFF});
    d.sendPacket(command(0x3C, {{kQueueSlots, 1}})); // a stopped target answers at once
    d.out.erase(d.out.begin());
    ASSERT_TRUE(d.takePacket());
}

TEST(ErrorFlag, ActivityCodesAreOddOnA32BitBus) {
    TargetConfig config = smallConfig();
    config.busWidth = 32;
    config.faults.errorAt = 0x0004;
    Driver d(config);
    d.downloadPhase1();
    ASSERT_TRUE(d.exchange(command(0x04, {{0, 1}, {0x40000000, 4}})));
    const Bytes image = taggedImage(kPhase2Tag, 100);
    Bytes chunk = command(0x08, {{0, 4}});
    chunk.insert(chunk.end(), image.begin(), image.end());
    ASSERT_TRUE(d.exchange(chunk) && d.exchange(command(0x0A, {{0, 4}})));
    d.sendPacket(command(0x0C, {{0x40000000, 4}, {16, 1}})); // not this target's width
    EXPECT_EQ(d.take(), Bytes{kNak});
    ASSERT_TRUE(d.exchange(command(0x0C, {{0x40000000, 4}, {32, 1}})));
    ASSERT_TRUE(d.exchange(command(0x16, {{0x4000, 4}, {16384, 4}}))); // doubled sectors
    ASSERT_TRUE(d.downloadAndWrite(0, d.block(0x00)));
    d.runTo(20'000);
    const auto activity = d.exchange(command(0x44));
    ASSERT_TRUE(activity);
    EXPECT_EQ((*activity)[1], 7);
    EXPECT_EQ(readBe32(activity->data() + 10), 0xFFFFFFFFu);
}

TEST(Locks, LockedSectorsRefuseEraseUntilUnlocked) {
    TargetConfig config = smallConfig();
    config.chip.softLockUnlock = true;
    Driver d(config);
    ASSERT_TRUE(d.bootToPhase2());
    ASSERT_TRUE(d.exchange(command(0x42, {{0x2000, 4}}))); // unlock the second 8 KiB sector
    EXPECT_EQ(d.exchange(command(0x3E)), (Bytes{0x3F, 4, 0x00, 0x00, 0x20, 0x00}));
    ASSERT_TRUE(d.exchange(command(0x16, {{0x2000, 4}, {8192, 4}})));
    d.runTo(10'000);
    EXPECT_EQ(statusOf(*d.exchange(command(0x0E))).errorFlag, 0);
    ASSERT_TRUE(d.exchange(command(0x16, {{0x4000, 4}, {8192, 4}})));
    d.runTo(20'000);
    EXPECT_EQ(statusOf(*d.exchange(command(0x0E))).errorFlag, 1);
    EXPECT_EQ(d.exchange(command(0x3E)), (Bytes{0x3F, 1, 0x00, 0x00, 0x40, 0x00}));
    EXPECT_EQ((*d.exchange(command(0x44)))[1], 8); // erase sector verify
}

TEST(Buffers, ReadPatchEraseAndWriteBackASector) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    ASSERT_TRUE(d.downloadAndWrite(0x0000, d.block(0x5A)));
    ASSERT_TRUE(d.downloadAndWrite(0x0400, d.block(0x6B)));
    d.runTo(5'000);
    uint8_t first = 0xFF;
    for (uint32_t address = 0; address < 0x1000; address += 0x400) {
        const auto reply = d.exchange(command(0x1A, {{address, 4}, {1024, 4}}));
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->size(), 7u);
        if (address == 0) {
            first = (*reply)[6];
        }
    }
    Bytes patch = command(0x1E, {{(first + 1u) % kBufferCount, 1}, {0x10, 2}});
    patch.insert(patch.end(), {0x01, 0x02, 0x03});
    const auto patched = d.exchange(patch);
    ASSERT_TRUE(patched);
    EXPECT_EQ(statusOf(*patched).freeBuffers, kBufferCount - 4);
    ASSERT_TRUE(d.exchange(command(0x16, {{0, 4}, {4096, 4}})));
    ASSERT_TRUE(d.exchange(command(0x1C, {{first, 1}, {4, 1}})));
    d.runTo(30'000);
    EXPECT_EQ(d.upload(0x0000, 2), (Bytes{0x5A, 0x5A}));
    EXPECT_EQ(d.upload(0x040E, 6), (Bytes{0x6B, 0x6B, 0x01, 0x02, 0x03, 0x6B}));
    EXPECT_EQ(d.upload(0x0800, 2), (Bytes{0xFF, 0xFF}));
    const TargetStatus s = statusOf(*d.exchange(command(0x10)));
    EXPECT_EQ(s.blocksProgrammed, 6);
    EXPECT_EQ(s.freeBuffers, kBufferCount);
    d.sendPacket(command(0x1C, {{first, 1}, {1, 1}})); // that buffer was written and freed
    EXPECT_EQ(d.take(), Bytes{kNak});
}

Bytes patternBlock(uint8_t seed) {
    Bytes data;
    for (size_t i = 0; i < kBlockSize; ++i) {
        data.push_back(static_cast<uint8_t>(i * seed + i / 256));
    }
    return data;
}

CodeWriter literalsOf(const Bytes& data) {
    CodeWriter w;
    for (uint8_t byte : data) {
        w.literal(byte);
    }
    return w;
}

// Copies from 512 positions back: decodes only where the ring holds the previous block.
CodeWriter dependentBlock() {
    CodeWriter w;
    for (uint32_t i = 0; i < 64; ++i) {
        w.match((513 + 16 * i) % 1024, 16);
    }
    return w;
}

TEST(Buffers, CompressedDownloadsProgramTheDecodedBytes) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    EXPECT_EQ(d.exchange([] {
        Bytes table = eightBitTable();
        table.insert(table.begin(), 0x14);
        return table;
    }()),
              Bytes{0x15});
    const Bytes huffmanData = patternBlock(29);
    Bytes huffman = command(0x26, {{0x0000, 4}, {0, 1}});
    for (uint8_t byte : huffmanData) {
        huffman.push_back(reversedBits(byte));
    }
    const auto written = d.exchange(huffman);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), 6U);
    EXPECT_EQ((*written)[0], 0x27);

    // An LZSS stream over two blocks, with a raw block in between that does not count.
    const Bytes lzssData = patternBlock(11);
    const auto buffered = d.exchange(literalsOf(lzssData).command(0x30, 0x0400));
    ASSERT_TRUE(buffered);
    ASSERT_EQ(buffered->size(), 7U);
    ASSERT_TRUE(d.downloadAndWrite(0x1000, d.block(0x3C)));
    // The previous block's second half twice.
    const auto continued = d.exchange(dependentBlock().command(0x32, 0x0800));
    ASSERT_TRUE(continued);
    EXPECT_EQ(statusOf(*continued).errorFlag, 0);
    ASSERT_TRUE(d.exchange(command(0x1C, {{(*buffered)[6], 1}, {1, 1}})));
    d.runTo(10'000);
    EXPECT_EQ(d.upload(0x0000, 1024), huffmanData);
    EXPECT_EQ(d.upload(0x0400, 1024), lzssData);
    Bytes twice(lzssData.begin() + 512, lzssData.end());
    twice.resize(kBlockSize);
    std::copy(lzssData.begin() + 512, lzssData.end(), twice.begin() + 512);
    EXPECT_EQ(d.upload(0x0800, 1024), twice);
    EXPECT_EQ(statusOf(*d.exchange(command(0x10))).blocksProgrammed, 4);
}

TEST(Buffers, CompressedBlocksThatDoNotDecodeAreNakedAndStoreNothing) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    Bytes huffman = command(0x26, {{0x0000, 4}, {0, 1}});
    huffman.resize(6 + kBlockSize, 0x00);
    d.sendPacket(huffman); // no table sent yet
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.sendPacket(command(0x14, {{0, 4}})); // not a whole table
    EXPECT_EQ(d.take(), Bytes{kNak});

    const CodeWriter literals = literalsOf(d.block(0x11));
    ASSERT_TRUE(d.exchange(literals.command(0x30, 0x0000)));
    d.sendPacket(literals.command(0x32, 0x0410)); // not a block address
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.sendPacket(dependentBlock().command(0x32, 0x0400)); // the refusal ended the stream
    EXPECT_EQ(d.take(), Bytes{kNak});
    Bytes badPad = literals.command(0x32, 0x0400);
    badPad[5] = 8;
    d.sendPacket(badPad);
    EXPECT_EQ(d.take(), Bytes{kNak});

    const TargetStatus s = statusOf(*d.exchange(command(0x0E)));
    EXPECT_EQ(s.errorFlag, 0);
    EXPECT_EQ(s.freeBuffers, kBufferCount - 1);
    EXPECT_EQ(s.freeSlots, kQueueSlots);
}

TEST(Buffers, ANewRunHasNoHuffmanTableAndAFreshLzssStream) {
    Driver d;
    ASSERT_TRUE(d.bootToPhase2());
    Bytes table = eightBitTable();
    table.insert(table.begin(), 0x14);
    ASSERT_TRUE(d.exchange(table));
    ASSERT_TRUE(d.exchange(literalsOf(d.block(0x22)).command(0x30, 0x0000)));
    ASSERT_TRUE(d.exchange(command(0x38))); // Finish
    ASSERT_TRUE(d.bootToPhase2());
    Bytes huffman = command(0x22, {{0x0000, 4}, {0, 1}});
    huffman.resize(6 + kBlockSize, 0x00);
    d.sendPacket(huffman);
    EXPECT_EQ(d.take(), Bytes{kNak});
    d.sendPacket(dependentBlock().command(0x30, 0x0400));
    EXPECT_EQ(d.take(), Bytes{kNak});
}

} // namespace
} // namespace zeph::flashsim::testing
