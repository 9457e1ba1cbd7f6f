// zephmon --headless against zephsim on a pseudo-terminal, as a lab user runs it.

#include "common/testing/child_process.h"

#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zeph::testing {
namespace {

class ZephmonE2e : public ::testing::Test {
protected:
    ProgramResult runMonitor(const std::string& port, int seconds, const std::string& baud = "") {
        return runProgram(
            {programPath("zephmon"), "--headless", "--settings", dir.path("zephmon.ini"),
             "--source", "serial:" + port + (baud.empty() ? "" : "@" + baud), "--log",
             dir.path("run.gps"), "--select", "all", "--seconds", std::to_string(seconds)});
    }
    TempDir dir;
};

TEST_F(ZephmonE2e, LogsAReceiverForTenSeconds) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = sim.readLine(5000);
    ASSERT_FALSE(port.empty());
    const ProgramResult r = runMonitor(port, 10);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string log = readFile(dir.path("run.gps"));
    EXPECT_EQ(log.rfind("ZephMon Version 3.40 log file opened ", 0), 0u);
    EXPECT_NE(log.find("Tx: 0xA0A200028400"), std::string::npos) << log.substr(0, 400);
    EXPECT_NE(log.find("Tx: 0xA0A200029800"), std::string::npos);
    EXPECT_NE(log.find("\nSW Version: "), std::string::npos);
    EXPECT_NE(log.find("\nPolling Navigation Parameters\nAltMode: "), std::string::npos);
    for (const char* prefix : {"2,", "4,", "Week:", "41,"}) {
        const int n = countLinesStartingWith(log, prefix);
        EXPECT_GE(n, 8) << prefix;
        EXPECT_LE(n, 11) << prefix;
    }
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);
    EXPECT_NE(log.find("\nLog file closed "), std::string::npos);
    EXPECT_EQ(sim.stop(), 0);
}

TEST_F(ZephmonE2e, ReceiverThatGoesAwayLeavesACleanClose) {
    auto sim =
        std::make_unique<BackgroundProgram>(std::vector<std::string>{programPath("zephsim")});
    const std::string port = sim->readLine(5000);
    ASSERT_FALSE(port.empty());
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        sim->stop();
    });
    const ProgramResult r = runMonitor(port, 6);
    stopper.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string log = readFile(dir.path("run.gps"));
    EXPECT_GE(countLinesStartingWith(log, "2,"), 1);
    EXPECT_NE(log.find("\nLog file closed "), std::string::npos);
}

TEST_F(ZephmonE2e, ReceiverAtAnotherBaudGivesNothing) {
    BackgroundProgram sim({programPath("zephsim"), "--baud", "9600"});
    const std::string port = sim.readLine(5000);
    ASSERT_FALSE(port.empty());
    ProgramResult r = runMonitor(port, 4);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string log = readFile(dir.path("run.gps"));
    EXPECT_EQ(countLinesStartingWith(log, "2,"), 0);
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);

    // At the receiver's own rate everything decodes.
    std::filesystem::remove(dir.path("run.gps"));
    r = runMonitor(port, 4, "9600");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    log = readFile(dir.path("run.gps"));
    EXPECT_GE(countLinesStartingWith(log, "2,"), 2);
    EXPECT_EQ(countLinesStartingWith(log, "Comm: "), 0);
}

} // namespace
} // namespace zeph::testing
