// The main frame's rules without a window: view slots and "OpenViews", opening and closing the
// source, pause, the log questions, the title and which commands may be chosen.

#include "monitor/shell/main_frame_core.h"

#include "monitor/shell/data_source_setup.h"

#include "monitor/shell/tests/scripted_prompter.h"

#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace zeph::monitor {
namespace {

class CountingView : public ViewObserver {
public:
    void onUpdate(int hint, const RxMessage* /*msg*/) override { hints.push_back(hint); }
    std::vector<int> hints;
};

// Child frames as the Qt frame makes them: a view per slot that reports back.
class FakeWindow : public FrameWindow {
public:
    void openViewFrame(size_t slot) override {
        views[slot] = std::make_unique<CountingView>();
        core->viewOpened(slot, *views[slot]);
    }
    void closeViewFrame(size_t slot) override {
        core->viewClosed(slot);
        views[slot].reset();
    }
    void refresh() override { ++refreshes; }
    void blink() override {}
    void post(std::function<void()> call) override { posted.push_back(std::move(call)); }
    bool runDataSourceDialog(bool cancelEnabled) override {
        dialogCancelEnabled.push_back(cancelEnabled);
        return dataSourceAnswer;
    }
    bool runLogSettingsDialog() override {
        ++logDialogs;
        return logAnswer;
    }
    void showTargetSoftwareDialog() override { ++targetDialogs; }
    std::optional<NmeaModeValues> runNmeaSetupDialog() override {
        ++actionDialogs;
        return NmeaModeValues{};
    }
    std::optional<ReceiverInitAccepted>
    runReceiverInitDialog(const ReceiverInitSettings&) override {
        ++actionDialogs;
        return ReceiverInitAccepted{};
    }
    std::optional<LowPowerSend> runLowPowerDialog(int /*targetSwClass*/) override {
        ++actionDialogs;
        return LowPowerSend{};
    }
    bool runNavDialog(NavDialog& d) override {
        polled.push_back(d.command().mid);
        captions.push_back(d.caption());
        return false;
    }
    ChosenFile runCollectionFileDialog(const CollectionFileDialog& dialog) override {
        fileDialogs.emplace_back(dialog.title);
        return chosenFile;
    }

    void runPosted() {
        while (!posted.empty()) {
            auto call = std::move(posted.front());
            posted.pop_front();
            call();
        }
    }

    MainFrameCore* core = nullptr;
    std::array<std::unique_ptr<CountingView>, settings::kViewSlotCount> views;
    std::deque<std::function<void()>> posted;
    std::vector<bool> dialogCancelEnabled;
    bool dataSourceAnswer = true;
    bool logAnswer = true;
    int logDialogs = 0;
    int targetDialogs = 0;
    int refreshes = 0;
    int actionDialogs = 0;
    std::vector<int> polled;
    std::vector<std::string> captions;
    std::vector<std::string> fileDialogs;
    ChosenFile chosenFile;
};

class MainFrameCoreTest : public ::testing::Test {
protected:
    void SetUp() override { profile = std::make_unique<ProfileFile>(dir / "zephmon.ini"); }

    // The settings file as the start-up check recreates it, with a source and open views.
    MainFrameCore& makeCore(int src, std::string_view openViews) {
        ProfileFile& p = *profile;
        prepareSettingsFile(p, prompter);
        p.writeInt(settings::kDataSrc, settings::kSrc, src);
        p.writeString(settings::kMain, settings::kOpenViews, openViews);
        core = std::make_unique<MainFrameCore>(p, clock, prompter, window);
        window.core = core.get();
        return *core;
    }

    // Runs the timer service for `seconds` of simulated time.
    void run(int seconds) {
        for (int i = 0; i < seconds * 20; ++i) {
            clock.advance(std::chrono::milliseconds(50));
            core->timers().runDue();
        }
    }

    void openLog() {
        LogSettings log;
        log.file = (dir / "run.gps").string();
        log.msgs = std::string(settings::kMsgsLength, '1');
        log.save(*profile);
        std::FILE* f = std::fopen(log.file.c_str(), "w");
        std::fclose(f);
        ASSERT_TRUE(core->log().open(false));
    }

