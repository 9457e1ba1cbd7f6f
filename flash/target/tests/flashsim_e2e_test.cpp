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
#include <sstream>
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

// flashsim's own use of the processor, in clock ticks, and how often it has slept and woken.
struct ProcessUse {
    long ticks = -1;
    long wakeUps = -1;
};

ProcessUse processUse(int pid) {
    ProcessUse use;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t name = text.rfind(')'); // the program name may hold blanks
    if (name != std::string::npos) {
        std::istringstream fields(text.substr(name + 2));
        std::string field;
        long utime = 0;
        long stime = 0;
        for (int i = 3; i <= 13 && fields >> field; ++i) {
        }
        if (fields >> utime >> stime) {
            use.ticks = utime + stime;
        }
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("voluntary_ctxt_switches:")) {
            use.wakeUps = std::stol(line.substr(line.find(':') + 1));
        }
    }
    return use;
}

// One command and its reply at the line's rate; the reply's payload, empty when none came.
Bytes roundTrip(SerialLine& line, const Bytes& payload) {
    const Bytes packet = framePacket(payload);
    if (line.write(packet.data(), packet.size(), 2000) != static_cast<long>(packet.size())) {
        return {};
    }
    uint8_t head[3] = {};
    if (line.readExact(head, 3, 3000) != 3 || head[0] != kAck) {
        return {};
    }
    Bytes rest(readBe16(head + 1) + 1u);
    if (line.readExact(rest.data(), rest.size(), 5000) != static_cast<long>(rest.size())) {
        return {};
    }
    const uint8_t ack = kAck;
    line.write(&ack, 1, 1000);
    rest.pop_back();
    return rest;
}

// A paced transfer is slept through, not polled: flashsim sends 8 KiB at 38400 baud (over two
// seconds of line time) on a few hundredths of a second of processor time, and an idle
// flashsim does not wake at all.
TEST(FlashsimProgram, PacedTransfersAndIdleTimeAreSleptThrough) {
    zeph::testing::BackgroundProgram sim({zeph::testing::programPath("flashsim")});
    const std::string device = sim.readLine(5000);
    ASSERT_FALSE(device.empty()) << sim.err();
    SerialLine line;
    ASSERT_TRUE(line.open(device)) << device;
    LineSettings settings;
    settings.baud = 38400;
    ASSERT_TRUE(line.configure(settings));

    const ProcessUse idleFrom = processUse(sim.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const ProcessUse idleTo = processUse(sim.pid());
    ASSERT_GE(idleFrom.wakeUps, 0);
    EXPECT_LT(idleTo.wakeUps - idleFrom.wakeUps, 5);

    const Bytes detect = readFile(zeph::testing::programPath("detect.bin"));
    Bytes stream = {'S', 0x00};
    appendBe32(stream, static_cast<uint32_t>(detect.size()));
    stream.insert(stream.end(), detect.begin(), detect.end());
    stream.insert(stream.end(), 4, 0x00);
    ASSERT_EQ(line.write(stream.data(), stream.size(), 2000), static_cast<long>(stream.size()));
    ASSERT_EQ(roundTrip(line, {0x36}), (Bytes{0x37, 0x21})) << sim.err();
    const Bytes phase2 = readFile(zeph::testing::programPath("generic.bin"));
    for (uint32_t at = 0; at < phase2.size(); at += 1024) {
        Bytes chunk = {0x08};
        appendBe32(chunk, at);
        chunk.insert(chunk.end(), phase2.begin() + at,
                     phase2.begin() + std::min<size_t>(phase2.size(), at + 1024));
        ASSERT_EQ(roundTrip(line, chunk), Bytes{0x09});
    }
    ASSERT_EQ(roundTrip(line, {0x0A, 0, 0, 0, 0}), Bytes{0x0B});
    ASSERT_EQ(roundTrip(line, {0x0C, 0x40, 0, 0, 0, 16}), Bytes{0x0D});

    const ProcessUse from = processUse(sim.pid());
    const auto start = std::chrono::steady_clock::now();
    for (uint32_t at = 0; at < 8 * 1024; at += 1024) {
        Bytes upload = {0x28};
        appendBe32(upload, at);
        appendBe32(upload, 1024);
        ASSERT_EQ(roundTrip(line, upload).size(), 1028u);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const ProcessUse to = processUse(sim.pid());
    EXPECT_GE(seconds, 8 * 1031 * 10 / 38400.0) << "faster than the line";
    EXPECT_LE(to.ticks - from.ticks, ::sysconf(_SC_CLK_TCK) / 10)
        << "busy over " << seconds << " s";
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
