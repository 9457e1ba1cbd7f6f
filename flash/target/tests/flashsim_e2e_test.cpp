// flashsim as the programmer meets it: the built program on a pseudo-terminal, opened with the
// suite's serial line at 38400 baud.

#include "flash/target/wire_rules.h"

#include "common/bytes/byte_order.h"
#include "common/serial/serial_line.h"
#include "common/testing/child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace zeph::flashsim {
namespace {

Bytes readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(FlashsimProgram, AnswersPhase1AndAPacketOnItsPseudoTerminal) {
    zeph::testing::BackgroundProgram sim({zeph::testing::programPath("flashsim")});
    ASSERT_TRUE(sim.started());
    const std::string device = sim.readLine(5000);
    ASSERT_FALSE(device.empty()) << sim.err();

    SerialLine line;
    ASSERT_TRUE(line.open(device)) << device;
    LineSettings settings;
    settings.baud = 38400;
    ASSERT_TRUE(line.configure(settings));

    const Bytes image = readFile(zeph::testing::programPath("detect.bin"));
    ASSERT_GT(image.size(), 8u);
    Bytes stream = {'S', 0x00};
    appendBe32(stream, static_cast<uint32_t>(image.size()));
    stream.insert(stream.end(), image.begin(), image.end());
    stream.insert(stream.end(), 4, 0x00);
    ASSERT_EQ(line.write(stream.data(), stream.size(), 2000), static_cast<long>(stream.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const Bytes packet = framePacket({0x36});
    ASSERT_EQ(line.write(packet.data(), packet.size(), 2000), static_cast<long>(packet.size()));
    uint8_t reply[6] = {};
    ASSERT_EQ(line.readExact(reply, sizeof reply, 3000), 6) << sim.err();
    EXPECT_EQ(reply[0], kAck);
    EXPECT_EQ(Bytes(reply + 1, reply + 6), framePacket({0x37, 0x21}));
    const uint8_t ack = kAck;
    ASSERT_EQ(line.write(&ack, 1, 1000), 1);

    const Bytes checksum = framePacket({0x2C, 0, 0, 0, 0, 0, 0, 0x03, 0xE8});
    ASSERT_EQ(line.write(checksum.data(), checksum.size(), 2000),
              static_cast<long>(checksum.size()));
    uint8_t sum[6] = {};
    ASSERT_EQ(line.readExact(sum, sizeof sum, 3000), 6);
    EXPECT_EQ(sum[0], kAck);
    EXPECT_EQ(sum[3], 0x2D);
    EXPECT_EQ(sum[4], negatedSum(image.data(), 1000));
    line.close();
    EXPECT_EQ(sim.stop(), 0);
}

TEST(FlashsimProgram, BadOptionIsOneLineAndStatusTwo) {
    const zeph::testing::ProgramResult result =
        zeph::testing::runProgram({zeph::testing::programPath("flashsim"), "--bus", "8"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

} // namespace
} // namespace zeph::flashsim
