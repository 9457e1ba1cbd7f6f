// The "Log File Settings" rules: the list, the checks on OK, what is stored, and how the chosen
// file then receives the log.

#include "monitor/shell/log_file_settings.h"
#include "monitor/shell/message_log.h"
#include "shell_test_support.h"

#include <deque>

namespace zeph::monitor::testing {
namespace {

using Choice = LogFileQuestion::Choice;
using Outcome = LogFileSettings::Outcome;

class ScriptedQuestion : public LogFileQuestion {
public:
    Choice askExistingFile() override {
        ++asked;
        if (script.empty()) {
            ADD_FAILURE() << "unexpected question";
            return Choice::Reselect;
        }
        const Choice c = script.front();
        script.pop_front();
        return c;
    }
    std::deque<Choice> script;
    int asked = 0;
};

class LogFileSettingsTest : public ::testing::Test {
protected:
    std::string storedMsgs() const { return profile.getString("Log", "Msgs", "<none>"); }
    std::string storedFile() const { return profile.getString("Log", "File", "<none>"); }

    TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
    ScriptedQuestion question;
};

TEST_F(LogFileSettingsTest, ListsTheLoggableMidsWithTheirStoredSelection) {
    std::string msgs(256, '0');
    msgs[2] = msgs[3] = msgs[50] = '1';
    msgs[255] = '1';
    ASSERT_TRUE(profile.writeString("Log", "Msgs", msgs));
    const LogFileSettings settings(profile);

    const std::vector<LoggableMessage>& list = settings.messages();
    ASSERT_EQ(list.size(), 24u);
    EXPECT_EQ(list.front().label, "001  Ref Nav");
    EXPECT_EQ(list[1].label, "002  Meas Nav");
    EXPECT_EQ(list[2].label, "004  Meas Trk"); // MID 3 is never offered
    EXPECT_EQ(list[22].label, "050  SBAS Status");
    EXPECT_EQ(list.back().label, "255  Debug");
    EXPECT_EQ(settings.selectedMids(), (std::vector<uint8_t>{2, 50, 255}));
    EXPECT_EQ(settings.fileName(), "nimbra.gps");
}

TEST_F(LogFileSettingsTest, AShortSelectionStringSelectsOnlyWhatItHolds) {
    ASSERT_TRUE(profile.writeString("Log", "Msgs", "01100"));
    EXPECT_EQ(LogFileSettings(profile).selectedMids(), (std::vector<uint8_t>{1, 2}));
}

TEST_F(LogFileSettingsTest, AnEmptyNameKeepsTheDialogOpen) {
    LogFileSettings settings(profile);
    EXPECT_EQ(settings.accept("", {2}, prompter, question), Outcome::StayOpen);
    EXPECT_EQ(prompter.asked,
              std::vector<std::string>{"A filename is required for output to a Log File."});
    EXPECT_EQ(storedFile(), "<none>");
    EXPECT_EQ(question.asked, 0);
}

TEST_F(LogFileSettingsTest, ANewFileIsCreatedEmptyAndTheChoiceStored) {
    // Unlisted MIDs keep their characters; a short string is filled up with '0'.
    ASSERT_TRUE(profile.writeString("Log", "Msgs", "0111000000000000001"));
    const std::string name = (dir / "new.gps").string();
    LogFileSettings settings(profile);
    EXPECT_EQ(settings.accept(name, {1, 4, 255}, prompter, question), Outcome::Accepted);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(question.asked, 0);
    EXPECT_TRUE(std::filesystem::exists(name));
    EXPECT_EQ(readFile(name), "");
    EXPECT_EQ(storedFile(), name);
    std::string expected(256, '0');
    expected[1] = expected[3] = expected[4] = expected[255] = '1'; // MID 3 kept, MID 2 cleared
    expected[18] = '1';                                            // MID 18 kept
    EXPECT_EQ(storedMsgs(), expected);
    EXPECT_EQ(settings.selectedMids(), (std::vector<uint8_t>{1, 4, 255}));

    // A name relative to the working folder is stored by its absolute name.
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.folder());
    const Outcome relative = settings.accept("rel log.gps", {1}, prompter, question);
    std::filesystem::current_path(before);
    EXPECT_EQ(relative, Outcome::Accepted);
    EXPECT_EQ(storedFile(), (dir / "rel log.gps").string());
}

// Overwriting the settings file or the capture played would lose it: the dialog refuses them
// before it asks.
TEST_F(LogFileSettingsTest, TheSettingsFileAndTheCaptureAreNoLog) {
    const std::string capture = (dir / "rx.gps").string();
    writeFile(capture, "capture");
    ASSERT_TRUE(profile.writeInt("DataSrc", "Src", 1));
    ASSERT_TRUE(profile.writeString("DataSrc", "FileName", capture));
    const std::string settingsBefore = readFile(profile.path());
    LogFileSettings settings(profile);
    for (const std::string& name : {profile.path().string(), capture}) {
        EXPECT_EQ(settings.accept(name, {2}, prompter, question), Outcome::StayOpen);
    }
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(prompter.asked, std::vector<std::string>(2, logdialog::kCannotCreate));
    EXPECT_EQ(readFile(capture), "capture");
    EXPECT_EQ(readFile(profile.path()), settingsBefore);
}

TEST_F(LogFileSettingsTest, AFileThatCannotBeCreatedKeepsTheDialogOpen) {
    writeFile(dir / "plain", "");
    LogFileSettings settings(profile);
    EXPECT_EQ(settings.accept((dir / "plain" / "x.gps").string(), {2}, prompter, question),
              Outcome::StayOpen);
    EXPECT_EQ(settings.accept((dir / "missing" / "x.gps").string(), {2}, prompter, question),
              Outcome::StayOpen);
    EXPECT_EQ(prompter.asked,
              std::vector<std::string>(
                  2, "Log File can not be created as specified.  Check if path is correct."));
    EXPECT_EQ(storedFile(), "<none>");
}

TEST_F(LogFileSettingsTest, AnExistingFileIsOverwrittenAppendedToOrReselected) {
    const std::filesystem::path path = dir / "old.gps";
    LogFileSettings settings(profile);

    writeFile(path, "old contents\n");
    question.script = {Choice::Reselect};
    EXPECT_EQ(settings.accept(path.string(), {2}, prompter, question), Outcome::Reselect);
    EXPECT_EQ(readFile(path), "old contents\n");
    EXPECT_EQ(storedFile(), "<none>");

    question.script = {Choice::Append};
    EXPECT_EQ(settings.accept(path.string(), {2}, prompter, question), Outcome::Accepted);
    EXPECT_EQ(readFile(path), "old contents\n");
    EXPECT_EQ(storedFile(), path.string());

    question.script = {Choice::Overwrite};
    EXPECT_EQ(settings.accept(path.string(), {2}, prompter, question), Outcome::Accepted);
    EXPECT_EQ(readFile(path), "");
    EXPECT_EQ(question.asked, 3);
    EXPECT_TRUE(prompter.asked.empty());
}

// The dialog behind MessageLog::open(true): Append puts the banner after the old contents,
// Overwrite starts the file with it.
TEST_F(LogFileSettingsTest, TheChosenFileReceivesTheLog) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const std::filesystem::path path = dir / "run.gps";
    FakeClock clock;
    MessageLog log(clock, profile);
    log.setSettingsDialog([&] {
        LogFileSettings settings(profile);
        return settings.accept(path.string(), {6}, prompter, question) == Outcome::Accepted
                   ? MessageLog::DialogResult::Ok
                   : MessageLog::DialogResult::Cancelled;
    });
    const std::string banner = "ZephMon Version 3.40 log file opened Thu Jan  1 00:00:00 1970\n\n";
    const std::string closing = "\nLog file closed Thu Jan  1 00:00:00 1970\n";

    writeFile(path, "old contents\n");
    question.script = {Choice::Append, Choice::Overwrite, Choice::Reselect};
    ASSERT_TRUE(log.open(true));
    log.close();
    EXPECT_EQ(readFile(path), "old contents\n" + banner + closing);

    ASSERT_TRUE(log.open(true));
    log.close();
    EXPECT_EQ(readFile(path), banner + closing);

    EXPECT_FALSE(log.open(true));
    EXPECT_EQ(readFile(path), banner + closing);
}

} // namespace
} // namespace zeph::monitor::testing
