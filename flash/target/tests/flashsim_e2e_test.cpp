// flashsim as the programmer meets it: the built program on a pseudo-terminal, opened with the
// suite's serial line at 38400 baud.

#include "flash/target/wire_rules.h"

#include "common/bytes/byte_order.h"
#include "common/serial/serial_line.h"
#include "common/testing/child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <thread>
#include <unistd.h>

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

TEST(FlashsimProgram, FlashFileIsWrittenWhereALinkLeadsAndNeverShortened) {
    namespace fs = std::filesystem;
    const fs::path dir = ::testing::TempDir() + "flashsim_file_" + std::to_string(::getpid());
    fs::remove_all(dir);
    fs::create_directory(dir);
    Bytes image(3 << 20); // longer than the chip played
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
    }
    std::ofstream(dir / "image.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    fs::create_symlink("image.bin", dir / "link");

    zeph::testing::BackgroundProgram sim(
        {zeph::testing::programPath("flashsim"), "--flash", (dir / "link").string()});
    ASSERT_FALSE(sim.readLine(5000).empty()) << sim.err();
    EXPECT_EQ(sim.stop(), 0); // writes the flash back
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_TRUE(readFile((dir / "image.bin").string()) == image);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"image.bin", "link"}));

    const std::string missing = (dir / "no" / "f.img").string();
    zeph::testing::BackgroundProgram refused(
        {zeph::testing::programPath("flashsim"), "--flash", missing});
    EXPECT_EQ(refused.readLine(5000), "");
    EXPECT_EQ(refused.stop(), 1);
    EXPECT_EQ(refused.err(),
              "flashsim: cannot write " + missing + ": " + std::strerror(ENOENT) + "\n");
    fs::remove_all(dir);
}

} // namespace
} // namespace zeph::flashsim
