// The main window's satellite view, buttons and activation, offscreen, with port objects fed
// from the test.

#include "dashboard/ui/trekdash_window.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/double_form.h"
#include "dashboard/ui/set_form.h"
#include "dashboard/ui/sky_view.h"
#include "dashboard/ui/tests/main_window_fixture.h"
#include "dashboard/ui/tests/ui_support.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

using testing::colorNear;
using testing::pixelAt;

struct WindowFixture : testing::MainWindowFixture {

    void setSatellites(std::initializer_list<std::array<int16_t, 4>> rows) {
        ReceiverState& s = window.core().state();
        s.SatInfo = {};
        std::size_t i = 0;
        for (const auto& row : rows) {
            s.SatInfo[i++] = row;
        }
        s.SatsInView = static_cast<int16_t>(rows.size());
    }
    QImage image() { return window.skyView()->grab().toImage(); }
    QColor background() { return window.skyView()->palette().color(QPalette::Window); }
};

TEST_F(WindowFixture, SymbolsSitWhereTheRulesPlaceThem) {
    setSatellites(
        {{5, 90, 0, 40}, {7, 0, 90, 41}, {9, 0, 0, 42}, {11, 45, 200, 8}, {13, 30, 300, 35}});
    window.core().displayTick();

    const SkyPlot& plot = window.skyPlot();
    EXPECT_EQ(plot.symbols[0].at, (TwipPoint{3000, 2500}));
    EXPECT_EQ(plot.symbols[1].at, (TwipPoint{4850, 2500}));
    EXPECT_EQ(plot.symbols[2].at, (TwipPoint{3000, 650}));
    const QImage img = image();
    // Inside each circle, left of its label.
    for (const std::size_t row : {0u, 1u, 2u, 4u}) {
        const TwipPoint at = plot.symbols[row].at;
        EXPECT_EQ(pixelAt(img, at.x - 100, at.y + 50), paletteColor(kLightGreen)) << "row " << row;
        EXPECT_NE(pixelAt(img, at.x + 260, at.y + 50), paletteColor(kLightGreen)) << "row " << row;
    }
    const TwipPoint weak = plot.symbols[3].at;
    EXPECT_EQ(pixelAt(img, weak.x - 100, weak.y + 50), paletteColor(kLightRed));
    EXPECT_EQ(plot.symbols[3].caption, "11");
    EXPECT_FALSE(plot.symbols[5].visible);
}

TEST_F(WindowFixture, FewerThanFourInViewAreLightBlue) {
    setSatellites({{5, 0, 90, 40}, {7, 0, 0, 41}, {9, 0, 270, 42}});
    window.core().displayTick();
    const QImage img = image();
    for (const std::size_t row : {0u, 1u, 2u}) {
        const TwipPoint at = window.skyPlot().symbols[row].at;
        EXPECT_EQ(pixelAt(img, at.x - 100, at.y + 50), paletteColor(kLightBlue)) << "row " << row;
    }
}

TEST_F(WindowFixture, BarRowFramesNumbersAndCircles) {
    setSatellites({{5, 0, 90, 60}, {0, 0, 0, 30}, {17, 0, 0, 0}, {3, 45, 45, 25}, {8, 10, 10, 30}});
    window.core().displayTick();
    const SkyPlot& plot = window.skyPlot();
    const QColor c0 = paletteColor(plot.SatColor[0]);
    const QColor cyan = paletteColor(kCyan);
    ASSERT_EQ(c0, paletteColor(kLightGreen));
    const QImage img = image();

    // Row 0: SNR 60 fills the whole 500-twip frame and no more.
    EXPECT_EQ(pixelAt(img, 1025, 5550), c0);
    EXPECT_EQ(pixelAt(img, 1025, 5980), c0);
    EXPECT_EQ(pixelAt(img, 1025, 5460), background());
    EXPECT_TRUE(colorNear(img, 899, 5750, cyan)) << "frame";
    EXPECT_TRUE(colorNear(img, 1020 + 125, 6135, c0)) << "PRN circle";
    // Row 3 (X = 1575): SNR 25 gives a 250-twip bar.
    EXPECT_EQ(pixelAt(img, 2600, 5800), paletteColor(plot.SatColor[3]));
    EXPECT_EQ(pixelAt(img, 2600, 5700), background());
    // Row 1 has no PRN: nothing at all; row 2 has SNR 0: a frame and no bar.
    EXPECT_FALSE(colorNear(img, 525 + 899, 5750, cyan));
    EXPECT_EQ(pixelAt(img, 1050 + 1025, 5900), background());
    EXPECT_TRUE(colorNear(img, 1050 + 899, 5750, cyan));

    // The figures are printed in the strips above and below the bars.
    auto inked = [&](int left, int top, int right, int bottom) {
        // Glyphs are smoothed: any clearly darker pixel is ink.
        const int paper = background().lightness();
        for (int y = twipsToPixels(top); y <= twipsToPixels(bottom); ++y) {
            for (int x = twipsToPixels(left); x <= twipsToPixels(right); ++x) {
                if (img.pixelColor(x, y).lightness() < paper - 100) {
                    return true;
                }
            }
        }
        return false;
    };
    EXPECT_TRUE(inked(920, 5280, 1400, 5420)) << "SNR of row 0";
    EXPECT_TRUE(inked(910, 6050, 1140, 6290)) << "PRN of row 0";
    EXPECT_FALSE(inked(525 + 920, 5280, 525 + 1400, 5420)) << "row 1 prints nothing";

    // More than 12 in view: the bar row stays as it was.
    setSatellites({});
    ReceiverState& s = window.core().state();
    for (int16_t i = 0; i < 12; ++i) {
        s.SatInfo[static_cast<std::size_t>(i)] = {static_cast<int16_t>(i + 20), 30, 0, 5};
    }
    s.SatsInView = 13;
    window.core().displayTick();
    EXPECT_EQ(pixelAt(image(), 1025, 5550), c0);
    s.SatsInView = 12;
    window.core().displayTick();
    EXPECT_NE(pixelAt(image(), 1025, 5550), c0) << "SNR 5 is a 50-twip bar";
}

