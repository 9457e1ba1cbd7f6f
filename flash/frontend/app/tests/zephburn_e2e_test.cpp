// The built ZephBurn started as a user starts it for an unattended run (-ae -ax -sr), with COM1
// mapped to flashsim's pseudo-terminal: it programs, reads and ends with ZephBurnCL's status
// and no box in the way.

#include "common/serial/testing/pty_pair.h"

#include "flash/engine/run/tests/burn_e2e_support.h"
#include "flash/engine/run/tests/burn_image_bytes.h"
#include <csignal>

namespace zeph::burnfront {
namespace {

using flash::e2e::Bytes;

// The program's exit status; nothing when it had not ended after a minute (a box it shows
// waits for ever).
std::optional<int> runZephBurn(std::vector<std::string> args) {
    args.insert(args.begin(), zeph::testing::programPath("ZephBurn"));
    zeph::testing::BackgroundProgram program(args);
    const std::optional<int> status = program.wait(60000);
    if (!status) {
        program.stop();
    }
    return status;
}

std::string resultFile(const flash::e2e::BurnFolder& folder) {
    const Bytes bytes = flash::testing::readBytes(folder.path("RESCOM1"));
    return std::string(bytes.begin(), bytes.end());
}

TEST(ZephBurnProgram, AnUnattendedRunProgramsAndReadsWithTheEnginesStatus) {
    flash::e2e::BurnFolder folder;
    const Bytes image = flash::e2e::randomBytes(0x3000, 5);
    const std::string imageFile = folder.dir.write("image.bin", image);
    const std::string flashFile = folder.path("flash.img");
    Bytes flash;
    {
        flash::e2e::Sim sim({"--chip", "MX29LV400CB", "--flash", flashFile});
        ASSERT_FALSE(sim.device.empty());
        setenv("ZEPH_COM1", sim.device.c_str(), 1);
        EXPECT_EQ(runZephBurn({"-ae", "-ax", "-sr", "-l", "1", imageFile}), 0);
        EXPECT_EQ(resultFile(folder), "PASS\r\n");

        const std::string out = folder.path("out.bin");
        EXPECT_EQ(
            runZephBurn({"-ae", "-ax", "-sr", "-r", "-f", "0", "-t", "0x2FFF", "-l", "1", out}), 0);
        EXPECT_EQ(flash::testing::readBytes(out), image);
        sim.program.stop(); // flashsim writes its flash file as it ends
        flash = flash::testing::readBytes(flashFile);
    }
    ASSERT_GE(flash.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    unsetenv("ZEPH_COM1");
}

TEST(ZephBurnProgram, WithNoTargetAnsweringItEndsWithTheEnginesFailure) {
    flash::e2e::BurnFolder folder;
    const std::string imageFile = folder.dir.write("image.bin", flash::e2e::randomBytes(64, 1));
    zeph::testing::PtyPair line;
    ASSERT_TRUE(line.valid()) << line.error();
    setenv("ZEPH_COM1", line.slavePath().c_str(), 1);
    EXPECT_EQ(runZephBurn({"-ae", "-ax", "-sr", "-l", "1", imageFile}), 1);
    EXPECT_EQ(resultFile(folder), "FAIL\r\n");
    // A run that cannot start ends the unattended program as well, with no box waiting.
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"-ae", "-ax", "-sr", "-l", "1"},
          std::vector<std::string>{"-ae", "-ax", "-sr", "-l", "1", "/dev/zero"},
          std::vector<std::string>{"-ae", "-ax", "-sr", "-l", "1", folder.path("")},
          // refused on its own command line, before the window
          std::vector<std::string>{"-ae", "-AX", "-sr", "-l", "1", "-o", "zz", imageFile},
          std::vector<std::string>{"-ae", "-ax", "-SR", "-b", "1234", imageFile}}) {
        folder.dir.write("RESCOM1", "PASS\r\n");
        EXPECT_EQ(runZephBurn(refused), 1) << refused.back();
        EXPECT_EQ(resultFile(folder), "FAIL\r\n") << refused.back();
    }
    unsetenv("ZEPH_COM1");
}

TEST(ZephBurnProgram, ASignalEndsTheRunningEngineAndTheProgramWithStatusOne) {
    flash::e2e::BurnFolder folder;
    const std::string imageFile = folder.dir.write("image.bin", flash::e2e::randomBytes(64, 1));
    for (const int signal : {SIGTERM, SIGINT}) {
        zeph::testing::PtyPair line; // nothing answers: the engine would wait seconds
        ASSERT_TRUE(line.valid()) << line.error();
        setenv("ZEPH_COM1", line.slavePath().c_str(), 1);
        zeph::testing::BackgroundProgram program(
            {zeph::testing::programPath("ZephBurn"), "-ae", "-l", "1", imageFile});
        // The engine has opened the line once its phase-1 download arrives.
        EXPECT_FALSE(line.readMaster(1, 5000).empty());
        program.signal(signal);
        EXPECT_EQ(program.wait(2000), 1) << signal;
    }
    unsetenv("ZEPH_COM1");
}

} // namespace
} // namespace zeph::burnfront
