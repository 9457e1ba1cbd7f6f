// The View menu's small windows on the main window: each entry opens its window once, and the
// windows run on their own timers.

#include "dashboard/ui/display_windows.h"
#include "dashboard/ui/trekdash_window.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/main_window_fixture.h"
#include "dashboard/ui/tests/ui_support.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

struct DisplayWindowsFixture : testing::MainWindowFixture {};

TEST_F(DisplayWindowsFixture, EachEntryOpensItsWindowOnce) {
    const std::vector<std::pair<const char*, const char*>> entries = {
        {"mnuTime", "Now Time"}, {"mnuPosition", "Positiion"}, {"mnuNormal", "Precision"},
        {"mnuStatus", "Status"}, {"mnuTermi", "NMEA message"}, {"mnuInfor", "About..."}};
    for (const auto& [entry, title] : entries) {
        window.findChild<QAction*>(entry)->trigger();
        QWidget* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->windowTitle() == title && w->isVisible()) {
                shown = w;
            }
        }
        ASSERT_NE(shown, nullptr) << entry;
        shown->hide();
        window.findChild<QAction*>(entry)->trigger();
        EXPECT_TRUE(shown->isVisible()) << entry << ": shown again, not made anew";
    }
    EXPECT_EQ(window.findChildren<StateForm*>().size(), entries.size());
}

TEST_F(DisplayWindowsFixture, TheWindowsShowTheStateOnTheirOwnTimers) {
    state.LatitudeText = "2446.1234       N";
    state.LongitudeText = "12100.5678     E";
    state.AltitudeText = "35.0";
    state.FixStatusText = "Data Valid";
    state.FixQuality = 2;
    state.RxLog = "$GPGGA,1\r\n$GPRMC,2\r\n";
    state.DateText = "230394";
    state.UtcTime = "123519.000";
    window.findChild<QAction*>("mnuPosition")->trigger();
    auto* position = window.findChild<PositionForm*>();
    ASSERT_TRUE(
        testing::waitUntil([&] { return !label(position, "AltitudeLabel").isEmpty(); }, 3000))
        << "the position timer runs while the window is active";
    EXPECT_EQ(label(position, "LatitudeLabel"), "  24*  46'  7.404\"  N");
    position->findChild<QPushButton*>("FormatComm")->click();
    position->tick();
    EXPECT_EQ(label(position, "LatitudeLabel"), "2446.1234       N");

    window.findChild<QAction*>("mnuStatus")->trigger();
    auto* status = window.findChild<StatusForm*>();
    ASSERT_TRUE(testing::waitUntil([&] { return !label(status, "lblFixInd").isEmpty(); }, 3000));
    EXPECT_EQ(status->findChild<QLineEdit*>("MessageText")->text(), "GGARMC");
    EXPECT_EQ(label(status, "lblFixInd"), " Differential GPS,SPS Mode,fix valid");

    window.findChild<QAction*>("mnuTime")->trigger();
    auto* time = window.findChild<TimeForm*>();
    window.activateWindow(); // the time window runs on, inactive
    ASSERT_TRUE(testing::waitUntil([&] { return !label(time, "TimeLabel").isEmpty(); }, 3000));
    EXPECT_EQ(label(time, "TimeLabel"), "12(h) 35(m) 19(s)");
    EXPECT_EQ(label(time, "DateLabel"), "23.03.2094    (d.m.y)");
}

TEST_F(DisplayWindowsFixture, TheTerminalShowsTheTextAndItsArrowsWhileActive) {
    port1.incoming = "$GPRMC,123519.000,A\r\n"; // read by the main window's receive tick
    window.findChild<QAction*>("mnuTermi")->trigger();
    auto* terminal = window.findChild<DisplayForm*>();
    auto* status = terminal->findChild<QLineEdit*>("StatusText");
    ASSERT_TRUE(testing::waitUntil([&] { return status->text().startsWith(">>>"); }, 3000))
        << status->text().toStdString();
    EXPECT_TRUE(status->text().endsWith(">Receive"));
    EXPECT_FALSE(terminal->findChild<QPushButton*>("ActComm")->isEnabled());
    auto* text = terminal->findChild<QPlainTextEdit*>("DisplayText");
    EXPECT_TRUE(testing::waitUntil(
        [&] { return text->toPlainText().startsWith("$GPRMC,123519.000,A"); }, 3000));

    terminal->findChild<QPushButton*>("StopComm")->click();
    EXPECT_EQ(status->text(), "No Action !");
    testing::spin(250);
    EXPECT_EQ(status->text(), "No Action !") << "stopped arrows stay still";
    terminal->findChild<QPushButton*>("CloseComm")->click();
    EXPECT_FALSE(terminal->isVisible());
}

} // namespace
} // namespace zeph::dashboard
