#include "flash/engine/cli/report.h"

#include "common/testing/file_size_limit.h"
#include "flash/engine/cli/pipe_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zeph::flash {
namespace {

std::vector<PipeRecord> records(const std::string& bytes) {
    PipeRecordReader reader;
    reader.feed(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    std::vector<PipeRecord> out;
    while (auto r = reader.next()) {
        out.push_back(*r);
    }
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ(reader.pending(), 0u);
    return out;
}

// Sends one of each message through a Report.
void sendAll(Report& report) {
    report.inputScanned("S-MOTOROLA", 0x100, 0x1200F);
    report.chipIdentified(1, "Maker", "Dev16", false);
    report.erasingProgress(40, 12, 34, 56);
    report.programmingProgress(50, 25, 12, 34, 56);
    report.readingProgress(75, 9);
    report.programmingDone(123, 45, 67);
    report.readingDone(5);
    report.error(fatalErrorWithName(0, "COM3"));
    report.endOfRun(1);
}

TEST(Report, ConsoleTexts) {
    MemorySink console;
    MemorySink pipe;
    Report report(ReportSettings{}, console, &pipe);
    sendAll(report);
    EXPECT_EQ(console.bytes, "One Maker Dev16 chip will be programmed\n"
                             "40% erased\r"
                             "50% transferred, 25% programmed\r"
                             "75% transferred\r"
                             "\nFlash successfully programmed in 12.3 sec\n"
                             "Erase time: 4.5 sec, Program time: 6.7 sec\n"
                             "\nFlash successfully read in 0.5 sec\n"
                             "Cannot open port COM3\n");
    EXPECT_EQ(pipe.bytes, "");

    MemorySink two;
    Report reading(ReportSettings{}, two, nullptr);
    reading.chipIdentified(2, "Maker", "Dev16", true);
    EXPECT_EQ(two.bytes, "Two Maker Dev16 chips will be read\n");
}

TEST(Report, QuietConsoleShowsOnlyFatalErrors) {
    MemorySink console;
    ReportSettings settings;
    settings.quiet = true;
    Report report(settings, console, nullptr);
    sendAll(report);
    EXPECT_EQ(console.bytes, "Cannot open port COM3\n");
}

TEST(Report, PipeRecordsOneWriteEachAndNothingOnTheConsole) {
    MemorySink console;
    MemorySink pipe;
    ReportSettings settings;
    settings.pipeMode = true;
    settings.quiet = true; // -q does not hold back records
    Report report(settings, console, &pipe);
    sendAll(report);
    EXPECT_EQ(console.bytes, "");
    const std::vector<PipeRecord> expected = {
        {1001, "S-MOTOROLA 0x100 0x1200f"},
        {1000, "1 Maker Dev16"},
        {1004, "0 0 1.2 3.4 5.6"},
        {1004, "50 25 1.2 3.4 5.6"},
        {1005, "75 0.9"},
        {1002, "12.3 4.5 6.7"},
        {1003, "0.5"},
        {0, "Cannot open port COM3\n"},
        {1006, "1"},
    };
    EXPECT_EQ(records(pipe.bytes), expected);
    EXPECT_EQ(pipe.writes, static_cast<int>(expected.size()));
}

TEST(Report, VerboseGoesToTheConsoleInBothModes) {
    MemorySink console;
    ReportSettings settings;
    settings.pipeMode = true;
    Report quietOne(settings, console, nullptr);
    quietOne.verbose("hidden\n");
    settings.verbose = true;
    Report report(settings, console, nullptr);
    report.verbose("Target bus width is: 16 bits\n");
    EXPECT_EQ(console.bytes, "Target bus width is: 16 bits\n");
}

TEST(Report, FdSinkDeliversRecordsThroughARealPipe) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FdSink sink(fds[1]);
    MemorySink console;
    ReportSettings settings;
    settings.pipeMode = true;
    Report report(settings, console, &sink);
    report.error(programmingError(std::string(2000, 'r')));
    report.endOfRun(0);
    close(fds[1]);
    std::string bytes;
    char buf[512];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) {
        bytes.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    const std::vector<PipeRecord> got = records(bytes);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].code, 28u);
    EXPECT_EQ(got[0].text.size(), kPipeRecordMaxText);
    EXPECT_EQ(got[0].text.substr(0, 26), "\nFlash programming error\nr");
    EXPECT_EQ(got[1], (PipeRecord{1006, "0"}));
}

