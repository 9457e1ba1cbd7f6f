#include "monitor/link/send.h"

#include "monitor/link/testing/link_fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeph::monitor::testing {
namespace {

class FakePort : public OutputPort {
public:
    bool sendNow() const override { return ready; }
    void write(const uint8_t* bytes, size_t n) override { writes.emplace_back(bytes, bytes + n); }
    StagingBuffer& staging() override { return staged; }

    bool ready = true;
    std::vector<Bytes> writes;
    StagingBuffer staged;
};

class SendTest : public ::testing::Test {
protected:
    FakePort port;
    RecordingPrompter prompter;
};

TEST_F(SendTest, LongestBinaryPayloadMakesAThousandByteFrame) {
    const Bytes payload(992, 0xFF);
    EXPECT_TRUE(SendBinary(port, prompter, payload.data(), payload.size()));
    ASSERT_EQ(port.writes.size(), 1u);
    const Bytes& frame = port.writes[0];
    ASSERT_EQ(frame.size(), 1000u);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{0xA0, 0xA2, 0x03, 0xE0}));
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.end() - 4), payload);
    // 992 * 0xFF = 252960, which is 0xDC20 modulo 65536: all 16 bits are sent.
    EXPECT_EQ(Bytes(frame.end() - 4, frame.end()), (Bytes{0xDC, 0x20, 0xB0, 0xB3}));
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(SendTest, BinaryFrameMatchesTheReceiveSide) {
    EXPECT_TRUE(SendBinary(port, prompter, kAckPayload.data(), kAckPayload.size()));
    EXPECT_EQ(port.writes, (std::vector<Bytes>{frameOf(kAckPayload)}));
}

TEST_F(SendTest, OverlongMessagesAreRefusedWithAMessageBox) {
    const Bytes payload(993, 0x01);
    EXPECT_FALSE(SendBinary(port, prompter, payload.data(), payload.size()));
    EXPECT_FALSE(SendNmea(port, prompter, std::string(991, 'A')));
    EXPECT_EQ(prompter.asked,
              (std::vector<std::string>{"Zeph message length exceeds maximum limit (992).",
                                        "NMEA message length exceeds maximum limit (990)."}));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(port.staged.size(), 0u);
}

TEST_F(SendTest, SentenceCarriesTheBodyXorInUpperCaseHex) {
    EXPECT_TRUE(SendNmea(port, prompter, "ZUVE105,01"));
    EXPECT_TRUE(SendNmea(port, prompter, "J")); // 0x4A: a letter digit
    EXPECT_EQ(port.writes,
              (std::vector<Bytes>{bytesOf("\r\n$ZUVE105,01*05\r\n"), bytesOf("\r\n$J*4A\r\n")}));
}

TEST_F(SendTest, LongestSentenceBody) {
    // 990 characters of 'B' cancel out in pairs: the XOR is 0.
    EXPECT_TRUE(SendNmea(port, prompter, std::string(990, 'B')));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], bytesOf("\r\n$" + std::string(990, 'B') + "*00\r\n"));
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(SendTest, NotReadyStagesAndAFullStagingBufferIsWrittenFirst) {
    port.ready = false;
    const Bytes payload(992, 0x07);
    const Bytes frame = frameOf(payload);
    const Bytes sentence = bytesOf("\r\n$ZUVE105,01*05\r\n");

    EXPECT_TRUE(SendBinary(port, prompter, payload.data(), payload.size()));
    EXPECT_TRUE(SendNmea(port, prompter, "ZUVE105,01")); // 1018 bytes staged
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(port.staged.size(), 1018u);

    // 18 more bytes do not fit: the staged ones go out first, in order.
    EXPECT_TRUE(SendNmea(port, prompter, "ZUVE105,01"));
    EXPECT_EQ(port.writes, (std::vector<Bytes>{frame + sentence}));
    EXPECT_EQ(port.staged.take(), sentence);
    EXPECT_EQ(port.staged.size(), 0u);
}

TEST(StagingBuffer, RefusesWhatDoesNotFitAndKeepsItsContents) {
    StagingBuffer staging;
    const Bytes most(1000, 0x5A);
    EXPECT_TRUE(staging.append(most.data(), most.size()));
    const Bytes tooMuch(25, 0x33);
    EXPECT_FALSE(staging.append(tooMuch.data(), tooMuch.size()));
    EXPECT_TRUE(staging.append(tooMuch.data(), 24)); // exactly full
    EXPECT_EQ(staging.size(), StagingBuffer::kCapacity);
    EXPECT_EQ(staging.take(), most + Bytes(24, 0x33));
    EXPECT_TRUE(staging.take().empty());
}

} // namespace
} // namespace zeph::monitor::testing
