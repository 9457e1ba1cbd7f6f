// The View menu's small windows on the main window: each entry opens its window once, and the
// windows run on their own timers.

#include "dashboard/ui/display_windows.h"
#include "dashboard/ui/double_form.h"
#include "dashboard/ui/double_map_form.h"
#include "dashboard/ui/frm_sel_nmea.h"
#include "dashboard/ui/set_form.h"
#include "dashboard/ui/trekdash_window.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/main_window_fixture.h"
#include "dashboard/ui/tests/ui_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

struct DisplayWindowsFixture : testing::MainWindowFixture {};

// A left click at `at` inside `button`, delivered to its window as the windowing system does, so
// whatever widget lies over the button at that point takes it.
void clickThroughWindow(QAbstractButton* button, QPoint at) {
    QWidget* top = button->window();
    QWindow* handle = top->windowHandle();
    ASSERT_NE(handle, nullptr);
    const QPointF local = button->mapTo(top, at);
    const QPointF global = top->mapToGlobal(local.toPoint());
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, local, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &event);
    }
}

TEST_F(DisplayWindowsFixture, EveryButtonTakesClicksOverItsWholeFace) {
    for (const char* entry : {"mnuTime", "mnuPosition", "mnuNormal", "mnuStatus", "mnuTermi",
                              "mnuInfor", "mnuWorldMap", "mnuDirection"}) {
        window.findChild<QAction*>(entry)->trigger();
    }
    // The settings windows and the comparison window too, as their own ways would show them.
    for (QWidget* form : std::initializer_list<QWidget*>{window.setForm(), window.doubleForm(),
                                                         window.selNmea(), window.doubleMap()}) {
        form->show();
    }
    int checked = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || (top != &window && top->parentWidget() != &window)) {
            continue;
        }
        for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || button->window() != top) {
                continue;
            }
            const QRect face = button->rect();
            for (const QPoint at :
                 {QPoint(face.center().x(), 3), QPoint(face.center().x(), face.bottom() - 3),
                  QPoint(3, face.center().y()), QPoint(face.right() - 3, face.bottom() - 3)}) {
                QWidget* hit = top->childAt(button->mapTo(top, at));
                EXPECT_EQ(hit, button)
                    << top->windowTitle().toStdString() << " / " << button->text().toStdString()
                    << " at " << at.x() << "," << at.y() << " is under "
                    << (hit != nullptr ? hit->objectName().toStdString() : "nothing");
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 14);

    for (QWidget* form : std::initializer_list<QWidget*>{window.setForm(), window.doubleForm(),
                                                         window.selNmea(), window.doubleMap()}) {
        form->hide();
    }

    // Display and Stop work when clicked low on their faces.
    auto* display = child<QPushButton>("DisplayComm");
    auto* stop = child<QPushButton>("StopComm");
    ASSERT_TRUE(port1.isOpen() && stop->isEnabled());
    clickThroughWindow(stop, QPoint(stop->width() / 2, stop->height() - 3));
    EXPECT_FALSE(port1.isOpen());
    ASSERT_TRUE(display->isEnabled());
    clickThroughWindow(display, QPoint(display->width() / 2, display->height() - 3));
    EXPECT_TRUE(port1.isOpen());
    EXPECT_TRUE(stop->isEnabled());
}

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
