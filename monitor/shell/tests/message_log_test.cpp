// The message log: banner and closing lines, what is written while open, the selection, and the
// auto-save every 600 s of logged traffic.

#include "monitor/shell/message_log.h"
#include "shell_test_support.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace zeph::monitor::testing {
namespace {

using namespace std::chrono_literals;

constexpr std::time_t kTenOClock = 1230804000; // Thu Jan  1 10:00:00 2009 UTC

RxMessage swVersion(const char* text) {
    RxMessage msg;
    msg.mid = 6;
    msg.record[0] = 6;
    std::memcpy(msg.record.data() + 1, text, std::strlen(text));
    return msg;
}

RxMessage debugText(const TextBuffer& buffer) {
    RxMessage msg;
    msg.mid = 255;
    msg.text = &buffer;
    return msg;
}

RxMessage mid(uint8_t id) {
    RxMessage msg;
    msg.mid = id;
    msg.record[0] = id;
    return msg;
}

std::string selecting(std::initializer_list<int> mids) {
    std::string msgs(256, '0');
    for (int m : mids) {
        msgs[static_cast<size_t>(m)] = '1';
    }
    return msgs;
}

class MessageLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        clock.setWallStart(kTenOClock);
        writeFile(logPath, "");
        ASSERT_TRUE(profile.writeString("Log", "File", logPath.string()));
        ASSERT_TRUE(profile.writeString("Log", "Msgs", selecting({6, 50, 255})));
    }

    std::string logText() const { return readFile(logPath); }

    TempDir dir;
    std::filesystem::path logPath = dir / "run.gps";
    ProfileFile profile{dir / "zephmon.ini"};
    FakeClock clock;
    int titles = 0;
    MessageLog log{clock, profile, [this] { ++titles; }};
};

TEST_F(MessageLogTest, WritesBetweenTheBannerAndTheClosingLineOnly) {
    log.writeText("before\n");
    log.logMessage(swVersion("1.0"));
    ASSERT_TRUE(log.open(false));
    EXPECT_EQ(log.fileName(), logPath.string());
    EXPECT_EQ(log.openedAt(), kTenOClock);
    EXPECT_EQ(titles, 1);
    log.writeText("Tx: 0xA0A2\n");
    clock.advance(65s);
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(titles, 2);
    log.close(); // a second close writes nothing
    log.writeText("after\n");
    log.logMessage(swVersion("1.0"));
    EXPECT_EQ(titles, 2);
    EXPECT_EQ(logText(), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                         "Tx: 0xA0A2\n"
                         "\nLog file closed Thu Jan  1 10:01:05 2009\n");
}

TEST_F(MessageLogTest, AMissingFileIsNotOpenedNorCreated) {
    std::filesystem::remove(logPath);
    EXPECT_FALSE(log.open(false));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(titles, 0);
    EXPECT_FALSE(std::filesystem::exists(logPath));
}

// The settings file, the stored capture and a capture played for the run are never a log, by
// any name (a link to one included).
TEST_F(MessageLogTest, TheMonitorsOwnFilesAreNeverTheLog) {
    const std::filesystem::path capture = dir / "rx.gps";
    const std::filesystem::path played = dir / "played.bin";
    writeFile(capture, "capture");
    writeFile(played, "played");
    std::filesystem::create_symlink(capture, dir / "link.gps");
    ASSERT_TRUE(profile.writeInt("DataSrc", "Src", 1));
    ASSERT_TRUE(profile.writeString("DataSrc", "FileName", capture.string()));
    log.setPlaying(played.string());
    const std::string settingsBefore = readFile(profile.path());
    for (const std::filesystem::path& name :
         {profile.path(), capture, dir / "link.gps", dir / "." / "played.bin"}) {
        log.setFileName(name.string());
        EXPECT_FALSE(log.open(false)) << name;
    }
    EXPECT_EQ(readFile(capture), "capture");
    EXPECT_EQ(readFile(played), "played");
    EXPECT_EQ(readFile(profile.path()), settingsBefore);
    log.setFileName(logPath.string());
    EXPECT_TRUE(log.open(false));
}

TEST_F(MessageLogTest, LogsSelectedMessagesRenderedWithALineEnd) {
    std::string msgs = selecting({6, 50, 255});
    msgs[7] = 'Y'; // only '1' selects
    ASSERT_TRUE(profile.writeString("Log", "Msgs", msgs));
    TextBuffer text;
    text.assign("NMEA $GPGGA", 11);
    ASSERT_TRUE(log.open(false));
    log.logMessage(swVersion("231.000.000"));
    log.logMessage(mid(7));  // not selected
    log.logMessage(mid(50)); // selected, but never rendered
    log.logMessage(debugText(text));
    log.close();
    EXPECT_EQ(logText(), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                         "SW Version: 231.000.000\n"
                         "NMEA $GPGGA\n"
                         "\nLog file closed Thu Jan  1 10:00:00 2009\n");
}

