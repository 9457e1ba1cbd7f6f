// Packets, acknowledgements, retransmission, phase-1 download, rate change and verbose text.

#include "link_test_support.h"

#include <chrono>

namespace zeph::flash {
namespace {

using Kind = testing::FakeTargetPort::Event::Kind;
using std::chrono::milliseconds;

TEST(LinkChecksum, MakesThePacketSumToZero) {
    EXPECT_EQ(linkChecksum(Bytes{}), 0x00);
    EXPECT_EQ(linkChecksum(Bytes{0x00, 0x01, 0x0e}), 0xf1);
    EXPECT_EQ(linkChecksum(Bytes{0xff, 0xff, 0x03}), 0xff);
    EXPECT_EQ(buildPacket(Bytes{0x0e}), (Bytes{0x00, 0x01, 0x0e, 0xf1}));
    const Bytes packet = buildPacket(Bytes(300, 0x01)); // 300 = 0x012c
    EXPECT_EQ(packet.size(), 303u);
    EXPECT_EQ(packet[1], 0x2c);
    EXPECT_EQ(packet.back(), 0xa7);
}

// Command packets, checksums worked out by hand.
TEST_F(LinkTest, CommandPacketsAreByteExact) {
    struct Case {
        std::function<bool(TargetLink&)> call;
        Bytes reply;
        Bytes packet;
    };
    const Case cases[] = {
        {[](TargetLink& l) { return l.GetStatus().has_value(); },
         {0x0f, 0, 0, 0, 0, 1},
         {0x00, 0x01, 0x0e, 0xf1}},
        {[](TargetLink& l) { return l.SetFlashLocation(3, 0x10000000); },
         {0x05},
         {0x00, 0x06, 0x04, 0x03, 0x10, 0x00, 0x00, 0x00, 0xe3}},
        {[](TargetLink& l) { return l.EraseSector(0x00010000, 0x2000); },
         {0x17},
         {0x00, 0x09, 0x16, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0xc0}},
        {[](TargetLink& l) { return l.GetCrc16(0x400, 0x800, 0xffff) == 0x1234; },
         {0x2b, 0x12, 0x34},
         {0x00, 0x0b, 0x2a, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x08, 0x00, 0xff, 0xff, 0xc1}},
        {[](TargetLink& l) { return l.SetClock(ClockSource::Acq, 2); },
         {0x35},
         {0x00, 0x03, 0x34, 0x01, 0x02, 0xc6}},
    };
    for (const auto& c : cases) {
        port = testing::FakeTargetPort{&clock};
        ASSERT_TRUE(port.open("COM1", 38400));
        answer(c.reply);
        EXPECT_TRUE(c.call(link));
        EXPECT_EQ(firstWrite(), c.packet);
    }
}

TEST_F(LinkTest, OversizedCommandIsRefusedWithoutSending) {
    EXPECT_FALSE(link.SendCommand(Bytes(kTransmitBufferSize - 2, 0x00)));
    EXPECT_FALSE(link.SendCommand(Bytes{}));
    EXPECT_TRUE(port.writes().empty());
}

// --- acknowledgement of a command -----------------------------------------------------------

TEST_F(LinkTest, NakOrStrangeByteFailsAtOnceWhileRecoveryIsOff) {
    for (uint8_t reply : {kNak, uint8_t{0x41}}) {
        port.pushInput({reply});
        port.pushInput({0xaa});
        EXPECT_FALSE(link.SendCommand(Bytes{0x0e}));
        EXPECT_EQ(port.chunksLeft(), 1u) << "nothing drained";
        port = testing::FakeTargetPort{&clock};
        ASSERT_TRUE(port.open("COM1", 38400));
    }
    EXPECT_EQ(clock.now(), Clock::TimePoint{});
}

TEST_F(LinkTest, NakWithRecoveryDrainsThenAsksForTheReplyWithoutResending) {
    link.setLinkRecovery(true);
    port.pushInput({kNak});
    port.pushInput({0xaa, 0xbb, 0xcc});
    port.pushInput(buildPacket(Bytes{0x0f, 4, 0, 9, 0, 3}));

    const auto status = link.GetStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->blocksProgrammed, 9);

