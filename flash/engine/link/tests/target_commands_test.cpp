// Typed target commands: argument layout, reply shapes, reply checks and the queue-slot waits.

#include "link_test_support.h"

namespace zeph::flash {
namespace {

// The payload (command code and arguments) of write number `index`.
Bytes payloadOf(const testing::FakeTargetPort& port, std::size_t index) {
    const Bytes packet = port.writes().at(index);
    return Bytes(packet.begin() + 2, packet.end() - 1);
}

// --- reply shapes ----------------------------------------------------------------------------

TEST_F(LinkTest, SingleByteFieldReplies) {
    answer({0x03, 0x20});
    EXPECT_EQ(link.GetBusWidth(), 32);
    answer({0x2d, 0x5a});
    EXPECT_EQ(link.GetChecksum(0, 1000), 0x5a);
    answer({0x37, 0x21});
    EXPECT_EQ(link.GetChipVariant(), 0x21);
    answer({0x2f, 0x01});
    EXPECT_EQ(link.QueryChipErase(), true);
    answer({0x2f, 0x00});
    EXPECT_EQ(link.QueryChipErase(), false);
}

TEST_F(LinkTest, FlashIdReplies) {
    answer({0x07, 0x02, 0x00, 0x01, 0x22, 0x49, 0x00, 0xc2, 0x22, 0xa7});
    const auto two = link.GetFlashIds();
    ASSERT_TRUE(two);
    EXPECT_EQ(*two, (std::vector<FlashId>{{0x0001, 0x2249}, {0x00c2, 0x22a7}}));

    answer({0x07, 0x00});
    const auto none = link.GetFlashIds();
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());

    answer({0x07, 0x02, 0x00, 0x01, 0x22, 0x49}); // count says two, one given
    EXPECT_FALSE(link.GetFlashIds());
    answer({0x07, 0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}); // more chips than allowed
    EXPECT_FALSE(link.GetFlashIds());
}

TEST_F(LinkTest, StatusRepliesAreDecodedAndKept) {
    answer({0x0f, 0x03, 0x01, 0x02, 0x00, 0x05});
    const auto status = link.GetStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, (TargetStatus{3, 0x0102, 0, 5}));
    EXPECT_EQ(link.lastStatus(), *status);

    answer({0x11, 0x04, 0x00, 0x10, 0x01, 0x08});
    EXPECT_EQ(link.NoMoreBlocks(), (TargetStatus{4, 0x10, 1, 8}));
    EXPECT_EQ(link.lastStatus(), (TargetStatus{4, 0x10, 1, 8}));

    answer({0x3b, 0x01, 0x00, 0x00, 0x00, 0x02});
    EXPECT_EQ(link.WaitBuffers(1), (TargetStatus{1, 0, 0, 2}));
    EXPECT_EQ(payloadOf(port, 4), (Bytes{0x3a, 0x01}));
}

TEST_F(LinkTest, BufferStatusReplies) {
    answer({0x1b, 0x02, 0x00, 0x07, 0x00, 0x04, 0x01});
    const auto read = link.ReadToBuffer(0x800, 1024);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (BufferStatus{{2, 7, 0, 4}, 1}));
    EXPECT_EQ(payloadOf(port, 0), (Bytes{0x1a, 0, 0, 0x08, 0, 0, 0, 0x04, 0}));
    EXPECT_EQ(link.lastStatus(), (TargetStatus{2, 7, 0, 4}));
}

TEST_F(LinkTest, MultiFieldReplies) {
    answer({0x13, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00});
    const auto timing = link.GetTiming();
    ASSERT_TRUE(timing);
    EXPECT_EQ(timing->eraseTime, 0x10000u);
    EXPECT_EQ(timing->programTime, 0x8000u);

    answer({0x3f, 0x01, 0x00, 0x01, 0x00, 0x00});
    const auto op = link.GetLastOperation();
    ASSERT_TRUE(op);
    EXPECT_EQ(op->code, 1);
    EXPECT_EQ(op->address, 0x10000u);

    answer({0x45, 0x07, 0x00, 0x00, 0x04, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0});
    const auto act = link.GetLastActivity();
    ASSERT_TRUE(act);
    EXPECT_EQ(act->code, 7);
    EXPECT_EQ(act->address, 0x400u);
    EXPECT_EQ(act->expected, 0x12345678u);
    EXPECT_EQ(act->actual, 0x9abcdef0u);
}

