// ZephBurnCL reading flash from flashsim over its pseudo-terminal, on the console and through
// a pipe, and a target that stops answering in the middle of a read.

#include "burn_e2e_support.h"

#include <chrono>
#include <csignal>
#include <optional>
#include <random>
#include <regex>

namespace zeph::flash::e2e {
namespace {

constexpr size_t kReadSize = 0x10000;

// flashsim's flash starts with 64 KiB and a little more of random bytes.
std::vector<uint8_t> randomFlash(const BurnFolder& folder, std::string& path) {
    std::mt19937 random(20240607);
    std::vector<uint8_t> bytes(kReadSize + 3000);
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(random());
    }
    path = folder.dir.write("flash.img", bytes);
    return bytes;
}

std::vector<uint8_t> firstBytes(const std::vector<uint8_t>& bytes, size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}

// The percentages of the 1005 records of a read of `size` bytes.
std::vector<int> expectedPercents(size_t size) {
    std::vector<int> out;
    for (size_t offset = 0; offset < size; offset += 1024) {
        out.push_back(static_cast<int>((offset + 1024) * 100 / size));
    }
    return out;
}

TEST(BurnRead, ConsoleReadWritesTheRangeAndReportsEachBlock) {
    BurnFolder folder;
    std::string flashPath;
    const auto flash = randomFlash(folder, flashPath);
    Sim sim({"--flash", flashPath});
    ASSERT_FALSE(sim.device.empty());
    const std::string out = folder.path("out.bin");

    const auto r = burn({out, "-r", "-f", "0", "-t", "0xFFFF", "-l", sim.device});

    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(testing::readBytes(out), firstBytes(flash, kReadSize));
    std::string expected = "One AMD Am29LV160DB chip will be read\n";
    for (int percent : expectedPercents(kReadSize)) {
        expected += std::to_string(percent) + "% transferred\r";
    }
    const std::string tail = "\nFlash successfully read in ";
    ASSERT_GT(r.out.size(), expected.size() + tail.size());
    EXPECT_EQ(r.out.substr(0, expected.size() + tail.size()), expected + tail);
    EXPECT_TRUE(std::regex_match(r.out.substr(expected.size() + tail.size()),
                                 std::regex("[0-9]+\\.[0-9] sec\n")))
        << r.out.substr(expected.size());
}

TEST(BurnRead, PipeReadSendsChipProgressResultAndEndRecords) {
    BurnFolder folder;
    std::string flashPath;
    const auto flash = randomFlash(folder, flashPath);
    Sim sim({"--flash", flashPath});
    ASSERT_FALSE(sim.device.empty());
    const std::string out = folder.path("out.bin");

    // An unaligned range: the file holds exactly the bytes asked for.
    const PipeRun run = burnPiped(
        {out, "-r", "-f", "0x123", "-t", "0xFEDC", "-l", sim.device, "-b", "307200", "-sr"});

    EXPECT_EQ(run.result.exitCode, 0) << run.result.out;
    EXPECT_EQ(run.result.out, "");
    EXPECT_TRUE(run.wellFormed);
    EXPECT_EQ(testing::readBytes(out),
              std::vector<uint8_t>(flash.begin() + 0x123, flash.begin() + 0xFEDD));
    const std::vector<int> percents = expectedPercents(kReadSize);
    ASSERT_EQ(run.records.size(), percents.size() + 3);
    EXPECT_EQ(run.records.front(), (PipeRecord{1000, "1 AMD Am29LV160DB"}));
    const std::regex time("[0-9]+\\.[0-9]");
    for (size_t i = 0; i < percents.size(); ++i) {
        const PipeRecord& r = run.records[1 + i];
        EXPECT_EQ(r.code, 1005u);
        const std::string head = std::to_string(percents[i]) + " ";
        EXPECT_EQ(r.text.substr(0, head.size()), head) << r.text;
        EXPECT_TRUE(std::regex_match(r.text.substr(head.size()), time)) << r.text;
    }
    const PipeRecord& done = run.records[run.records.size() - 2];
    EXPECT_EQ(done.code, 1003u);
    EXPECT_TRUE(std::regex_match(done.text, time)) << done.text;
    EXPECT_EQ(run.records.back(), (PipeRecord{1006, "0"}));
    const std::string result = folder.path("RES" + sim.device.substr(sim.device.rfind('/') + 1));
    EXPECT_EQ(testing::readBytes(result), (std::vector<uint8_t>{'P', 'A', 'S', 'S', '\r', '\n'}));
}

TEST(BurnRead, ATargetThatStopsAnsweringEndsTheReadWithAReadingError) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    // 1 MiB takes about 90 seconds at 115200 baud; the target freezes once the read is under way.
    zeph::testing::BackgroundProgram run({zeph::testing::programPath("ZephBurnCL"),
                                          folder.path("out.bin"), "-r", "-f", "0", "-t", "0xFFFFF",
                                          "-l", sim.device});
    ASSERT_TRUE(run.waitForOutput("% transferred\r", 60'000)) << run.output();
    sim.program.signal(SIGSTOP);
    const auto frozen = std::chrono::steady_clock::now();
    const std::optional<int> exitCode = run.wait(60'000);
    const auto took = std::chrono::steady_clock::now() - frozen;
    sim.program.signal(SIGCONT);

    EXPECT_EQ(exitCode, 1);
    const std::string tail = "\nFlash reading error\n";
    const std::string& out = run.output();
    ASSERT_GE(out.size(), tail.size()) << out;
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_LT(took, std::chrono::seconds(20));
}

// A signal part-way through a read ends the run as an error would: Finish puts the target back
// to waiting for phase 1 (so the next run starts cleanly), the result file says FAIL.
TEST(BurnRead, ASignalMidReadEndsTheRunWithFinishAndAFailResult) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    const std::string result = folder.path("RES" + sim.device.substr(sim.device.rfind('/') + 1));
    const auto finishes = [&sim] {
        const std::string err = sim.program.err();
        size_t count = 0;
        for (size_t at = err.find("Finish:"); at != std::string::npos;
             at = err.find("Finish:", at + 1)) {
            ++count;
        }
        return count;
    };
    for (const auto& [signal, name] :
         {std::pair{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}}) {
        const size_t before = finishes();
        zeph::testing::BackgroundProgram run({zeph::testing::programPath("ZephBurnCL"),
                                              folder.path("out.bin"), "-r", "-f", "0", "-t",
                                              "0xFFFFF", "-l", sim.device, "-sr"});
        ASSERT_TRUE(run.waitForOutput("% transferred\r", 60'000)) << run.output();
        run.signal(signal);
        EXPECT_EQ(run.wait(20'000), 1) << name;
        EXPECT_TRUE(run.output().ends_with(std::string("\nRun stopped by ") + name + "\n"))
            << run.output();
        EXPECT_EQ(testing::readBytes(result),
                  (std::vector<uint8_t>{'F', 'A', 'I', 'L', '\r', '\n'}));
        for (int i = 0; i < 40 && finishes() == before; ++i) {
            usleep(50'000);
        }
        EXPECT_EQ(finishes(), before + 1) << name;

        const auto next = burn({folder.path("next.bin"), "-r", "-f", "0", "-t", "0x3FF", "-l",
                                sim.device, "-q", "-sr"});
        EXPECT_EQ(next.exitCode, 0) << name << ": " << next.out;
        EXPECT_EQ(testing::readBytes(result),
                  (std::vector<uint8_t>{'P', 'A', 'S', 'S', '\r', '\n'}));
    }
}

} // namespace
} // namespace zeph::flash::e2e