// The fix of an obvious fault: the selection string was indexed by MID without a length check.
TEST_F(MessageLogTest, ASelectionShorterThanTheMidDoesNotSelectIt) {
    ASSERT_TRUE(profile.writeString("Log", "Msgs", "0000001"));
    TextBuffer text;
    text.assign("debug", 5);
    ASSERT_TRUE(log.open(false));
    log.logMessage(swVersion("6 is inside"));
    log.logMessage(debugText(text));
    log.logMessage(mid(7));
    log.close();
    EXPECT_EQ(logText(), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                         "SW Version: 6 is inside\n"
                         "\nLog file closed Thu Jan  1 10:00:00 2009\n");
}

// The command line's file and selection serve the first opening; a later one (after the
// settings dialog) takes what is stored.
TEST_F(MessageLogTest, ARunFileAndSelectionServeTheFirstOpeningOnly) {
    const std::filesystem::path runPath = dir / "cmdline.gps";
    writeFile(runPath, "");
    log.setFileName(runPath.string());
    log.setSelection(selecting({255}));
    TextBuffer text;
    text.assign("debug", 5);
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_TRUE(log.open(false));
        log.logMessage(swVersion("stored selection only"));
        log.logMessage(debugText(text));
        log.close();
    }
    EXPECT_EQ(readFile(runPath), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                                 "debug\n"
                                 "\nLog file closed Thu Jan  1 10:00:00 2009\n");
    EXPECT_EQ(logText(), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                         "SW Version: stored selection only\n"
                         "debug\n"
                         "\nLog file closed Thu Jan  1 10:00:00 2009\n");
    EXPECT_EQ(profile.getString("Log", "Msgs", ""), selecting({6, 50, 255})); // not stored
    EXPECT_EQ(profile.getString("Log", "File", ""), logPath.string());
}

TEST_F(MessageLogTest, AutoSavesAtTheFirstLoggedMessageTenMinutesAfterEachReopen) {
    ASSERT_TRUE(log.open(false));
    clock.advance(599s);
    log.logMessage(swVersion("a"));
    clock.advance(1s);
    log.logMessage(mid(7)); // not selected, so no check
    log.writeText("note\n");
    log.logMessage(mid(50)); // selected: checked even though it renders nothing
    clock.advance(599s);
    log.logMessage(swVersion("b")); // 599 s after the reopen
    clock.advance(3s);
    log.logMessage(swVersion("c"));
    log.close();
    EXPECT_EQ(titles, 2); // an auto-save does not change the title
    EXPECT_EQ(logText(), "ZephMon Version 3.40 log file opened Thu Jan  1 10:00:00 2009\n\n"
                         "SW Version: a\n"
                         "note\n"
                         "Start Auto-saving: 10:10:00\n"
                         "End Auto-saving\n"
                         "SW Version: b\n"
                         "SW Version: c\n"
                         "Start Auto-saving: 10:20:02\n"
                         "End Auto-saving\n"
                         "\nLog file closed Thu Jan  1 10:20:02 2009\n");
}

TEST_F(MessageLogTest, AFailedReopenStopsLoggingSilently) {
    ASSERT_TRUE(log.open(false));
    std::filesystem::remove(logPath);
    clock.advance(600s);
    log.logMessage(swVersion("x"));
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(titles, 2);
    log.writeText("lost\n");
    log.close();
    EXPECT_FALSE(std::filesystem::exists(logPath));
    EXPECT_EQ(titles, 2);
}

TEST_F(MessageLogTest, ASecondLogOnTheSameFileIsRefused) {
    ASSERT_TRUE(log.open(false));
    MessageLog other(clock, profile);
    EXPECT_FALSE(other.open(false));
    log.close();
    EXPECT_TRUE(other.open(false));
    other.close();
}

TEST_F(MessageLogTest, AskingRunsTheDialogAfterClosingTheOpenLog) {
    ASSERT_TRUE(log.open(false));
    const std::filesystem::path second = dir / "second.gps";
    int dialogs = 0;
    log.setSettingsDialog([&] {
        ++dialogs;
        EXPECT_FALSE(log.isOpen());
        if (dialogs == 1) {
            return MessageLog::DialogResult::Cancelled;
        }
        writeFile(second, "");
        profile.writeString("Log", "File", second.string());
        return MessageLog::DialogResult::Ok;
    });
    EXPECT_FALSE(log.open(true));
    EXPECT_FALSE(log.isOpen());
    EXPECT_NE(logText().find("Log file closed"), std::string::npos);

    EXPECT_TRUE(log.open(true));
    EXPECT_EQ(log.fileName(), second.string());
    log.close();
    EXPECT_EQ(readFile(second).rfind("ZephMon Version 3.40 log file opened ", 0), 0u);
    EXPECT_EQ(dialogs, 2);
}

} // namespace
} // namespace zeph::monitor::testing