    zeph::testing::TempDir dir;
    std::unique_ptr<ProfileFile> profile;
    FakeClock clock;
    testing::ScriptedPrompter prompter;
    FakeWindow window;
    std::unique_ptr<MainFrameCore> core;
};

TEST_F(MainFrameCoreTest, StartUpShowsTheSetupWithoutCancelAndOpensTheRememberedViews) {
    MainFrameCore& frame = makeCore(2, "1111110000");
    frame.start();
    for (size_t slot = 0; slot < settings::kViewSlotCount; ++slot) {
        EXPECT_EQ(frame.viewOpen(slot), slot < 6) << slot;
    }
    EXPECT_FALSE(frame.sourceOpen()) << "a source opens with Open Data Source";
    frame.dataSourceSetupCommand();
    EXPECT_EQ(window.dialogCancelEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(profile->getString(settings::kMain, settings::kOpenViews, ""), "1111110000");
}

TEST_F(MainFrameCoreTest, ViewTogglesKeepTheOpenViewsStringInStep) {
    MainFrameCore& frame = makeCore(2, "0000000000");
    frame.state().targetSwClass = kSwDrovana;
    frame.toggleView(kSlotResponse);
    frame.toggleView(kSlotDrovana);
    EXPECT_EQ(profile->getString(settings::kMain, settings::kOpenViews, ""), "0000100001");
    frame.toggleView(kSlotResponse);
    EXPECT_EQ(frame.openViews(), "0000000001");
    frame.closeAllViews();
    EXPECT_FALSE(frame.anyViewOpen());
    EXPECT_EQ(profile->getString(settings::kMain, settings::kOpenViews, ""), "0000000000");
}

TEST_F(MainFrameCoreTest, ClosingTheLastViewClosesTheSource) {
    MainFrameCore& frame = makeCore(2, "0001010000");
    frame.start();
    EXPECT_EQ(frame.sourcePaneWidth(), kSourcePaneClosedWidth);
    frame.openDataSourceCommand();
    ASSERT_TRUE(frame.sourceOpen());
    EXPECT_EQ(frame.sourcePaneWidth(), kSourcePaneOpenWidth);
    run(2);
    EXPECT_FALSE(window.views[kSlotDebug]->hints.empty());

    frame.toggleView(kSlotDebug);
    EXPECT_TRUE(frame.sourceOpen()) << "the Error view still shows it";
    frame.toggleView(kSlotError);
    EXPECT_FALSE(frame.sourceOpen());
    EXPECT_EQ(frame.sourcePaneWidth(), kSourcePaneClosedWidth);
    EXPECT_EQ(frame.timers().running(), 0);
}

// User message 0x405: every view reloads its settings and the generator starts its second anew.
TEST_F(MainFrameCoreTest, RefreshReloadsTheViewsAndRestartsTheGeneratorsPacing) {
    MainFrameCore& frame = makeCore(2, "1000000000");
    frame.start();
    frame.openDataSourceCommand();
    std::vector<int>& hints = window.views[kSlotSignal]->hints;
    hints.clear();
    auto ticks = [&](int count) {
        for (int i = 0; i < count; ++i) {
            clock.advance(std::chrono::milliseconds(50));
            core->timers().runDue();
        }
    };
    ticks(14); // 700 ms into the generator's 1000 ms cycle
    frame.refreshViews();
    EXPECT_EQ(hints, std::vector<int>{kHintSettingsChanged});
    ticks(19);
    EXPECT_EQ(hints.size(), 1u) << "the cycle restarted: nothing at 1000 ms nor until 1650 ms";
    ticks(1);
    EXPECT_GT(hints.size(), 1u) << "the first cycle at 1700 ms";
}

TEST_F(MainFrameCoreTest, PauseFreezesTheViewsWhileTheLogKeepsGrowing) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    frame.start();
    openLog();
    frame.openDataSourceCommand();
    ASSERT_TRUE(frame.sourceOpen());
    run(3);
    const size_t shown = window.views[kSlotError]->hints.size();
    const auto logged = std::filesystem::file_size(dir / "run.gps");

    frame.pauseDisplayCommand();
    ASSERT_TRUE(frame.paused());
    run(3);
    EXPECT_EQ(window.views[kSlotError]->hints.size(), shown);
    EXPECT_GT(std::filesystem::file_size(dir / "run.gps"), logged);

    frame.pauseDisplayCommand();
    run(2);
    EXPECT_GT(window.views[kSlotError]->hints.size(), shown);
}

TEST_F(MainFrameCoreTest, CommandsFollowTheSourceAndTheNmeaFlag) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    frame.start();
    for (CommandNeed need :
         {CommandNeed::Source, CommandNeed::SourceAndNmea, CommandNeed::SourceWithoutNmea}) {
        EXPECT_FALSE(frame.commandEnabled(need));
    }
    frame.openDataSourceCommand();
    EXPECT_TRUE(frame.commandEnabled(CommandNeed::Source));
    EXPECT_FALSE(frame.commandEnabled(CommandNeed::SourceAndNmea));
    EXPECT_TRUE(frame.commandEnabled(CommandNeed::SourceWithoutNmea));

