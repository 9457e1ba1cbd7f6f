#include "dashboard/core/sky_plot.h"
#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::dashboard {
namespace {

using namespace std::chrono_literals;

// Rows of PRN, elevation, azimuth, SNR, with SatsInView the number of rows given.
ReceiverState stateWith(std::initializer_list<std::array<int16_t, 4>> rows) {
    ReceiverState s;
    std::size_t i = 0;
    for (const auto& row : rows) {
        s.SatInfo[i++] = row;
    }
    s.SatsInView = static_cast<int16_t>(rows.size());
    return s;
}

TEST(SkyPlacement, ZenithHorizonAndTheProgramsPi) {
    EXPECT_EQ(skyPoint(kSkyRadius, 90, 0), (TwipPoint{3000, 2500}));
    EXPECT_EQ(skyPoint(kSkyRadius, 90, 217), (TwipPoint{3000, 2500}));
    EXPECT_EQ(skyPoint(kSkyRadius, 0, 90), (TwipPoint{4850, 2500}));
    EXPECT_EQ(skyPoint(kSkyRadius, 0, 0), (TwipPoint{3000, 650}));
    EXPECT_EQ(skyPoint(kSkyRadius, 0, 180), (TwipPoint{3000, 4350}));
    EXPECT_EQ(skyPoint(kSkyRadius, 0, 270), (TwipPoint{1150, 2500}));
    // With a finer pi, 3000 + 1849 cos 60 lands on 3924.5 and rounds to the even 3924; the
    // program's pi puts it a hair above the half.
    EXPECT_EQ(skyPoint(kSkyRadius, 2, 30), (TwipPoint{3925, 899}));
    EXPECT_EQ(skyPoint(kSkyRadius, 3, 60), (TwipPoint{4600, 1577}));
    EXPECT_EQ(skyPoint(32000, 0, 90), std::nullopt) << "x beyond 16 bits";
}

TEST(SkyPlacement, SymbolAndLabelSitAroundThePoint) {
    SkyPlot plot;
    const ReceiverState s = stateWith({{23, 0, 90, 40}});
    plot.CheckPosi(s, 0);
    const SatSymbol& sym = plot.symbols[0];
    EXPECT_TRUE(sym.visible);
    EXPECT_EQ(sym.at, (TwipPoint{4850, 2500}));
    EXPECT_EQ(sym.symbolRect(), (TwipRect{4720, 2400, 300, 300}));
    EXPECT_EQ(sym.labelRect(), (TwipRect{4770, 2450, 180, 180}));
    EXPECT_EQ(sym.caption, "23");
    EXPECT_FALSE(plot.symbols[1].visible);
}

TEST(SkyColours, BySnrAndByTheNumberOfUsableSatellites) {
    SkyPlot plot;
    ReceiverState five =
        stateWith({{1, 10, 0, 11}, {2, 20, 0, 30}, {3, 30, 0, 40}, {4, 40, 0, 45}, {5, 50, 0, 10}});
    plot.redrawSymbols(five);
    EXPECT_EQ(plot.SatColor[0], kLightGreen) << "SNR 11 with four usable";
    EXPECT_EQ(plot.SatColor[3], kLightGreen);
    EXPECT_EQ(plot.SatColor[4], kLightRed) << "SNR 10 or less";
    EXPECT_EQ(plot.symbols[4].color, kLightRed);

    const ReceiverState three = stateWith({{1, 10, 0, 40}, {2, 20, 0, 40}, {3, 30, 0, 40}});
    plot.redrawSymbols(three);
    EXPECT_EQ(plot.SatColor[0], kLightBlue);
    EXPECT_EQ(plot.SatColor[2], kLightBlue);

    // Usable means SNR above 3, counted over the rows in view only.
    ReceiverState four = stateWith({{1, 10, 0, 40}, {2, 20, 0, 40}, {3, 30, 0, 40}, {4, 0, 0, 3}});
    four.SatInfo[5] = {9, 0, 0, 40};
    EXPECT_FALSE(UsableCount(four));
    plot.redrawSymbols(four);
    EXPECT_EQ(plot.SatColor[0], kLightBlue);
    four.SatInfo[3][kSatSnr] = 4;
    EXPECT_TRUE(UsableCount(four));
    plot.redrawSymbols(four);
    EXPECT_EQ(plot.SatColor[0], kLightGreen);
    EXPECT_EQ(plot.SatColor[3], kLightRed) << "usable yet weak";
}

TEST(SkyTick, SymbolsMoveOnlyWhenTheRowsChangeTheirPrns) {
    SkyPlot plot;
    ReceiverState s = stateWith({{5, 0, 90, 40}, {7, 0, 0, 40}, {9, 90, 0, 40}});
    ASSERT_TRUE(plot.displayTick(s));
    EXPECT_EQ(plot.symbols[0].at, (TwipPoint{4850, 2500}));
    EXPECT_EQ(plot.PrevPRN[2], 9);
    EXPECT_EQ(s.PrevSatsInView, 3);

    s.SatInfo[0][kSatAzimuth] = 270; // same PRNs: the symbol stays
    ASSERT_TRUE(plot.displayTick(s));
    EXPECT_EQ(plot.symbols[0].at, (TwipPoint{4850, 2500}));

    s.SatInfo[2] = {}; // a PRN change in any row places every row
    s.SatsInView = 2;
    ASSERT_TRUE(plot.displayTick(s));
    EXPECT_EQ(plot.symbols[0].at, (TwipPoint{1150, 2500}));
    EXPECT_FALSE(plot.symbols[2].visible);
    EXPECT_EQ(s.PrevSatsInView, 2);

    // Activation places the rows in view whatever their PRNs.
    s.SatInfo[1][kSatElevation] = 90;
    plot.redrawSymbols(s);
    EXPECT_EQ(plot.symbols[1].at, (TwipPoint{3000, 2500}));
}

TEST(SkyTick, ARepeatedPrnInViewDrawsNothing) {
    SkyPlot plot;
    ReceiverState s = stateWith({{5, 0, 90, 40}, {7, 0, 0, 40}, {5, 90, 0, 40}});
    EXPECT_FALSE(plot.displayTick(s));
    EXPECT_EQ(plot.PrevPRN[0], 0);
    EXPECT_EQ(s.PrevSatsInView, 0);
    EXPECT_FALSE(plot.symbols[0].visible);

    s.SatsInView = 2; // the repeat is outside the rows in view now
    EXPECT_TRUE(plot.displayTick(s));
    EXPECT_TRUE(plot.symbols[1].visible);
}

TEST(SkyBarRow, BarFrameNumbersAndCircleOfEachRowWithAPrn) {
    SkyPlot plot;
    ReceiverState s = stateWith({{5, 0, 90, 60}, {0, 0, 0, 30}, {17, 0, 0, 0}, {3, 45, 45, 25}});
    plot.redrawSymbols(s);
    const auto ops = plot.barRow(s);
    using K = DrawOp::Kind;
    const int16_t c0 = plot.SatColor[0];
    const int16_t c2 = plot.SatColor[2];
    ASSERT_EQ(c2, kLightRed);
    const std::vector<DrawOp> firstTwoBars = {
        {K::FilledBox, 800, 5200, 7300, 6300, 0, kButtonFace, {}},
        // Row 0: SNR 60 is limited to a 500-twip bar but printed as received.
        {K::FilledBox, 900, 5500, 1150, 6000, 0, c0, {}},
        {K::FilledBox, 900, 5275, 1500, 5425, 0, kButtonFace, {}},
        {K::Circle, 899, 5275, 899, 5275, 1, kForeground, {}},
        {K::Text, 899, 5275, 899, 5275, 0, kForeground, "60"},
        {K::Box, 899, 5499, 1151, 6001, 0, kCyan, {}},
        {K::FilledBox, 890, 6020, 1150, 6300, 0, kButtonFace, {}},
        {K::Circle, 900, 6045, 900, 6045, 1, kForeground, {}},
        {K::Text, 900, 6045, 900, 6045, 0, kForeground, "5"},
        {K::Circle, 1020, 6135, 1020, 6135, 125, c0, {}},
        // Row 1 has no PRN and no bar; row 2 (X = 1050) has SNR 0: a bar of height 0.
        {K::FilledBox, 1950, 6000, 2200, 6000, 0, c2, {}},
        {K::FilledBox, 1950, 5275, 2550, 5425, 0, kButtonFace, {}},
        {K::Circle, 1949, 5275, 1949, 5275, 1, kForeground, {}},
        {K::Text, 1949, 5275, 1949, 5275, 0, kForeground, "0"},
        {K::Box, 1949, 5499, 2201, 6001, 0, kCyan, {}},
        {K::FilledBox, 1940, 6020, 2200, 6300, 0, kButtonFace, {}},
        {K::Circle, 1950, 6045, 1950, 6045, 1, kForeground, {}},
        {K::Text, 1950, 6045, 1950, 6045, 0, kForeground, "17"},
        {K::Circle, 2070, 6135, 2070, 6135, 125, c2, {}},
    };
    ASSERT_EQ(ops.size(), firstTwoBars.size() + 9);
    EXPECT_EQ(std::vector<DrawOp>(ops.begin(), ops.begin() + 19), firstTwoBars);
    EXPECT_EQ(ops[19], (DrawOp{K::FilledBox, 2475, 5750, 2725, 6000, 0, plot.SatColor[3], {}}));
}

TEST(SkyBarRow, TheTickDrawsTheCrossAndTheRowUnlessMoreThanTwelveAreInView) {
    SkyPlot plot;
    ReceiverState s = stateWith({{5, 0, 90, 40}});
    auto ops = plot.displayTick(s);
    ASSERT_TRUE(ops);
    ASSERT_GE(ops->size(), 3u);
    EXPECT_EQ((*ops)[0], (DrawOp{DrawOp::Kind::Line, 2900, 2500, 3120, 2500, 0, kCyan, {}}));
    EXPECT_EQ((*ops)[1], (DrawOp{DrawOp::Kind::Line, 3000, 2400, 3000, 2620, 0, kCyan, {}}));
    EXPECT_EQ((*ops)[2].color, kButtonFace) << "the bar row follows";

    for (int16_t i = 1; i < kSatRows; ++i) {
        s.SatInfo[static_cast<std::size_t>(i)] = {static_cast<int16_t>(i + 20), 30, 0, 40};
    }
    s.SatsInView = 13;
    ops = plot.displayTick(s);
    ASSERT_TRUE(ops);
    EXPECT_EQ(*ops, SkyPlot::centreCross(kCyan));
}

// The window's part of the DisplayTimer tick, as the main window wires it.
struct ViewSink : MainWindowSink {
    TrekdashCore* core = nullptr;
    SkyPlot plot;
    int ticks = 0;
    int drawn = 0;
    void drawSatelliteView() override {
        ++ticks;
        drawn += plot.displayTick(core->state()).has_value();
    }
};

TEST(SkyTick, AMixedSetStillHandsOverSoTheNextSetIsShown) {
    FakeClock clock;
    ClockTimers timers(clock);
    testing::FakePort port1;
    testing::FakePort port2;
    testing::RecordingPrompter prompter;
    const SettingsFile file(
        (std::filesystem::temp_directory_path() / "dash_sky_no_such_dir" / "nmea.dat").string());
    ViewSink sink;
    TrekdashCore core(timers, port1, port2, file, prompter, &sink);
    sink.core = &core;
    timers.setClient(&core);
    core.load();
    core.display();

    port1.incoming = "$GPGSV,1,1,03,05,10,100,40,05,20,200,41,07,30,300,42*00\r\n";
    timers.runFor(2300ms);
    ASSERT_EQ(sink.ticks, 1);
    EXPECT_EQ(sink.drawn, 0);
    EXPECT_TRUE(timers.enabled(TimerId::RxCheck));
    EXPECT_FALSE(timers.enabled(TimerId::Display));

    port1.incoming = "$GPGSV,1,1,03,05,10,100,40,06,20,200,41,07,30,300,42*00\r\n";
    timers.runFor(2300ms);
    ASSERT_EQ(sink.ticks, 2);
    EXPECT_EQ(sink.drawn, 1);
    EXPECT_EQ(sink.plot.symbols[1].caption, "6");
    EXPECT_TRUE(sink.plot.symbols[2].visible);
}

} // namespace
} // namespace zeph::dashboard