TEST_F(WindowFixture, CentreCrossDrawnByTheTickAndErasedByStop) {
    setSatellites({{5, 0, 90, 40}});
    window.core().displayTick();
    const QColor cyan = paletteColor(kCyan);
    EXPECT_TRUE(colorNear(image(), 3080, 2500, cyan));
    EXPECT_TRUE(colorNear(image(), 3000, 2600, cyan));

    auto* stop = child<QPushButton>("StopComm");
    ASSERT_TRUE(stop->isEnabled());
    stop->click();
    EXPECT_FALSE(colorNear(image(), 3080, 2500, cyan));
    EXPECT_FALSE(colorNear(image(), 3000, 2600, cyan));
    EXPECT_TRUE(window.skyPlot().symbols[0].visible) << "Stop leaves the symbols";
}

TEST_F(WindowFixture, ButtonsAndMenusFollowDisplayAndStop) {
    auto* display = child<QPushButton>("DisplayComm");
    auto* stop = child<QPushButton>("StopComm");
    auto* setMenu = child<QMenu>("mnuSet");
    auto* viewMenu = child<QMenu>("mnuView");
    ASSERT_TRUE(display && stop && setMenu && viewMenu);
    EXPECT_EQ(child<QAction>("mnuSelNmea")->text(), "Select Nmea ");
    EXPECT_EQ(child<QAction>("mnuSingle")->text(), "Single Source");
    EXPECT_EQ(child<QAction>("mnuDouble")->text(), "Double Source");

    EXPECT_TRUE(port1.isOpen());
    EXPECT_FALSE(display->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_FALSE(setMenu->menuAction()->isEnabled());
    EXPECT_TRUE(viewMenu->menuAction()->isEnabled());
    EXPECT_TRUE(window.timers().enabled(TimerId::Nmea));

    stop->click();
    EXPECT_TRUE(display->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(setMenu->menuAction()->isEnabled());
    EXPECT_FALSE(viewMenu->menuAction()->isEnabled());
    EXPECT_FALSE(window.timers().enabled(TimerId::Nmea));
    EXPECT_FALSE(port1.isOpen());

    display->click();
    EXPECT_TRUE(port1.isOpen());
    EXPECT_TRUE(window.timers().enabled(TimerId::RxCheck));
    EXPECT_FALSE(display->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
}

TEST_F(WindowFixture, ActivationRedrawsOnlyWhenComingFromAnotherWindowOfTheProgram) {
    child<QPushButton>("StopComm")->click();
    setSatellites({{5, 0, 90, 40}, {7, 0, 0, 40}});
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activate);
    EXPECT_FALSE(window.timers().enabled(TimerId::Nmea)) << "back from another program";
    EXPECT_FALSE(window.skyPlot().symbols[1].visible);

    // Via a settings window: the activation places the symbols and restarts the timers.
    child<QAction>("mnuSingle")->trigger();
    ASSERT_TRUE(window.setForm()->isVisible());
    child<QPushButton>("CancelComm")->click();
    EXPECT_FALSE(window.setForm()->isVisible());
    EXPECT_TRUE(window.skyPlot().symbols[1].visible);
    EXPECT_EQ(window.skyPlot().symbols[1].at, (TwipPoint{3000, 650}));
    EXPECT_TRUE(window.timers().enabled(TimerId::Nmea));
    EXPECT_TRUE(window.timers().enabled(TimerId::Display));
}

TEST_F(WindowFixture, DoubleSourceClearsTheDrawing) {
    setSatellites({{5, 0, 90, 40}});
    window.core().displayTick();
    ASSERT_EQ(pixelAt(image(), 1025, 5900), paletteColor(window.skyPlot().SatColor[0]));
    child<QPushButton>("StopComm")->click();
    child<QAction>("mnuDouble")->trigger();
    EXPECT_TRUE(window.doubleForm()->isVisible());
    EXPECT_EQ(pixelAt(image(), 1025, 5900), background());
}

} // namespace
} // namespace zeph::dashboard