TEST_F(LinkTest, UploadBlockSkipsThreeBytesBeforeTheData) {
    answer({0x29, 0xaa, 0xbb, 0xcc, 0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(link.UploadBlock(0x2000, 4), (Bytes{0x01, 0x02, 0x03, 0x04}));
    EXPECT_EQ(payloadOf(port, 0), (Bytes{0x28, 0, 0, 0x20, 0, 0, 0, 0, 4}));

    answer({0x29, 0xaa, 0xbb, 0xcc, 0x01, 0x02, 0x03});
    EXPECT_FALSE(link.UploadBlock(0x2000, 4));
}

TEST_F(LinkTest, PhaseTwoLoadChecksOnlyTheReplyCode) {
    const Bytes chunk = {0xde, 0xad};
    answer({0x09, 0x55, 0x66});
    EXPECT_TRUE(link.LoadPhase2Chunk(0x400, chunk));
    EXPECT_EQ(payloadOf(port, 0), (Bytes{0x08, 0, 0, 0x04, 0, 0xde, 0xad}));
    answer({0x0b});
    EXPECT_TRUE(link.StartPhase2());
    EXPECT_EQ(payloadOf(port, 2), (Bytes{0x0a, 0, 0, 0, 0}));
    answer({0x0d});
    EXPECT_FALSE(link.StartPhase2());
    EXPECT_FALSE(link.LoadPhase2Chunk(0, Bytes(kPhase2ChunkSize + 1)));
}

// Argument layouts of the commands whose replies carry nothing.
TEST_F(LinkTest, PlainCommandArguments) {
    struct Case {
        std::function<bool(TargetLink&)> call;
        Bytes payload;
    };
    const Case cases[] = {
        {[](TargetLink& l) { return l.SetTargetParams(0x20000000, 16); },
         {0x0c, 0x20, 0, 0, 0, 16}},
        {[](TargetLink& l) { return l.EraseChip(0x200000); }, {0x18, 0, 0x20, 0, 0}},
        {[](TargetLink& l) { return l.Finish(); }, {0x38}},
        {[](TargetLink& l) { return l.LockSector(0x8000); }, {0x40, 0, 0, 0x80, 0}},
        {[](TargetLink& l) { return l.UnlockSector(0x8000); }, {0x42, 0, 0, 0x80, 0}},
        {[](TargetLink& l) { return l.SetErrorBits(1); }, {0x46, 1}},
        {[](TargetLink& l) { return l.SetClock(ClockSource::Gps, 4); }, {0x34, 0, 4}},
    };
    for (const auto& c : cases) {
        port = testing::FakeTargetPort{&clock};
        ASSERT_TRUE(port.open("COM1", 38400));
        answer({static_cast<uint8_t>(c.payload[0] + 1)});
        EXPECT_TRUE(c.call(link)) << int(c.payload[0]);
        EXPECT_EQ(payloadOf(port, 0), c.payload);
    }
}

TEST_F(LinkTest, HuffmanTableMustBeWhole) {
    const Bytes table(kHuffmanTableSize, 0x7f);
    answer({0x15});
    EXPECT_TRUE(link.SendHuffmanTable(table));
    const Bytes sent = payloadOf(port, 0);
    EXPECT_EQ(sent.size(), kHuffmanTableSize + 1);
    EXPECT_EQ(sent[0], 0x14);
    EXPECT_FALSE(link.SendHuffmanTable(Bytes(kHuffmanTableSize - 1)));
    EXPECT_EQ(port.writes().size(), 2u);
}

// --- wrong replies ---------------------------------------------------------------------------

TEST_F(LinkTest, WrongReplyCodeOrLengthFailsThoughAcknowledged) {
    answer({0x0f, 0x03, 0x01, 0x02, 0x00}); // one byte short
    EXPECT_FALSE(link.GetStatus());
    answer({0x0f, 0x03, 0x01, 0x02, 0x00, 0x05, 0x00}); // one byte long
    EXPECT_FALSE(link.GetStatus());
    answer({0x11, 0x03, 0x01, 0x02, 0x00, 0x05}); // another command's reply
    EXPECT_FALSE(link.GetStatus());
    answer({0x05});
    EXPECT_FALSE(link.SetTargetParams(0, 16));
    answer({0x0d, 0x00});
    EXPECT_FALSE(link.SetTargetParams(0, 16));
    for (const auto& w : port.writes()) {
        if (w.size() == 1) {
            EXPECT_EQ(w, Bytes{kAck});
        }
    }
    EXPECT_EQ(link.lastStatus(), TargetStatus{}) << "a refused reply leaves the status alone";
}

// --- block transfers -------------------------------------------------------------------------

TEST_F(LinkTest, DownloadToBufferRawAndCompressed) {
    Bytes block(kBlockSize);
    block[0] = 0x11;
    block[1023] = 0x22;
    answer({0x21, 2, 0, 0, 0, 4, 3});
    EXPECT_EQ(link.DownloadToBuffer(0x1400, BlockData::raw(block)),
              (BufferStatus{{2, 0, 0, 4}, 3}));
    Bytes raw = payloadOf(port, 0);
    ASSERT_EQ(raw.size(), 1 + 4 + kBlockSize);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 6), (Bytes{0x20, 0, 0, 0x14, 0, 0x11}));
    EXPECT_EQ(raw.back(), 0x22);

    // 13 code bits fill two bytes and leave 3 pad bits.
    const Bytes code = {0xb0, 0x1f};
    answer({0x23, 2, 0, 0, 0, 4, 3});
    EXPECT_TRUE(link.DownloadToBuffer(0x1400, BlockData::huffman(code, 13)));
    EXPECT_EQ(payloadOf(port, 2), (Bytes{0x22, 0, 0, 0x14, 0, 3, 0xb0, 0x1f}));

    // 16 bits leave none.
    answer({0x31, 2, 0, 0, 0, 4, 3});
    EXPECT_TRUE(link.DownloadToBuffer(0x1400, BlockData::lzss(code, 16)));
    EXPECT_EQ(payloadOf(port, 4), (Bytes{0x30, 0, 0, 0x14, 0, 0, 0xb0, 0x1f}));
}

