// The main window offscreen: child frames by slot, menus and check marks, the status panes,
// the title, and data from the generator and from the simulated receiver reaching the views.

#include "monitor/shell/ui/main_frame.h"
#include "monitor/views/ui/radar_view.h"

#include "common/qt/testing/qt_application.h"
#include "common/testing/child_process.h"
#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"
#include "monitor/shell/tests/scripted_prompter.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

namespace zeph::monitor {
namespace {

using zeph::testing::BackgroundProgram;
using zeph::testing::countLinesStartingWith;
using zeph::testing::processEventsUntil;
using zeph::testing::programPath;
using zeph::testing::readFile;

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override { profile = std::make_unique<ProfileFile>(dir / "zephmon.ini"); }

    CMainFrame& makeFrame(std::string_view openViews, int src = 2) {
        prepareSettingsFile(*profile, prompter);
        profile->writeString(settings::kMain, settings::kOpenViews, openViews);
        profile->writeInt(settings::kDataSrc, settings::kSrc, src);
        frame = std::make_unique<CMainFrame>(*profile, clock);
        frame->setPrompter(prompter);
        frame->setDialogs({[this](bool cancelEnabled) {
                               setupCancelEnabled.push_back(cancelEnabled);
                               return true;
                           },
                           [] { return false; }, [this] { ++targetDialogs; },
                           [this] {
                               ++preferenceDialogs;
                               return true;
                           }});
        frame->show();
        return *frame;
    }