    frame.state().nmeaArriving = true;
    EXPECT_TRUE(frame.commandEnabled(CommandNeed::Source));
    EXPECT_TRUE(frame.commandEnabled(CommandNeed::SourceAndNmea));
    EXPECT_FALSE(frame.commandEnabled(CommandNeed::SourceWithoutNmea));
}

TEST_F(MainFrameCoreTest, TheTitleShowsTargetPortAndTheLogWhileOneIsOpen) {
    MainFrameCore& frame = makeCore(0, "0000000000");
    EXPECT_EQ(frame.title(), "ZephMon 3.40 (Target SW: Unknown) on COM1/57600");
    clock.setWallStart(1031270400); // 2002-09-06
    openLog();
    const std::string since = localTimeText(frame.log().openedAt(), "%c");
    EXPECT_EQ(frame.title(), "ZephMon 3.40 (Target SW: Unknown) on COM1/57600 -> " +
                                 (dir / "run.gps").string() + " since " + since);
    frame.log().close();
    frame.state().targetSwText = "GSW2.3.0";
    EXPECT_EQ(frame.title(), "ZephMon 3.40 (Target SW: GSW2.3.0) on COM1/57600");
}

TEST_F(MainFrameCoreTest, OpeningASourceWithALogAsksForADifferentLogFile) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    frame.start();
    openLog();
    prompter.answers = {Prompter::Answer::Cancel};
    frame.openDataSourceCommand();
    EXPECT_EQ(prompter.asked, std::vector<std::string>{kDifferentLogQuestion});
    EXPECT_FALSE(frame.sourceOpen());

    prompter.answers = {Prompter::Answer::No};
    frame.openDataSourceCommand();
    EXPECT_TRUE(frame.sourceOpen());
    EXPECT_TRUE(frame.logOpen());
    EXPECT_EQ(window.logDialogs, 0);

    // Closing the source closes the log with it.
    frame.openDataSourceCommand();
    EXPECT_FALSE(frame.logOpen());
    EXPECT_EQ(zeph::testing::countLinesStartingWith(zeph::testing::readFile(dir / "run.gps"),
                                                    "Log file closed"),
              1);
}

TEST_F(MainFrameCoreTest, ExitAsksOnlyWhileALogIsOpen) {
    MainFrameCore& frame = makeCore(2, "0000000000");
    EXPECT_TRUE(frame.exitRequested());
    EXPECT_TRUE(prompter.asked.empty());
    openLog();
    prompter.answers = {Prompter::Answer::No};
    EXPECT_FALSE(frame.exitRequested());
    EXPECT_TRUE(frame.logOpen());
    prompter.answers = {Prompter::Answer::Yes};
    EXPECT_TRUE(frame.exitRequested());
    EXPECT_FALSE(frame.logOpen());
    EXPECT_EQ(prompter.asked.back(), kExitQuestion);
}

