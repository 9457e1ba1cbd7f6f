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
#include <cstdio>
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

// flashsim with the suite's serial line opened on its pseudo-terminal at 38400 baud.
struct SimOnLine {
    SimOnLine() : sim({zeph::testing::programPath("flashsim")}) {
        device = sim.readLine(5000);
        LineSettings settings;
        settings.baud = 38400;
        open = !device.empty() && line.open(device) && line.configure(settings);
    }
    zeph::testing::BackgroundProgram sim;
    std::string device;
    SerialLine line;
    bool open = false;
};

bool sendPhase1(SerialLine& line, const Bytes& image) {
    Bytes stream = {'S', 0x00};
    appendBe32(stream, static_cast<uint32_t>(image.size()));
    stream.insert(stream.end(), image.begin(), image.end());
    stream.insert(stream.end(), 4, 0x00);
    return line.write(stream.data(), stream.size(), 2000) == static_cast<long>(stream.size());
}

// One command, its ACK and a reply whose checksum holds, acknowledged: the reply's payload,
// empty when any of it is missing or wrong.
Bytes roundTrip(SerialLine& line, const Bytes& payload) {
    const Bytes packet = framePacket(payload);
    if (line.write(packet.data(), packet.size(), 2000) != static_cast<long>(packet.size())) {
        return {};
    }
    Bytes reply(3);
    if (line.readExact(reply.data(), 3, 3000) != 3 || reply[0] != kAck) {
        return {};
    }
    reply.resize(3 + readBe16(&reply[1]) + 1u);
    const long rest = static_cast<long>(reply.size()) - 3;
    if (line.readExact(&reply[3], static_cast<size_t>(rest), 5000) != rest ||
        negatedSum(&reply[1], reply.size() - 1) != 0) {
        return {};
    }
    const uint8_t ack = kAck;
    line.write(&ack, 1, 1000);
    return Bytes(reply.begin() + 3, reply.end() - 1);
}

TEST(FlashsimProgram, AnswersPhase1AndAPacketOnItsPseudoTerminal) {
    SimOnLine s;
    ASSERT_TRUE(s.open) << s.device << s.sim.err();
    const Bytes image = readFile(zeph::testing::programPath("detect.bin"));
    ASSERT_GT(image.size(), 8u);
    ASSERT_TRUE(sendPhase1(s.line, image));
    EXPECT_EQ(roundTrip(s.line, {0x36}), (Bytes{0x37, 0x21})) << s.sim.err();
    EXPECT_EQ(roundTrip(s.line, {0x2C, 0, 0, 0, 0, 0, 0, 0x03, 0xE8}),
              (Bytes{0x2D, negatedSum(image.data(), 1000)}));
    s.line.close();
    EXPECT_EQ(s.sim.stop(), 0);
}

// flashsim's processor time in clock ticks and its voluntary sleeps (each one a wake-up).
std::pair<long, long> processUse(int pid) {
    const std::string dir = "/proc/" + std::to_string(pid);
    std::ifstream statFile(dir + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)),
                           std::istreambuf_iterator<char>());
    long utime = -1;
    long stime = -1;
    const size_t name = stat.rfind(')'); // the program name may hold blanks
    if (name != std::string::npos) {
        std::sscanf(stat.c_str() + name + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld",
                    &utime, &stime);
    }
    std::ifstream status(dir + "/status");
    long sleeps = -1;
    for (std::string line; std::getline(status, line);) {
        std::sscanf(line.c_str(), "voluntary_ctxt_switches: %ld", &sleeps);
    }
    return {utime + stime, sleeps};
}

// A paced transfer is slept through, not polled: flashsim sends 8 KiB at 38400 baud (over two
// seconds of line time) on a few hundredths of a second of processor time, and an idle
// flashsim does not wake at all.
TEST(FlashsimProgram, PacedTransfersAndIdleTimeAreSleptThrough) {
    SimOnLine s;
    ASSERT_TRUE(s.open) << s.device << s.sim.err();
    const long idleFrom = processUse(s.sim.pid()).second;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_GE(idleFrom, 0);
    EXPECT_LT(processUse(s.sim.pid()).second - idleFrom, 5);

    ASSERT_TRUE(sendPhase1(s.line, readFile(zeph::testing::programPath("detect.bin"))));
    const Bytes phase2 = readFile(zeph::testing::programPath("generic.bin"));
    for (uint32_t at = 0; at < phase2.size(); at += 1024) {
        Bytes chunk = {0x08};
        appendBe32(chunk, at);
        chunk.insert(chunk.end(), phase2.begin() + at,
                     phase2.begin() + std::min<size_t>(phase2.size(), at + 1024));
        ASSERT_EQ(roundTrip(s.line, chunk), Bytes{0x09}) << s.sim.err();
    }
    ASSERT_EQ(roundTrip(s.line, {0x0A, 0, 0, 0, 0}), Bytes{0x0B});
    ASSERT_EQ(roundTrip(s.line, {0x0C, 0x40, 0, 0, 0, 16}), Bytes{0x0D});

    const long ticksFrom = processUse(s.sim.pid()).first;
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t at = 0; at < 8 * 1024; at += 1024) {
        ASSERT_EQ(roundTrip(s.line, {0x28, 0, 0, uint8_t(at >> 8), 0, 0, 0, 0x04, 0}).size(),
                  1028u);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(seconds, 8 * 1031 * 10 / 38400.0) << "faster than the line";
    EXPECT_LE(processUse(s.sim.pid()).first - ticksFrom, ::sysconf(_SC_CLK_TCK) / 10)
        << "busy over " << seconds << " s";
    s.line.close();
    EXPECT_EQ(s.sim.stop(), 0);
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
    EXPECT_NE(sim.err().find(" holds 3145728 bytes, the flash 2097152: the bytes past the flash "
                             "are kept as they are\n"),
              std::string::npos)
        << sim.err();
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
