// The headless monitor in simulated time: a fake clock moves only when the loop sleeps.

#include "monitor/app/headless_monitor.h"

#include "monitor/messages/testing/recording_events.h"

#include "common/serial/testing/pty_pair.h"
#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zeph::monitor {
namespace {

using zeph::testing::countLinesStartingWith;
using zeph::testing::readFile;

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        clock.setWallStart(1031270400); // 2002-09-06 00:00:00 UTC
        options.settingsPath = dir.path("zephmon.ini");
        options.logPath = dir.path("run.gps");
        options.selection = std::string(256, '1');
    }
    int run() {
        HeadlessMonitor monitor(options, clock, prompter);
        const std::atomic<bool> stop{false};
        return monitor.run(stop);
    }
    std::string log() { return readFile(*options.logPath); }

    FakeClock clock;
    testing::RecordingPrompter prompter;
    HeadlessOptions options;
    zeph::testing::TempDir dir;
};

TEST_F(Headless, GeneratorRunsForTheGivenSeconds) {
    DataSourceSettings random;
    random.src = 2;
    options.source = random;
    options.seconds = 5;
    ASSERT_EQ(run(), 0);
    const std::string text = log();
    EXPECT_EQ(text.rfind("ZephMon Version 3.40 log file opened Fri Sep  6 00:00:00 2002\n\n", 0),
              0u)
        << text.substr(0, 80);
    // One cycle a second, the first after a second: four in five seconds.
    EXPECT_EQ(countLinesStartingWith(text, "4,1,"), 4);
    EXPECT_EQ(countLinesStartingWith(text, "2,"), 4);
    EXPECT_EQ(countLinesStartingWith(text, "5,1,2,03,"), 4);
    EXPECT_EQ(countLinesStartingWith(text, "Data packet for randomly generated debug data"), 4);
    EXPECT_NE(text.find("\nLog file closed Fri Sep  6 00:00:05 2002\n"), std::string::npos);
    // The settings file was made on the way.
    EXPECT_NE(readFile(options.settingsPath).find("Version=3.40"), std::string::npos);
}

TEST_F(Headless, TextCaptureStopsAtItsEnd) {
    std::ofstream(dir.path("three.csv")) << "1,1,2,3,0,0,0\n2,1,2,3,0,0,0\n3.5,1,2,3,0,0,0\n";
    DataSourceSettings csv;
    csv.src = 1;
    csv.fileType = "CSV";
    csv.fileName = dir.path("three.csv");
    options.source = csv;
    options.seconds = 600;
    ASSERT_EQ(run(), 0);
    const std::string text = log();
    EXPECT_EQ(countLinesStartingWith(text, "1,1,2,3,0.000,0.000,0.000,0,0.0,0,0,"), 3);
    // Paced by the time tags: 2.5 s from the first to the last message.
    EXPECT_NE(text.find("\nLog file closed Fri Sep  6 00:00:02 2002\n"), std::string::npos) << text;
}

TEST_F(Headless, LogSelectionComesFromTheOptionOrTheSettings) {
    DataSourceSettings random;
    random.src = 2;
    options.source = random;
    options.seconds = 2;
    options.selection = std::string(5, '0') + "1"; // MID 5 only; the rest counts as unselected
    ASSERT_EQ(run(), 0);
    const std::string text = log();
    EXPECT_EQ(countLinesStartingWith(text, "5,"), 1);
    EXPECT_EQ(countLinesStartingWith(text, "4,"), 0);
}

TEST_F(Headless, MissingCaptureEndsWithAnError) {
    DataSourceSettings file;
    file.src = 1;
    file.fileName = dir.path("missing.bin");
    options.source = file;
    EXPECT_EQ(run(), 1);
}

// A run that stops on an error says why and ends with a failure status.
TEST_F(Headless, ACaptureThatStopsOnAnErrorFailsTheRun) {
    std::ofstream(dir.path("count.csv")) << "1,1,2,3,0,0,0\n9,2,1\n";
    std::ofstream(dir.path("item.csv")) << "1,1,2,3,0,0,0\nbad\n";
    std::ofstream(dir.path("comments.csv")) << "; nothing else\n";
    std::filesystem::create_directory(dir.path("folder"));
    const auto stopped = [](const std::string& name) {
        return "playback of " + name + " stopped on an error";
    };
    const struct {
        const char* type;
        std::string name;
        std::vector<std::string> told;
    } rows[] = {
        {"CSV", dir.path("count.csv"), {"Item counts not equal.", stopped(dir.path("count.csv"))}},
        {"CSV", dir.path("item.csv"), {"Invalid data encountered.", stopped(dir.path("item.csv"))}},
        {"CSV",
         dir.path("comments.csv"),
         {"Error: Could not read from file.", stopped(dir.path("comments.csv"))}},
        {"CSV",
         dir.path("folder"),
         {"Source file could not be opened: " + dir.path("folder"),
          "the data source could not be opened"}},
        {"Binary", dir.path("folder"), {"the data source could not be opened"}},
        {"Binary", "/proc/self/mem", {stopped("/proc/self/mem")}}, // opens, but reads fail
    };
    for (const auto& row : rows) {
        DataSourceSettings file;
        file.src = 1;
        file.fileType = row.type;
        file.fileName = row.name;
        options.source = file;
        options.seconds = 60;
        prompter.asked.clear();
        EXPECT_EQ(run(), 1) << row.name;
        EXPECT_EQ(prompter.asked, row.told) << row.name;
    }
}

// A full disk: said once, and the run ends there, trying to close the log.
TEST_F(Headless, ALogThatCannotBeWrittenFailsTheRun) {
    DataSourceSettings random;
    random.src = 2;
    options.source = random;
    options.seconds = 600;
    options.logPath = "/dev/full";
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(prompter.asked, std::vector<std::string>{
                                  "cannot write the log file /dev/full: No space left on device"});
    EXPECT_LT(clock.now() - Clock::TimePoint{}, std::chrono::seconds(300));
}

// A receiver that never speaks holds neither the end of the run's time nor a stop: the start-up
// polls wait for its first byte only as long as the run goes on, and are not sent without it.
TEST_F(Headless, ASilentReceiverDelaysNeitherTheEndOfTimeNorAStop) {
    zeph::testing::PtyPair receiver;
    ASSERT_TRUE(receiver.valid()) << receiver.error();
    DataSourceSettings serial;
    serial.serPort = receiver.slavePath();
    options.source = serial;
    const struct {
        std::optional<int> seconds;
        bool stopped;
        std::chrono::milliseconds atMost;
    } rows[] = {{1, false, std::chrono::milliseconds(1500)},
                {std::nullopt, true, std::chrono::milliseconds(500)}};
    for (const auto& row : rows) {
        options.seconds = row.seconds;
        std::filesystem::remove(*options.logPath);
        HeadlessMonitor monitor(options, clock, prompter);
        const std::atomic<bool> stop{row.stopped};
        const Clock::TimePoint start = clock.now();
        EXPECT_EQ(monitor.run(stop), 0);
        EXPECT_LE(clock.now() - start, row.atMost) << (row.stopped ? "stopped" : "timed");
        EXPECT_EQ(countLinesStartingWith(log(), "Tx: "), 0) << log();
        EXPECT_EQ(countLinesStartingWith(log(), "Log file closed "), 1);
    }
}

} // namespace
} // namespace zeph::monitor