TEST_F(MainFrameCoreTest, APollOpensTheResponseViewAndTheNmeaFlagOpensDebugAndError) {
    MainFrameCore& frame = makeCore(2, "0000000000");
    frame.sendPoll(kMidPollSwVersion);
    EXPECT_TRUE(frame.viewOpen(kSlotResponse));
    frame.sendPoll(kMidPollClockStatus);
    EXPECT_EQ(frame.openViews(), "0000100000");

    // A sentence after binary traffic: the text views open unless remembered open.
    MonitorEvents& events = frame;
    events.nmeaArrivingStarted();
    EXPECT_EQ(frame.openViews(), "0001110000");
    frame.toggleView(kSlotDebug);
    events.nmeaArrivingStarted();
    EXPECT_TRUE(frame.viewOpen(kSlotDebug));
}

// A collection poll goes out only with a file chosen; the file is written from the event loop
// once the collection's last satellite has arrived.
TEST_F(MainFrameCoreTest, ACollectionPollSavesItsFileWhenTheCollectionIsComplete) {
    MainFrameCore& frame = makeCore(2, "0000000000");
    frame.pollCollectionCommand(Collection::Almanac); // the dialog was cancelled
    EXPECT_FALSE(frame.viewOpen(kSlotResponse));
    EXPECT_EQ(frame.collectionFiles().pending(Collection::Almanac), "");

    window.chosenFile = {dir.path("week.alm"), 0};
    frame.pollCollectionCommand(Collection::Almanac);
    EXPECT_TRUE(frame.viewOpen(kSlotResponse));
    EXPECT_EQ(window.fileDialogs, (std::vector<std::string>{collectionfile::kAlmanacSaveTitle,
                                                            collectionfile::kAlmanacSaveTitle}));
    MonitorEvents& events = frame;
    events.almanacComplete();
    EXPECT_FALSE(std::filesystem::exists(dir / "week.alm"));
    window.runPosted();
    EXPECT_TRUE(std::filesystem::exists(dir / "week.alm"));
    EXPECT_EQ(prompter.asked.back(), "Almanac Data Written to:\n\n" + dir.path("week.alm"));
    EXPECT_EQ(frame.collectionFiles().pending(Collection::Almanac), "");

    // Set Ephemeris needs an open source before it asks for a file.
    frame.setCollectionCommand(Collection::Ephemeris);
    EXPECT_EQ(window.fileDialogs.size(), 2u);
}

TEST_F(MainFrameCoreTest, TheEndOfACaptureClosesTheSourceFromTheEventLoop) {
    const auto capture = dir / "empty.csv";
    std::FILE* f = std::fopen(capture.c_str(), "w");
    std::fputs("; one true position, then the end\n1,100,200,300,1,2,3\n", f);
    std::fclose(f);
    DataSourceSettings s;
    s.src = 1;
    s.fileName = capture.string();
    s.fileType = "CSV";
    MainFrameCore& frame = makeCore(1, "0000010000");
    frame.start();
    openLog();
    prompter.answers = {Prompter::Answer::No};
    frame.startWith(s, false);
    ASSERT_FALSE(window.posted.empty()) << "the end is posted, not acted on in the source";
    EXPECT_TRUE(frame.sourceOpen());
    window.runPosted();
    EXPECT_FALSE(frame.sourceOpen());
    EXPECT_FALSE(frame.logOpen());
}

// A capture's first message comes with the start: the command line's log is open by then, and
// being this run's own log it raises no question about a different one.
TEST_F(MainFrameCoreTest, AStartWithALogLogsTheFirstMessage) {
    const auto capture = dir / "two.csv";
    std::FILE* f = std::fopen(capture.c_str(), "w");
    std::fputs("1,100,200,300,1,2,3\n2,100,200,300,1,2,3\n", f);
    std::fclose(f);
    DataSourceSettings s;
    s.src = 1;
    s.fileName = capture.string();
    s.fileType = "CSV";
    MainFrameCore& frame = makeCore(1, "0000010000");
    LogSettings log;
    log.file = (dir / "run.gps").string();
    log.msgs = std::string(settings::kMsgsLength, '1');
    log.save(*profile);
    std::fclose(std::fopen(log.file.c_str(), "w"));
    frame.startWith(s, true);
    ASSERT_TRUE(frame.sourceOpen());
    ASSERT_TRUE(frame.logOpen());
    EXPECT_TRUE(prompter.asked.empty());
    run(2);
    frame.log().close();
    EXPECT_EQ(zeph::testing::countLinesStartingWith(zeph::testing::readFile(log.file), "1,"), 2);
}