    QAction* action(const char* name) const {
        auto* a = frame->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QListWidget* list(size_t slot) const {
        return frame->frame(slot) ? frame->frame(slot)->findChild<QListWidget*>("list") : nullptr;
    }
    static bool listHas(const QListWidget* l, const QString& start) {
        for (int i = 0; l != nullptr && i < l->count(); ++i) {
            if (l->item(i)->text().startsWith(start)) {
                return true;
            }
        }
        return false;
    }

    zeph::testing::TempDir dir;
    std::unique_ptr<ProfileFile> profile;
    SystemClock clock;
    testing::ScriptedPrompter prompter;
    std::unique_ptr<CMainFrame> frame;
    std::vector<bool> setupCancelEnabled;
    int targetDialogs = 0;
    int preferenceDialogs = 0;
};

TEST_F(MainFrameTest, StartUpOpensTheRememberedViewsWithTheirCaptions) {
    CMainFrame& f = makeFrame("1111110000");
    f.core().start();
    EXPECT_EQ(setupCancelEnabled, std::vector<bool>{false});
    const char* captions[] = {"Signal View", "Map View",      "Radar View",
                              "Debug View",  "Response View", "Error View"};
    EXPECT_EQ(f.mdiArea()->subWindowList().size(), 6);
    for (size_t slot = 0; slot < 6; ++slot) {
        ASSERT_NE(f.frame(slot), nullptr) << slot;
        EXPECT_EQ(f.frame(slot)->windowTitle(), QString::fromLatin1(captions[slot]));
        EXPECT_TRUE(action(("actionView" + std::to_string(slot)).c_str())->isChecked());
    }
    EXPECT_FALSE(action("actionView6")->isChecked());
    // The first start's placements lie inside the frame's client area.
    const QRect client = f.mdiArea()->viewport()->rect();
    for (size_t slot = 0; slot < 6; ++slot) {
        EXPECT_TRUE(client.contains(f.frame(slot)->geometry()))
            << captions[slot] << " in " << client.width() << " x " << client.height();
    }
}

TEST_F(MainFrameTest, SavedPreferencesMakeEveryViewReload) {
    CMainFrame& f = makeFrame("0010000000");
    f.core().start();
    auto* radar = dynamic_cast<CViewRadar*>(f.frame(kSlotRadar)->view());
    ASSERT_NE(radar, nullptr);
    profile->writeString(settings::kVwRad, settings::kOuterRadVel, "8.00");
    action("actionPreferences")->trigger();
    EXPECT_EQ(preferenceDialogs, 1);
    EXPECT_EQ(radar->plot().outerVelocity(), 8.0);
}

TEST_F(MainFrameTest, ClosingTheLastViewClosesTheSourceAndNarrowsItsPane) {
    CMainFrame& f = makeFrame("0001010000");
    f.core().start();
    action("actionOpenDataSource")->trigger();
    ASSERT_TRUE(f.core().sourceOpen());
    EXPECT_TRUE(action("actionOpenDataSource")->isChecked());
    EXPECT_EQ(f.paneWidthInChars(kPaneSource), 9);

    // The generator's debug text reaches the Debug view through the Qt timers.
    ASSERT_TRUE(processEventsUntil([&] { return list(kSlotDebug)->count() > 0; }, 3000));
    EXPECT_TRUE(listHas(list(kSlotDebug), "Data packet for randomly generated debug data"));

    f.frame(kSlotDebug)->close();
    EXPECT_TRUE(f.core().sourceOpen());
    f.frame(kSlotError)->close();
    EXPECT_FALSE(f.core().sourceOpen());
    EXPECT_FALSE(action("actionOpenDataSource")->isChecked());
    EXPECT_EQ(f.paneWidthInChars(kPaneSource), 4);
    EXPECT_EQ(profile->getString(settings::kMain, settings::kOpenViews, ""), "0000000000");
}

TEST_F(MainFrameTest, ReceiverCommandsFollowTheSourceAndTheNmeaFlag) {
    CMainFrame& f = makeFrame("0000100000");
    f.core().start();
    EXPECT_FALSE(action("actionPollSwVersion")->isEnabled());
    action("actionOpenDataSource")->trigger();
    EXPECT_TRUE(action("actionPollSwVersion")->isEnabled());
    EXPECT_TRUE(action("actionPauseDisplay")->isEnabled());

    f.core().state().nmeaArriving = true;
    f.core().nmeaArrivingStarted();
    EXPECT_FALSE(action("actionPollSwVersion")->isEnabled());
    EXPECT_FALSE(action("actionPollClockStatus")->isEnabled());
    EXPECT_NE(f.frame(kSlotDebug), nullptr) << "sentences open the Debug and Error views";
    EXPECT_NE(f.frame(kSlotError), nullptr);

    // A binary message clears the flag quietly; the Poll menu shows it when it opens.
    f.core().state().nmeaArriving = false;
    emit f.findChild<QMenu*>("menuPoll")->aboutToShow();
    EXPECT_TRUE(action("actionPollSwVersion")->isEnabled());

    // The Action menu: the switch back to binary only while NMEA arrives, the binary commands
    // only while it does not, synchronise and User1 whatever arrives.
    const std::pair<const char*, int> actions[] = {
        {"actionSwitchToNmea", 0},         {"actionSwitchToZeph", 1},
        {"actionSynchronize", 2},          {"actionSwitchToUser1", 2},
        {"actionSetMainPort", 0},          {"actionSetDgpsPort", 0},
        {"actionSetUartConfiguration", 0}, {"actionInitializeDataSource", 0},
        {"actionSetLowPower", 0},          {"actionTransmitSerialMessage", 2},
        {"actionSetAlmanac", 0},           {"actionSetEphemeris", 0},
        {"actionPollAlmanac", 0},          {"actionPollEphemeris", 0},
    };
    for (const bool nmea : {false, true}) {
        f.core().state().nmeaArriving = nmea;
        emit f.findChild<QMenu*>("menuAction")->aboutToShow();
        for (const auto& [name, need] : actions) {
            const bool enabled = need == 2 || (need == 1) == nmea;
            EXPECT_EQ(action(name)->isEnabled(), enabled) << name << " nmea " << nmea;
        }
    }
    action("actionOpenDataSource")->trigger();
    EXPECT_FALSE(action("actionSynchronize")->isEnabled());
}

TEST_F(MainFrameTest, PauseFreezesTheViews) {
    CMainFrame& f = makeFrame("0001000000");
    f.core().start();
    action("actionOpenDataSource")->trigger();
    ASSERT_TRUE(processEventsUntil([&] { return list(kSlotDebug)->count() > 0; }, 3000));
    action("actionPauseDisplay")->trigger();
    EXPECT_TRUE(action("actionPauseDisplay")->isChecked());
    const int shown = list(kSlotDebug)->count();
    processEventsUntil([] { return false; }, 1500);
    EXPECT_EQ(list(kSlotDebug)->count(), shown);
    action("actionPauseDisplay")->trigger();
    EXPECT_TRUE(processEventsUntil([&] { return list(kSlotDebug)->count() > shown; }, 3000));
}

TEST_F(MainFrameTest, TheDrovanaEntriesComeAndGoWithTheTargetClass) {
    CMainFrame& f = makeFrame("0000000000");
    auto* messages = f.findChild<QMenu*>("menuMessages");
    auto* view = f.findChild<QMenu*>("menuView");
    auto* navigation = f.findChild<QMenu*>("menuNavigation");
    ASSERT_TRUE(messages && view && navigation);
    auto* drovana = f.findChild<QMenu*>("menuDrovana");
    ASSERT_NE(drovana, nullptr);
    EXPECT_FALSE(messages->actions().contains(action("actionView9")));
    EXPECT_EQ(navigation->actions().size(), 8);
    EXPECT_FALSE(navigation->actions().contains(drovana->menuAction()));

    f.core().state().targetSwClass = kSwDrovana;
    emit view->aboutToShow();
    ASSERT_GE(messages->actions().size(), 7);
    EXPECT_EQ(messages->actions()[6], action("actionView9"));
    ASSERT_EQ(navigation->actions().size(), 9);
    EXPECT_EQ(navigation->actions()[8], drovana->menuAction());
    EXPECT_EQ(drovana->actions().size(), 7);

    action("actionView9")->trigger();
    ASSERT_NE(f.frame(kSlotDrovana), nullptr);
    EXPECT_EQ(f.frame(kSlotDrovana)->view()->objectName(), "CViewDr");

    // The view goes with the menus.
    f.core().state().targetSwClass = kSw23OrHigher;
    emit view->aboutToShow();
    EXPECT_FALSE(messages->actions().contains(action("actionView9")));
    EXPECT_FALSE(navigation->actions().contains(drovana->menuAction()));
    EXPECT_TRUE(processEventsUntil([&] { return f.frame(kSlotDrovana) == nullptr; }, 3000));
}

TEST_F(MainFrameTest, TheViewsAndTheirPlacesSurviveARestart) {
    CMainFrame& first = makeFrame("0001000000");
    first.core().start();
    first.frame(kSlotDebug)->setGeometry(40, 30, 420, 260);
    first.setGeometry(100, 80, 1000, 700);
    ASSERT_TRUE(first.close());
    frame.reset();
    EXPECT_EQ(profile->getString(settings::kMain, settings::kOpenViews, ""), "0001000000");

    frame = std::make_unique<CMainFrame>(*profile, clock);
    frame->setDialogs(
        {[](bool) { return true; }, [] { return false; }, [] {}, [] { return false; }});
    frame->show();
    frame->core().start();
    ASSERT_NE(frame->frame(kSlotDebug), nullptr);
    EXPECT_EQ(frame->frame(kSlotDebug)->geometry(), QRect(40, 30, 420, 260));
    EXPECT_EQ(frame->normalGeometry().size(), QSize(1000, 700));
}

// A child frame has no normal geometry of its own: the frame keeps its last normal rectangle.
// Closed maximised it comes back normal there; closed minimised it comes back minimised and
// restores to it.
TEST_F(MainFrameTest, AViewClosedMaximisedOrMinimisedKeepsItsNormalRectangle) {
    const struct {
        void (QWidget::*state)();
        int savedShowCmd;
        bool minimisedAgain;
    } rows[] = {{&QWidget::showMaximized, 3, false}, {&QWidget::showMinimized, 2, true}};
    const QRect normal(40, 30, 420, 260);
    for (const auto& row : rows) {
        CMainFrame& first = makeFrame("0001000000");
        first.core().start();
        first.frame(kSlotDebug)->setGeometry(normal);
        (first.frame(kSlotDebug)->*row.state)();
        ASSERT_TRUE(first.close());
        frame.reset();
        const std::optional<WindowPlacement> saved = restorePlacement(*profile, "VwDbg");
        ASSERT_TRUE(saved);
        EXPECT_EQ(profile->getInt("VwDbg", "WplShowCmd", 0), row.savedShowCmd);
        EXPECT_EQ(QRect(QPoint(saved->normalL, saved->normalT),
                        QPoint(saved->normalR - 1, saved->normalB - 1)),
                  normal);

        CMainFrame& second = makeFrame("0001000000");
        second.core().start();
        CFrameView* view = second.frame(kSlotDebug);
        ASSERT_NE(view, nullptr);
        EXPECT_FALSE(view->isMaximized());
        EXPECT_EQ(view->isMinimized(), row.minimisedAgain) << row.savedShowCmd;
        view->showNormal();
        EXPECT_EQ(view->geometry(), normal) << row.savedShowCmd;
        frame.reset();
    }
}

TEST_F(MainFrameTest, TheFileMenuListsRecentCapturesAndPlaysThem) {
    const std::string capture = (dir / "R&D.csv").string();
    std::FILE* file = std::fopen(capture.c_str(), "w");
    std::fputs("1,100,200,300,1,2,3\n2,100,200,300,1,2,3\n", file);
    std::fclose(file);
    CMainFrame& f = makeFrame("0001000000");
    EXPECT_FALSE(action("actionRecentFile1")->isVisible());
    DataSourceSettings s;
    s.src = 1;
    s.fileName = capture;
    s.fileType = "CSV";
    f.core().startWith(s, false);
    f.core().openDataSourceCommand();
    ASSERT_FALSE(f.core().sourceOpen());
    ASSERT_TRUE(action("actionRecentFile1")->isVisible());
    EXPECT_EQ(action("actionRecentFile1")->text().toStdString(), recentFileMenuText(0, capture));
    EXPECT_FALSE(action("actionRecentFile2")->isVisible());
    action("actionRecentFile1")->trigger();
    EXPECT_TRUE(f.core().sourceOpen());
}

TEST_F(MainFrameTest, TheTitleNamesTheLogWhileOneIsOpen) {
    CMainFrame& f = makeFrame("0000000000", 0);
    EXPECT_EQ(f.windowTitle(), "ZephMon 3.40 (Target SW: Unknown) on COM1/57600");
    LogSettings log;
    log.file = (dir / "run.gps").string();
    log.save(*profile);
    std::fclose(std::fopen(log.file.c_str(), "w"));
    ASSERT_TRUE(f.core().log().open(false));
    EXPECT_TRUE(f.windowTitle().startsWith(QString::fromStdString(
        "ZephMon 3.40 (Target SW: Unknown) on COM1/57600 -> " + log.file + " since ")));
    EXPECT_EQ(f.pane(kPaneLog)->text(), "LOG");
    prompter.answers = {Prompter::Answer::No};
    EXPECT_FALSE(f.close()) << "No keeps the program running";
    prompter.answers = {Prompter::Answer::Yes};
    EXPECT_TRUE(f.close());
    EXPECT_EQ(f.windowTitle(), "ZephMon 3.40 (Target SW: Unknown) on COM1/57600");
}

// A timed run or a signal ends the program whatever modal window is open: the exit question,
// or the start-up's Data Source Setup dialog (the start-up then goes no further: no log opens).
// Every event loop is left, an open log gets its closing line and the placements are saved.
TEST_F(MainFrameTest, TheEndOfARunLeavesAnyModalWindow) {
    const struct {
        const char* modal;
        bool logOpen;
        std::function<void(CMainFrame&)> open;
    } rows[] = {
        {"exit question", true, [](CMainFrame& f) { f.close(); }},
        {"start-up dialog", false,
         [](CMainFrame& f) {
             f.setDialogs({[&f](bool) { return QDialog(&f).exec() == QDialog::Accepted; },
                           [] { return false; }, [] {}, [] { return false; }});
             f.core().startFromCommandLine(std::nullopt, true);
         }},
    };
    for (const auto& row : rows) {
        CMainFrame& f = makeFrame("0001000000");
        QtPrompter boxes(QStringLiteral("ZephMon"), &f);
        f.setPrompter(boxes);
        LogSettings log;
        log.file = (dir / "run.gps").string();
        log.save(*profile);
        std::fclose(std::fopen(log.file.c_str(), "w"));
        if (row.logOpen) {
            ASSERT_TRUE(f.core().log().open(false));
        }
        profile->writeInt(settings::kMain, settings::kWplLength, 0);

        QString modal;
        QTimer::singleShot(0, &f, [&] { row.open(f); });
        QTimer::singleShot(300, &f, [&] { // inside the modal window's own event loop
            if (QWidget* w = QApplication::activeModalWidget()) {
                modal = QString::fromLatin1(w->metaObject()->className());
            }
            f.endRun(0);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                w->close();
            }
            QCoreApplication::exit(1);
        });
        watchdog.start(5000);
        EXPECT_EQ(QCoreApplication::exec(), 0) << row.modal << ": the run did not end";
        EXPECT_FALSE(modal.isEmpty()) << row.modal;
        EXPECT_FALSE(f.core().logOpen()) << row.modal;
        const std::string text = readFile(log.file);
        EXPECT_EQ(countLinesStartingWith(text, "Log file closed "), row.logOpen ? 1 : 0) << text;
        EXPECT_EQ(countLinesStartingWith(text, "ZephMon Version"), row.logOpen ? 1 : 0) << text;
        EXPECT_EQ(profile->getInt(settings::kMain, settings::kWplLength, 0), 44) << row.modal;
        frame.reset();
    }
}

// The simulated receiver on a pseudo-terminal: auto-detection finds its software, and the
// polls' answers reach the Response view.
TEST_F(MainFrameTest, AgainstTheSimulatedReceiverTheTitleAndResponsesFill) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = sim.readLine(5000);
    ASSERT_FALSE(port.empty()) << sim.err();

