// The main window's instruments, the world map and the comparison window, offscreen, with
// port objects fed from the test.

#include "dashboard/ui/direction_form.h"
#include "dashboard/ui/double_map_form.h"
#include "dashboard/ui/trekdash_window.h"
#include "dashboard/ui/world_map_form.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/main_window_fixture.h"
#include "dashboard/ui/tests/ui_support.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

using testing::colorNear;

struct InstrumentsFixture : testing::MainWindowFixture {
    QPoint at(QWidget* parent, const char* name) {
        const auto* w = parent->findChild<QWidget*>(name);
        return w != nullptr ? w->pos() : QPoint(-1, -1);
    }
};

TEST_F(InstrumentsFixture, CompassAndMeterFollowCourseAndSpeed) {
    state.CourseDeg = 90;
    state.SpeedKnots = 50;
    window.core().onTimer(TimerId::Compass);
    window.core().onTimer(TimerId::Meter);
    QWidget* view = window.skyView();
    // E at the top of the card, N on its left.
    EXPECT_EQ(at(view, "EastLabel"), QPoint(twipsToPixels(9400), twipsToPixels(2500)));
    EXPECT_EQ(at(view, "NorthLabel"), QPoint(twipsToPixels(8500), twipsToPixels(3400)));
    EXPECT_EQ(label(view, "CompassLabel"), "Compass");
    EXPECT_EQ(label(view, "MaxLabel"), "100");
    EXPECT_EQ(label(view, "SpeedLabel"), "50");
    const QImage img = view->grab().toImage();
    EXPECT_TRUE(colorNear(img, 9500, 500, paletteColor(kCyan))) << "the scale's top";
    EXPECT_TRUE(colorNear(img, 9500, 1000, paletteColor(kYellow))) << "the needle straight up";
    EXPECT_TRUE(colorNear(img, 9200, 3500, paletteColor(kLightRed))) << "the needle's north half";

    window.findChild<QAction*>("mnuHeading")->trigger();
    EXPECT_TRUE(window.timers().enabled(TimerId::Heading));
    EXPECT_FALSE(window.timers().enabled(TimerId::Compass));
    window.core().onTimer(TimerId::Heading);
    EXPECT_FALSE(window.core().compassMode());
    EXPECT_EQ(label(view, "CompassLabel"), "Heading");
    EXPECT_TRUE(colorNear(window.skyView()->drawing(), 10000, 3500, paletteColor(kYellow)))
        << "the arrow points right";

    auto* direction = window.direction();
    window.findChild<QAction*>("mnuDirection")->trigger();
    ASSERT_TRUE(direction->isVisible());
    direction->refresh();
    EXPECT_EQ(label(direction, "CourseLabel"), "90");
    EXPECT_EQ(label(direction, "SpeedLabel"), "50");
}

TEST_F(InstrumentsFixture, WorldMapReadsTheMouseAndPlacesTheMarker) {
    window.findChild<QAction*>("mnuWorldMap")->trigger();
    WorldMapForm* map = window.worldMap();
    ASSERT_TRUE(map->isVisible());
    EXPECT_TRUE(map->mapTimerRunning());
    const QImage picture = map->picture()->grab().toImage();
    ASSERT_EQ(picture.size(), QSize(491, 328));
    // The land lies where the read-out names it: the equator at 20 degrees east crosses
    // Africa, at 150 degrees west the Pacific.
    EXPECT_EQ(picture.pixelColor(twipsToPixels(3765 + 402), twipsToPixels(2505 + 60)),
              QColor(214, 222, 170));
    EXPECT_EQ(picture.pixelColor(twipsToPixels(3765 - 3015), twipsToPixels(2505 + 60)),
              QColor(178, 208, 234));

    QMouseEvent move(QEvent::MouseMove, QPointF(2, 0), map->picture()->mapToGlobal(QPointF(2, 0)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(map->picture(), &move);
    EXPECT_EQ(label(map, "lblLonM"), "Lon : E  174.17911");
    EXPECT_EQ(label(map, "lblLatM"), "Lat  : N   86.37931");

    state.LatitudeText = "2503.5000       N";
    state.LongitudeText = "12130.2500     W";
    map->mapTick();
    const QRect marker = map->marker()->geometry();
    const double x = markerTwipsX(80.5 - 121 / 2.78) / kTwipsPerPixel;
    const double y = markerTwipsY(48.2 - 25 / 2.2) / kTwipsPerPixel;
    EXPECT_NEAR(marker.center().x(), x, 2);
    EXPECT_NEAR(marker.center().y(), y, 2);
    EXPECT_EQ(label(map, "LonLabel"), "Longitude :121*   30.2500 '  W");
    map->hide();
    EXPECT_FALSE(map->mapTimerRunning());
}

TEST_F(InstrumentsFixture, ComparisonDrawsEachSourceInItsHalf) {
    ActivationTracker tracker;
    DoubleMapForm form(window.core(), tracker, nullptr);
    state.CompareText1 = "$GPGSV,1,1,02,05,90,000,40,07,00,090,08*00\r\n";
    form.core().onTimer(TimerId::Double);
    const QImage& img = form.drawing();
    EXPECT_EQ(img.pixelColor(twipsToPixels(2000 - 60), twipsToPixels(2000 + 60)),
              paletteColor(kLightBlue));
    EXPECT_EQ(img.pixelColor(twipsToPixels(3100 - 60), twipsToPixels(2000 + 60)),
              paletteColor(kLightRed));
    EXPECT_EQ(img.pixelColor(twipsToPixels(6000), twipsToPixels(2000 + 60)),
              QColor(Qt::transparent));

    auto* pause = form.findChild<QPushButton*>("cmdPause");
    pause->click();
    EXPECT_EQ(pause->text(), "Start");
    EXPECT_FALSE(form.timers().enabled(TimerId::Double));
    pause->click();
    EXPECT_EQ(pause->text(), "Pause");
    EXPECT_TRUE(form.timers().enabled(TimerId::Double));
}

} // namespace
} // namespace zeph::dashboard