    const auto w = port.writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[0], (Bytes{0x00, 0x01, 0x0e, 0xf1}));
    EXPECT_EQ(w[1], Bytes{kNak});
    EXPECT_EQ(w[2], Bytes{kAck});

    // The drain read comes 300 ms after the NAK arrived and asks for a whole buffer.
    std::vector<testing::FakeTargetPort::Event> reads;
    for (const auto& e : port.events()) {
        if (e.kind == Kind::Read) {
            reads.push_back(e);
        }
    }
    ASSERT_GE(reads.size(), 2u);
    EXPECT_EQ(reads[1].at - reads[0].at, milliseconds(300));
    EXPECT_EQ(reads[1].requested, kDrainBufferSize);
    EXPECT_EQ(reads[1].bytes, (Bytes{0xaa, 0xbb, 0xcc}));
}

// --- reception of a reply --------------------------------------------------------------------

Bytes corrupt(Bytes packet) {
    packet.back() = static_cast<uint8_t>(packet.back() + 1);
    return packet;
}

const Bytes kStatusReply = {0x0f, 3, 0, 5, 0, 2};

TEST_F(LinkTest, BadChecksumIsNakedAndFailsAtOnceWhileRecoveryIsOff) {
    port.pushInput({kAck});
    port.pushInput(corrupt(buildPacket(kStatusReply)));
    port.pushInput(buildPacket(kStatusReply));
    EXPECT_FALSE(link.GetStatus());
    const auto w = port.writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[1], Bytes{kNak});
    EXPECT_EQ(port.chunksLeft(), 1u);
}

TEST_F(LinkTest, NineBadRepliesFailWithRecoveryOn) {
    link.setLinkRecovery(true);
    port.pushInput({kAck});
    for (int i = 0; i < 9; ++i) {
        port.pushInput(corrupt(buildPacket(kStatusReply)));
    }
    port.pushInput(buildPacket(kStatusReply));
    EXPECT_FALSE(link.GetStatus());
    const auto w = port.writes();
    ASSERT_EQ(w.size(), 10u);
    for (std::size_t i = 1; i < w.size(); ++i) {
        EXPECT_EQ(w[i], Bytes{kNak});
    }
    EXPECT_EQ(port.chunksLeft(), 1u) << "a tenth reception is never tried";
}

TEST_F(LinkTest, GoodReplyOnTheFifthTrySucceeds) {
    link.setLinkRecovery(true);
    port.pushInput({kAck});
    for (int i = 0; i < 4; ++i) {
        port.pushInput(corrupt(buildPacket(kStatusReply)));
    }
    port.pushInput(buildPacket(kStatusReply));
    const auto status = link.GetStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, (TargetStatus{3, 5, 0, 2}));
    const auto w = port.writes();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[4], Bytes{kNak});
    EXPECT_EQ(w[5], Bytes{kAck});
    EXPECT_EQ(port.writes().front(), (Bytes{0x00, 0x01, 0x0e, 0xf1})) << "sent once";
}

TEST_F(LinkTest, ShortReplyDataIsNakedAndTakenAgainWithRecoveryOn) {
    link.setLinkRecovery(true);
    port.pushInput({kAck});
    port.pushInput({0x00, 0x06, 0x0f, 0x03});
    port.pushInput(buildPacket(kStatusReply));
    EXPECT_TRUE(link.GetStatus());
    const auto w = port.writes();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(w[1], Bytes{kNak});
}

// --- phase-1 download ------------------------------------------------------------------------

TEST_F(LinkTest, Phase1GoesOutAsHeaderChunksAndTrailerWithNothingRead) {
    Bytes image(1000);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i * 7);
    }
    ASSERT_TRUE(link.SendRawPhase1(image));
    const auto w = port.writes();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], (Bytes{0x53, 0x00, 0x00, 0x00, 0x03, 0xe8}));
    EXPECT_EQ(w[1], Bytes(image.begin(), image.begin() + 512));
    EXPECT_EQ(w[2], Bytes(image.begin() + 512, image.end()));
    EXPECT_EQ(w[3], Bytes(4, 0x00));
    EXPECT_EQ(port.readCount(), 0u);
}