    CMainFrame& f = makeFrame("0001010000", 0);
    f.resize(1100, 760);
    f.core().state().autoDetect = true;
    DataSourceSettings s;
    s.serPort = port;
    f.core().startWith(s, false);
    ASSERT_TRUE(f.core().sourceOpen());
    ASSERT_TRUE(
        processEventsUntil([&] { return !f.windowTitle().contains("Target SW: Unknown"); }, 10000))
        << f.windowTitle().toStdString();
    EXPECT_TRUE(f.windowTitle().startsWith("ZephMon 3.40 (Target SW: "));
    EXPECT_TRUE(f.windowTitle().endsWith(QString::fromStdString(") on " + port + "/57600")));

    action("actionPollSwVersion")->trigger();
    action("actionPollClockStatus")->trigger();
    action("actionPollNavParameters")->trigger();
    ASSERT_NE(f.frame(kSlotResponse), nullptr);
    EXPECT_TRUE(processEventsUntil(
        [&] {
            return listHas(list(kSlotResponse), "Acknowledged ") &&
                   listHas(list(kSlotResponse), "SW Version ") &&
                   listHas(list(kSlotResponse), "Week:") &&
                   listHas(list(kSlotResponse), "AltMode: ");
        },
        10000));
    EXPECT_EQ(targetDialogs, 0);