TEST_F(LinkTest, MalformedBlocksAreRefusedWithoutSending) {
    const Bytes code = {0xb0, 0x1f};
    EXPECT_FALSE(link.DownloadToBuffer(0, BlockData::raw(Bytes(1000))));
    EXPECT_FALSE(link.DownloadToBuffer(0, BlockData::huffman(code, 17)));
    EXPECT_FALSE(link.DownloadAndWrite(
        0, BlockData::lzss(Bytes(kMaxLzssCodeBytes + 1), (kMaxLzssCodeBytes + 1) * 8)));
    EXPECT_TRUE(port.writes().empty());
}

TEST_F(LinkTest, LargestLzssBlockFitsOnePacket) {
    const Bytes code(kMaxLzssCodeBytes, 0x5a);
    answer({0x0f, 1, 0, 0, 0, 1});
    ASSERT_TRUE(link.GetStatus());
    answer({0x33, 1, 0, 0, 0, 1});
    EXPECT_TRUE(link.DownloadAndWrite(0, BlockData::lzss(code, kMaxLzssCodeBytes * 8)));
    EXPECT_EQ(payloadOf(port, 2).size(), kMaxLzssCodeBytes + 6);
}

TEST_F(LinkTest, DownloadAndWriteWaitsForASlotOnlyWhenNoneWasFree) {
    const Bytes block(kBlockSize, 0x00);
    // No status yet: the last known freeSlots is 0.
    answer({0x3d, 1, 0, 0, 0, 1});
    answer({0x25, 1, 0, 1, 0, 3});
    EXPECT_EQ(link.DownloadAndWrite(0x400, BlockData::raw(block)), (TargetStatus{1, 1, 0, 3}));
    EXPECT_EQ(payloadOf(port, 0), (Bytes{0x3c, 0x01}));
    EXPECT_EQ(payloadOf(port, 2)[0], 0x24);

    answer({0x27, 1, 0, 2, 0, 0});
    EXPECT_TRUE(link.DownloadAndWrite(0x800, BlockData::huffman(Bytes{0xff}, 8)));
    EXPECT_EQ(payloadOf(port, 4)[0], 0x26) << "slots were free: no wait";
    EXPECT_EQ(port.writes().size(), 6u);
}