TEST_F(LinkTest, Phase1StopsAtTheFirstShortWrite) {
    port.limitWrite(1, 100);
    EXPECT_FALSE(link.SendRawPhase1(Bytes(1024, 0x11)));
    EXPECT_EQ(port.writes().size(), 2u);
}

// --- rate change -----------------------------------------------------------------------------

struct BaudCase {
    int baud;
    Bytes rateBytes;
};

TEST_F(LinkTest, SetBaudSendsKnownRatesAndZeroForOthers) {
    const BaudCase cases[] = {
        {38400, {0x00, 0x00, 0x96, 0x00}},  {57600, {0x00, 0x00, 0xe1, 0x00}},
        {115200, {0x00, 0x01, 0xc2, 0x00}}, {230400, {0x00, 0x03, 0x84, 0x00}},
        {307200, {0x00, 0x04, 0xb0, 0x00}}, {9600, {0x00, 0x00, 0x00, 0x00}},
        {460800, {0x00, 0x00, 0x00, 0x00}}};
    for (const auto& c : cases) {
        port = testing::FakeTargetPort{&clock};
        ASSERT_TRUE(port.open("COM1", 38400));
        port.pushInput({kAck});
        ASSERT_TRUE(link.ChangeBaud("COM1", c.baud)) << c.baud;
        Bytes payload = {0x00};
        payload.insert(payload.end(), c.rateBytes.begin(), c.rateBytes.end());
        EXPECT_EQ(port.writes().at(0), buildPacket(payload)) << c.baud;
        EXPECT_EQ(port.baud(), c.baud);
    }
}

TEST_F(LinkTest, ChangeBaudReopensAtTheNewRateAndSettles) {
    port.pushInput({kAck});
    ASSERT_TRUE(link.ChangeBaud("COM1", 115200));
    EXPECT_EQ(firstWrite(), (Bytes{0x00, 0x05, 0x00, 0x00, 0x01, 0xc2, 0x00, 0x38}));
    const auto& ev = port.events();
    ASSERT_EQ(ev.size(), 5u); // open, write, read, close, open
    EXPECT_EQ(ev[3].kind, Kind::Close);
    EXPECT_EQ(ev[4].kind, Kind::Open);
    EXPECT_EQ(ev[4].name, "COM1");
    EXPECT_EQ(ev[4].baud, 115200);
    EXPECT_EQ(clock.now() - ev[4].at, milliseconds(100));

    // The next packet goes out on the reopened port.
    answer({0x39});
    EXPECT_TRUE(link.Finish());
}

TEST_F(LinkTest, ChangeBaudKeepsThePortWhenSetBaudFails) {
    port.pushInput({kNak});
    EXPECT_FALSE(link.ChangeBaud("COM1", 115200));
    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(port.baud(), 38400);
    EXPECT_EQ(port.events().back().kind, Kind::Read);
}

TEST_F(LinkTest, ChangeBaudFailsWhenTheReopenFails) {
    port.pushInput({kAck});
    port.setOpenFails(true);
    EXPECT_FALSE(link.ChangeBaud("COM1", 57600));
    EXPECT_EQ(clock.now(), Clock::TimePoint{});
}

// --- verbose text ----------------------------------------------------------------------------

TEST_F(LinkTest, VerboseTextOfAPlainExchange) {
    link.setVerbose(true);
    answer(kStatusReply);
    ASSERT_TRUE(link.GetStatus());
    EXPECT_EQ(text, "Sending: 00 01 0e f1\n"
                    "Received positive ACK\n"
                    "Receiving...\n"
                    "Received : 00 06 0f 03 00 05 00 02 e1\n"
                    "Checksum OK\n"
                    "Sent positive ACK\n");
}

