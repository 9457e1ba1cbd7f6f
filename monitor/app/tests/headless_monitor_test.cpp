// The headless monitor in simulated time: a fake clock moves only when the loop sleeps.

#include "monitor/app/headless_monitor.h"

#include "monitor/messages/testing/recording_events.h"

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

} // namespace
} // namespace zeph::monitor
