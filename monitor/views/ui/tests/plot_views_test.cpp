// The Signal, Radar and Map views offscreen: each draws what its rules say where they say it,
// repaints as its rules say after a new size or source, reloads its settings on hint 3, and
// opens its option dialog on a double-click.

#include "monitor/views/ui/map_view.h"
#include "monitor/views/ui/radar_view.h"
#include "monitor/views/ui/signal_view.h"

#include "common/qt/testing/qt_application.h"
#include "common/testing/temp_dir.h"
#include "monitor/messages/testing/recording_events.h"
#include "monitor/shell/feed.h"
#include "monitor/views/satellite_colours.h"
#include "monitor/views/testing/message_maker.h"
#include "monitor/views/testing/plot_messages.h"

#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

#include <gtest/gtest.h>

namespace zeph::monitor::testing {
namespace {

QRgb rgb(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

QRgb pixel(const QPixmap& p, int x, int y) {
    return p.toImage().pixel(x, y) | 0xFF000000;
}

class PlotViewsTest : public ::testing::Test {
protected:
    ViewContext context() {
        return {state, &profile, &prompter, [this] { ++settingsChanged; }};
    }
    void feed(MonitorView& view, const sim::Bytes& payload) {
        view.onUpdate(kHintNewMessage, &make.binary(payload));
    }
    // Double-clicks at `at` and returns the title of the dialog that opened, after cancelling
    // or (with `save`) saving it.
    QString dialogOn(QWidget& target, QPoint at, bool save = false) {
        QString title;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            title = dialog->windowTitle();
            if (save) {
                dialog->findChild<QPushButton*>("saveButton")->click();
            } else {
                dialog->reject();
            }
        });
        QMouseEvent click(QEvent::MouseButtonDblClick, at, target.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &click);
        return title;
    }

    ProgramState state;
    zeph::testing::TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
    MessageMaker make;
    int settingsChanged = 0;
};

TEST_F(PlotViewsTest, SignalDrawsBarsAndRestartsOnANewSize) {
    CViewSignal view(context());
    view.resize(560, 420);
    view.show();
    TrackFields t{};
    t[0] = {5, 0, 0, 0xBF, flatCno(50)};
    feed(view, trackPayload(t));
    NavFields n;
    n.prn[0] = 5;
    feed(view, navPayload(n));
    // Strip 0's first sample: x 210 + 243, from the baseline at 30 + 24 up to 30 + 1.
    EXPECT_EQ(pixel(view.surface(), 453, 40), rgb(kUsedGreen));
    EXPECT_EQ(pixel(view.surface(), 453, 30 + 27 + 10), rgb(kWhite)) << "strip 1 is empty";
    EXPECT_EQ(view.grab().toImage().pixel(453, 40) | 0xFF000000, rgb(kUsedGreen))
        << "the window shows the surface";
    n.prn[0] = 0;
    for (int cycle = 1; cycle < 5; ++cycle) {
        feed(view, trackPayload(t));
        feed(view, navPayload(n));
    }
    EXPECT_EQ(pixel(view.surface(), 453, 40), rgb(kTrackedBlue)) << "the newest cycle";
    EXPECT_EQ(pixel(view.surface(), 453 - 4 * 60, 40), rgb(kUsedGreen))
        << "four cycles later the first is in the oldest box";

    view.resize(560, 421);
    QApplication::processEvents();
    EXPECT_EQ(pixel(view.surface(), 453, 40), rgb(kWhite)) << "a new layout clears the graphs";

    profile.writeInt("VwSig", "GraphType", 1);
    view.onUpdate(kHintSettingsChanged, nullptr);
    EXPECT_EQ(view.plot().strip(0).graphType(), kGraphLine);
    EXPECT_EQ(dialogOn(view, {100, 100}, true), "Preferences");
    EXPECT_EQ(settingsChanged, 1) << "saving makes every view reload";
}

TEST_F(PlotViewsTest, RadarDrawsOnItsBackgroundUntilANewSize) {
    CViewRadar view(context());
    view.resize(300, 400);
    view.show();
    EXPECT_EQ(pixel(view.surface(), 150, 15), rgb(kRadarGreen)) << "the horizon";
    TrackFields t{};
    t[0] = {5, 60, 90, 0xBF, flatCno(40)};
    feed(view, trackPayload(t));
    NavFields n;
    n.velocity = {0, 0, 16}; // 2 m/s north
    n.prn[0] = 5;
    feed(view, navPayload(n));
    EXPECT_EQ(pixel(view.surface(), 150, 100), rgb(kArrowRed));
    EXPECT_EQ(pixel(view.surface(), 229, 150), rgb(kUsedGreen)) << "the satellite's arm";

    view.resize(300, 401);
    QApplication::processEvents();
    EXPECT_EQ(pixel(view.surface(), 150, 100), rgb(kBlack)) << "only the background";
    EXPECT_EQ(pixel(view.surface(), 229, 150), rgb(kBlack));

    profile.writeString("VwRad", "OuterRadVel", "8.00");
    view.onUpdate(kHintSettingsChanged, nullptr);
    EXPECT_EQ(view.plot().outerVelocity(), 8.0);
    EXPECT_EQ(dialogOn(view, {10, 10}), "Tracking View Configuration");
    EXPECT_EQ(settingsChanged, 0) << "cancelled";
}

TEST_F(PlotViewsTest, MapPlotsClearsAndTakesTheCurrentOrigin) {
    profile.writeString("VwMap", "Lat", "0");
    profile.writeString("VwMap", "Lon", "0");
    CViewMap view(context());
    view.resize(360, 440);
    view.show();
    EXPECT_EQ(view.plotPixmap().size(), QSize(205, 205));
    NavFields n;
    n.ecef = {6378137, 20, 15}; // 20 m east, 15 m north of 0 N 0 E
    feed(view, navPayload(n));
    EXPECT_EQ(view.barField(CViewMap::kLat)->text(), "  0.00014");
    EXPECT_EQ(view.barField(CViewMap::kHdg)->text(), "0\u00B0");
    EXPECT_EQ(view.barField(CViewMap::kFix)->text(), "Validated");
    EXPECT_EQ(pixel(view.plotPixmap(), 167, 52), rgb({255, 0, 0}));

    view.findChild<QPushButton*>("clearButton")->click();
    EXPECT_EQ(pixel(view.plotPixmap(), 167, 52), rgb(kWhite));

    view.findChild<QPushButton*>("originButton")->click();
    EXPECT_EQ(profile.getString("VwMap", "Lat", ""), "0.00014");
    EXPECT_EQ(profile.getString("VwMap", "Lon", ""), "0.00018");
    EXPECT_EQ(view.plot().origin().longitude, 0.00018);

    QWidget* canvas = view.findChild<QWidget*>("mapCanvas");
    EXPECT_EQ(dialogOn(*canvas, {5, 5}), "Preferences");
}

} // namespace
} // namespace zeph::monitor::testing