TEST_F(LinkTest, VerboseTextOfARecoveredExchange) {
    link.setVerbose(true);
    link.setLinkRecovery(true);
    port.pushInput({kNak});
    port.pushInput({0xaa, 0x0b});
    port.pushInput(corrupt(buildPacket(Bytes{0x17})));
    port.pushInput(buildPacket(Bytes{0x17}));
    ASSERT_TRUE(link.EraseSector(0x10000, 0x2000));
    EXPECT_EQ(text, "\nErase sector @0x10000\n"
                    "Sending: 00 09 16 00 01 00 00 00 00 20 00 c0\n"
                    "Received NAK\n"
                    "Collected 2 bytes from buffer:\n"
                    " aa 0b\n"
                    "Sent NAK to initiate retransmittion\n"
                    "Receiving...\n"
                    "Received : 00 01 17 e9\n"
                    "Bad checksum\n"
                    "Sent negative ACK\n"
                    "Receiving...\n"
                    "Received : 00 01 17 e8\n"
                    "Checksum OK\n"
                    "Sent positive ACK\n");
}

TEST_F(LinkTest, VerboseTextOfFailures) {
    link.setVerbose(true);
    struct Case {
        std::function<void(testing::FakeTargetPort&)> script;
        std::string expected;
    };
    const Case cases[] = {
        {[](auto& p) { p.limitWrite(0, 3); }, "Sending: 00 01 0e f1\nFailed to send.\n"},
        {[](auto&) {}, "Sending: 00 01 0e f1\nFailed to receive ACK. BytesRead = 0\n"},
        {[](auto& p) { p.pushInput({0x41}); }, "Sending: 00 01 0e f1\nReceived strange ACK 0x41\n"},
        {[](auto& p) {
             p.pushInput({kAck});
             p.pushInput({0x00});
         },
         "Sending: 00 01 0e f1\nReceived positive ACK\nReceiving...\n"
         "Error reading packet length - expected 2, got 1 bytes\n"},
        {[](auto& p) {
             p.pushInput({kAck});
             p.pushReadError(5);
         },
         "Sending: 00 01 0e f1\nReceived positive ACK\nReceiving...\n"
         "ReadComm returned status 0x5 reading packet length\n"},
        {[](auto& p) {
             p.pushInput({kAck, 0x00, 0x06});
             p.pushReadError(0x1f);
         },
         "Sending: 00 01 0e f1\nReceived positive ACK\nReceiving...\n"
         "ReadComm returned status 0x1f reading packet length\n"},
        {[](auto& p) {
             p.pushInput({kAck});
             p.pushInput({0x00, 0x06, 0x0f, 0x03, 0x00});
         },
         "Sending: 00 01 0e f1\nReceived positive ACK\nReceiving...\n"
         "Error reading packet data - expected 7, got 3 bytes\n"
         "Sent negative ACK\nFailed to send ACK\n"},
        {[](auto& p) {
             p.pushInput({kAck});
             p.pushInput({0x00, 0x01, 0x0f, 0xf0});
             p.limitWrite(1, 0);
         },
         "Sending: 00 01 0e f1\nReceived positive ACK\nReceiving...\n"
         "Received : 00 01 0f f0\nChecksum OK\nFailed to send ACK\n"},
    };
    for (const auto& c : cases) {
        port = testing::FakeTargetPort{&clock};
        ASSERT_TRUE(port.open("COM1", 38400));
        c.script(port);
        text.clear();
        EXPECT_FALSE(link.GetStatus());
        EXPECT_EQ(text, c.expected);
    }
}

TEST_F(LinkTest, NothingIsPrintedUnlessVerbose) {
    link.setLinkRecovery(true);
    port.pushInput({kNak});
    port.pushInput({0xaa});
    port.pushInput(corrupt(buildPacket(Bytes{0x17})));
    port.pushInput(buildPacket(Bytes{0x17}));
    ASSERT_TRUE(link.EraseSector(0x10000, 0x2000));
    EXPECT_EQ(text, "");
}

} // namespace
} // namespace zeph::flash