TEST(ResultFile, NameFromComPortOrDevicePath) {
    EXPECT_EQ(resultFileName("/opt/zeph/", "COM1"), "/opt/zeph/RESCOM1");
    EXPECT_EQ(resultFileName("", "COM12"), "RESCOM12");
    EXPECT_EQ(resultFileName("/opt/zeph/", "/dev/ttyUSB0"), "/opt/zeph/RESttyUSB0");
    EXPECT_EQ(resultFileName("bin/", "/dev/pts/3"), "bin/RES3");
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ResultFile, WrittenBeforeTheEndRecordInBothModes) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zeph_res_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string folder = dir.string() + "/";
    for (bool pipeMode : {false, true}) {
        ReportSettings settings;
        settings.pipeMode = pipeMode;
        settings.saveResult = true;
        settings.port = "/dev/ttyS4";
        settings.programFolder = folder;
        MemorySink console;
        MemorySink pipe;
        Report report(settings, console, &pipe);
        EXPECT_EQ(report.endOfRun(1), 1);
        EXPECT_EQ(readFile(folder + "RESttyS4"), "FAIL\r\n");
        // An existing file is replaced.
        EXPECT_EQ(report.endOfRun(0), 0);
        EXPECT_EQ(readFile(folder + "RESttyS4"), "PASS\r\n");
        EXPECT_EQ(console.bytes, "");
    }
    ReportSettings unwritable;
    unwritable.saveResult = true;
    unwritable.port = "COM1";
    unwritable.programFolder = folder + "missing/";
    MemorySink console;
    Report report(unwritable, console, nullptr);
    EXPECT_EQ(report.endOfRun(0), 1);
    EXPECT_EQ(
        console.bytes.rfind("Result not saved: cannot write " + folder + "missing/RESCOM1: ", 0),
        0u)
        << console.bytes;
    std::filesystem::remove_all(dir);
}

// A result that cannot be saved is said on the console even with -q and in pipe mode, turns a
// passing run into exit status 1, and never leaves an earlier PASS to be read.
TEST(ResultFile, AResultThatCannotBeSavedIsSaidAndFailsTheRun) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zeph_res_full_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    ReportSettings settings;
    settings.pipeMode = true;
    settings.quiet = true;
    settings.saveResult = true;
    settings.port = "COM3";
    settings.programFolder = dir.string() + "/";
    const std::string result = settings.programFolder + "RESCOM3";
    MemorySink console;
    MemorySink pipe;
    {
        // The disk fills during the run: FAIL from the start stays.
        Report report(settings, console, &pipe);
        ASSERT_TRUE(report.startOfRun());
        EXPECT_EQ(readFile(result), "FAIL\r\n");
        testing::FileSizeLimit full(0);
        EXPECT_EQ(report.endOfRun(0), 1);
    }
    EXPECT_EQ(readFile(result), "FAIL\r\n");
    EXPECT_EQ(records(pipe.bytes), (std::vector<PipeRecord>{{1006, "1"}}));
    EXPECT_NE(console.bytes.find("Result not saved: cannot write " + result), std::string::npos);
    {
        // Full from the start: the old PASS goes, and the run may not start.
        std::ofstream(result) << "PASS\r\n";
        console.bytes.clear();
        Report report(settings, console, &pipe);
        testing::FileSizeLimit full(0);
        EXPECT_FALSE(report.startOfRun());
        EXPECT_EQ(report.endOfRun(1), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(result));
    EXPECT_EQ(console.bytes.find("Result not saved"), 0u);
    EXPECT_EQ(console.bytes.find("Result not saved", 1), std::string::npos); // said once
    // A folder in the result file's place is refused, and left alone.
    std::filesystem::create_directory(result);
    EXPECT_EQ(Report(settings, console, &pipe).endOfRun(1), 1);
    EXPECT_TRUE(std::filesystem::is_directory(result));
    std::filesystem::remove_all(dir);
}

TEST(ResultFile, NotWrittenWithoutTheOption) {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/";
    const std::string port = "COM" + std::to_string(getpid() % 1000 + 100);
    MemorySink console;
    ReportSettings settings;
    settings.port = port;
    settings.programFolder = folder;
    Report report(settings, console, nullptr);
    report.endOfRun(0);
    EXPECT_FALSE(std::filesystem::exists(resultFileName(folder, port)));
}

TEST(ErrorTexts, ComposedMessages) {
    EXPECT_EQ(fatalErrorWithName(5, "x.s19"), (FatalError{5, "Cannot open data file x.s19\n"}));
    EXPECT_EQ(fatalErrorWithName(12, "/p/chiplist.txt").message,
              "Cannot open chiplist file /p/chiplist.txt\n");
    EXPECT_EQ(fatalError(6).message, "Error reading data file or bad format\n");
    EXPECT_EQ(fatalError(30).message, "\nFlash reading error\n");
    EXPECT_EQ(highAddressError(0x40001, 0x40000).message,
              "Highest data address 0x40001 above chip highest address 0x40000\n");
    EXPECT_EQ(chipVariantError(0x22).message, "Vireo chip id 0x22 not supported\n");
    EXPECT_EQ(axfPlacementError(0x1000, 0x1fff, 0, 0xfffff, 0x40000000, 0x400fffff).message,
              "AXF data area [0x1000, 0x1fff] not fully within\nlow chip range [0x0, 0xfffff] "
              "or\nhigh chip range [0x40000000, 0x400fffff]\n");
    // The composed message fits the run's 1024-byte buffer.
    EXPECT_EQ(programmingError(std::string(3000, 'z')).message.size(), kErrorMessageBuffer - 1);
}

TEST(ErrorTexts, TableCoversEveryNumber) {
    for (int n = kFirstErrorNumber; n <= kLastErrorNumber; ++n) {
        const bool composed = n >= 14 && n <= 18;
        EXPECT_EQ(errorFormat(n) == nullptr, composed) << n;
    }
    EXPECT_EQ(errorFormat(-1), nullptr);
    EXPECT_EQ(errorFormat(35), nullptr);
    EXPECT_STREQ(errorFormat(34), "Cannot send info about error bits\n");
}

} // namespace
} // namespace zeph::flash