TEST_F(LinkTest, WriteBlockGroupWaitsWhenTooFewSlotsAreFree) {
    answer({0x0f, 4, 0, 0, 0, 2});
    ASSERT_TRUE(link.GetStatus());
    answer({0x3d, 4, 0, 0, 0, 4});
    answer({0x1d, 4, 0, 0, 0, 3});
    EXPECT_EQ(link.WriteBlockGroup(0, 4), (TargetStatus{4, 0, 0, 3}));
    EXPECT_EQ(payloadOf(port, 2), (Bytes{0x3c, 0x04}));
    EXPECT_EQ(payloadOf(port, 4), (Bytes{0x1c, 0x00, 0x04}));

    answer({0x1d, 4, 0, 0, 0, 0});
    EXPECT_TRUE(link.WriteBlockGroup(1, 3));
    EXPECT_EQ(payloadOf(port, 6), (Bytes{0x1c, 0x01, 0x03}));
    EXPECT_EQ(port.writes().size(), 8u);
}

TEST_F(LinkTest, FailedSlotWaitStopsTheCommand) {
    port.pushInput({kNak});
    EXPECT_FALSE(link.DownloadAndWrite(0, BlockData::raw(Bytes(kBlockSize))));
    EXPECT_EQ(port.writes().size(), 1u);
}

TEST_F(LinkTest, UpdateBufferArguments) {
    answer({0x1f, 1, 0, 0, 0, 5});
    EXPECT_TRUE(link.UpdateBuffer(2, 0x0123, Bytes{0xaa, 0xbb}));
    EXPECT_EQ(payloadOf(port, 0), (Bytes{0x1e, 0x02, 0x01, 0x23, 0xaa, 0xbb}));
    EXPECT_FALSE(link.UpdateBuffer(2, 0, Bytes(kBlockSize + 1)));
}

TEST_F(LinkTest, VerboseLinesBeforeBlockCommands) {
    link.setVerbose(true);
    const Bytes block(kBlockSize);
    answer({0x0f, 4, 0, 0, 0, 8});
    ASSERT_TRUE(link.GetStatus());
    const std::pair<std::function<bool()>, std::string> cases[] = {
        {[&] { return link.EraseSector(0x1f000, 0x1000); }, "\nErase sector @0x1f000\n"},
        {[&] { return link.ReadToBuffer(0xabc00, 1024).has_value(); }, "\nRead block @0xabc00\n"},
        {[&] { return link.DownloadToBuffer(0x400, BlockData::raw(block)).has_value(); },
         "\nDownload to buffer @0x400\n"},
        {[&] { return link.UpdateBuffer(7, 0, Bytes{1}).has_value(); },
         "\nUpdate buffer block no. 7\n"},
        {[&] { return link.DownloadAndWrite(0x800, BlockData::raw(block)).has_value(); },
         "\nDownload and write block @0x800\n"},
        {[&] { return link.WriteBlockGroup(0, 3).has_value(); },
         "\nWrite block group of 3 blocks\n"},
        {[&] { return link.UploadBlock(0xc00, 2).has_value(); }, "\nUpload block @0xc00\n"},
    };
    for (const auto& [call, line] : cases) {
        text.clear();
        EXPECT_FALSE(call()); // no answer scripted: the command times out after its line
        EXPECT_EQ(text.substr(0, line.size()), line);
        EXPECT_EQ(text.find("Sending:"), line.size());
    }
}

} // namespace
} // namespace zeph::flash