    // A setting dialog opens from the receiver's echo, and its Send reaches the receiver.
    std::vector<std::string> opened;
    CMainFrame::ActionDialogs dialogs;
    dialogs.navDialog = [&](NavDialog& d) {
        opened.push_back(d.caption() + " mode " + std::to_string(d.value("mode")));
        d.choose("mode", 0);
        return !d.send();
    };
    f.setActionDialogs(dialogs);
    action("actionNavigation170")->trigger();
    ASSERT_TRUE(processEventsUntil([&] { return opened.size() == 1; }, 5000));
    action("actionNavigation170")->trigger();
    ASSERT_TRUE(processEventsUntil([&] { return opened.size() == 2; }, 5000));
    EXPECT_EQ(opened, (std::vector<std::string>{"SBAS: Current mode 1", "SBAS: Current mode 0"}));

    // The picture of the main window the documentation shows.
    f.mdiArea()->tileSubWindows();
    processEventsUntil([&] { return list(kSlotDebug)->count() > 3; }, 3000);
    const QPixmap picture = f.grab();
    EXPECT_EQ(picture.size(), f.size());
    if (const char* folder = std::getenv("ZEPH_PICTURE_DIR")) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(folder) + "/zephmon.png"));
    }
}

} // namespace
} // namespace zeph::monitor