// Captures played as data source make the recent list; an entry plays its file again, and one
// that is gone is dropped with the Data Source Setup dialog's message.
TEST_F(MainFrameCoreTest, RecentCapturesPlayAgainFromTheList) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    frame.start();
    frame.openDataSourceCommand();
    EXPECT_TRUE(frame.recentFiles().empty()) << "the generator is no file";
    std::vector<std::string> captures;
    for (const char* name : {"a.csv", "b.csv"}) {
        captures.push_back((dir / name).string());
        std::FILE* f = std::fopen(captures.back().c_str(), "w");
        std::fputs("1,100,200,300,1,2,3\n2,100,200,300,1,2,3\n", f);
        std::fclose(f);
        DataSourceSettings s;
        s.src = 1;
        s.fileName = captures.back();
        s.fileType = "CSV";
        frame.startWith(s, false);
    }
    EXPECT_EQ(frame.recentFiles(), (std::vector<std::string>{captures[1], captures[0]}));

    frame.openDataSourceCommand(); // closed
    frame.openRecentFile(1);
    EXPECT_TRUE(frame.sourceOpen());
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kFileName, ""), captures[0]);
    EXPECT_EQ(frame.recentFiles(), (std::vector<std::string>{captures[0], captures[1]}));

    std::filesystem::remove(captures[1]);
    frame.openRecentFile(1);
    EXPECT_EQ(prompter.asked, std::vector<std::string>{sourcedialog::kCannotOpen});
    EXPECT_EQ(frame.recentFiles(), std::vector<std::string>{captures[0]});
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kFileName, ""), captures[0]);
}

// A log named on the command line that cannot be opened is told once the start-up is over, and
// the run goes on without it, with or without a source named there too.
TEST_F(MainFrameCoreTest, ALogThatCannotBeOpenedIsToldAndTheRunGoesOn) {
    const std::string log = (dir / "missing" / "run.gps").string();
    DataSourceSettings random;
    random.src = kSourceRandom;
    for (const bool withSource : {true, false}) {
        core.reset();
        MainFrameCore& frame = makeCore(2, "0000010000");
        frame.log().setFileName(log);
        prompter.asked.clear();
        const auto source = withSource ? std::optional(random) : std::nullopt;
        EXPECT_FALSE(frame.startFromCommandLine(source, true));
        EXPECT_TRUE(prompter.asked.empty()) << "not inside the start-up";
        window.runPosted();
        EXPECT_EQ(prompter.asked, std::vector<std::string>{"Cannot open the log file " + log +
                                                           ".\nThe monitor runs without a log."});
        EXPECT_FALSE(frame.logOpen());
        EXPECT_EQ(frame.sourceOpen(), withSource)
            << "without one, the source waits for its command";
    }
}

// A capture named on the command line relative to the current folder is stored by its absolute
// path, as the recent list keeps it.
TEST_F(MainFrameCoreTest, ACaptureFromTheCommandLineIsStoredByItsAbsolutePath) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    const std::string capture = dir.write("run.csv", "1,100,200,300,1,2,3\n");
    DataSourceSettings s;
    s.src = 1;
    s.fileName = std::filesystem::relative(capture).string();
    s.fileType = "CSV";
    ASSERT_NE(s.fileName, capture);
    frame.startWith(s, false);
    EXPECT_TRUE(frame.sourceOpen());
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kFileName, ""), capture);
}

// An entry plays in the format it was played in, whatever the last capture's was.
TEST_F(MainFrameCoreTest, ARecentCapturePlaysInItsOwnFormat) {
    MainFrameCore& frame = makeCore(2, "0000010000");
    using namespace std::string_view_literals;
    const struct {
        const char* name;
        std::string_view content;
        const char* type;
    } captures[] = {{"text.csv", "1,100,200,300,1,2,3\n"sv, "CSV"},
                    {"frames.bin", "\xA0\xA2\x00\x02\x84\x00\x00\x84\xB0\xB3"sv, "Binary"}};
    for (const auto& c : captures) {
        DataSourceSettings s;
        s.src = 1;
        s.fileName = dir.write(c.name, c.content);
        s.fileType = c.type;
        frame.startWith(s, false);
    }
    for (const char* expected : {"CSV", "Binary", "CSV"}) {
        frame.openRecentFile(1);
        EXPECT_TRUE(frame.sourceOpen());
        EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kFileType, ""), expected);
    }
    EXPECT_TRUE(prompter.asked.empty()) << prompter.asked.front();
}

TEST_F(MainFrameCoreTest, TheDrovanaMenusFollowTheTargetClass) {
    MainFrameCore& frame = makeCore(2, "0000000000");
    EXPECT_FALSE(frame.drovanaMenus());
    frame.state().targetSwClass = kSwDrovana;
    EXPECT_TRUE(frame.drovanaMenus());
    frame.state().targetSwClass = kSw23OrHigher;
    EXPECT_FALSE(frame.drovanaMenus());
}

TEST_F(MainFrameCoreTest, TheDrovanaViewExistsOnlyWhileTheTargetIsDrovana) {
    MainFrameCore& frame = makeCore(2, "0000000001");
    frame.start();
    EXPECT_FALSE(frame.viewOpen(kSlotDrovana)) << "remembered, but the target is unknown";
    frame.toggleView(kSlotDrovana);
    EXPECT_FALSE(frame.viewOpen(kSlotDrovana));

    frame.state().targetSwClass = kSwDrovana;
    frame.toggleView(kSlotDrovana);
    frame.followTargetClass();
    EXPECT_TRUE(frame.viewOpen(kSlotDrovana));
    frame.state().targetSwClass = kSw23OrHigher;
    frame.followTargetClass();
    EXPECT_FALSE(frame.viewOpen(kSlotDrovana));
}

// Only a serial source takes line commands; a dialog whose software cannot report its settings
// opens at once with its defaults.
TEST_F(MainFrameCoreTest, LineCommandsNeedASerialSourceAndPollsTheirSoftware) {
    MainFrameCore& frame = makeCore(2, "0000100000");
    frame.start();
    frame.openDataSourceCommand();
    ASSERT_TRUE(frame.sourceOpen());
    frame.switchToNmeaCommand();
    frame.switchToBinaryCommand();
    frame.synchroniseCommand();
    frame.initializeDataSourceCommand();
    frame.setLowPowerCommand();
    EXPECT_EQ(window.actionDialogs, 0);
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kSerBaud, ""), "");

    struct Case {
        int targetClass;
        uint8_t mid;
        bool atOnce;
    };
    const Case cases[] = {{kSwVersionPollPending, 137, false},
                          {kSw23OrHigher, 140, false},
                          {kSwUnknown, 139, false},
                          {kSw21Or22, 136, false},
                          {kSw20, 139, true},
                          {kSwDrovana, 133, true},
                          {kSwZephNav, 143, true},
                          {kSw20, 170, false},
                          {kSwZephNav, 170, false}};
    for (const Case& c : cases) {
        window.polled.clear();
        frame.state().targetSwClass = c.targetClass;
        frame.currentSettingsPoll(c.mid);
        EXPECT_EQ(window.polled, c.atOnce ? std::vector<int>{c.mid} : std::vector<int>{})
            << c.targetClass << " " << int{c.mid};
    }
    // The dialogs that never poll open at once with their plain captions; the menu's polled
    // ones go through the poll.
    window.captions.clear();
    frame.state().targetSwClass = kSwDrovana;
    for (const auto& [mid, sid] : {std::pair{150, 0}, {166, 0}, {172, 4}, {172, 5}, {143, 0}}) {
        frame.navigationCommand(static_cast<uint8_t>(mid), static_cast<uint8_t>(sid));
    }
    EXPECT_EQ(window.captions, (std::vector<std::string>{"Operating Mode", "Message Rate",
                                                         "Drovana DR Sensor's Parameters",
                                                         "Static Navigation: Default"}));
}

} // namespace
} // namespace zeph::monitor
