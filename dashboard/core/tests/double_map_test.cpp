#include "dashboard/core/double_map.h"
#include "dashboard/core/pointer_displays.h"
#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/core/tests/replay.h"

#include "common/clock/clock.h"
#include "common/testing/temp_dir.h"
#include "common/text/strprintf.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zeph::dashboard {
namespace {

using namespace std::chrono_literals;
using Sat = std::array<int, 4>; // PRN, elevation, azimuth, SNR

// A GSV set with four satellites a message, each line ended as a receiver ends it.
std::string gsvSet(const std::vector<Sat>& sats) {
    const int total = static_cast<int>((sats.size() + 3) / 4);
    std::string text;
    for (int m = 0; m < total; ++m) {
        std::string line =
            strprintf("$GPGSV,%d,%d,%02d", total, m + 1, static_cast<int>(sats.size()));
        for (std::size_t i = static_cast<std::size_t>(m) * 4;
             i < sats.size() && i < static_cast<std::size_t>(m + 1) * 4; ++i) {
            line +=
                strprintf(",%02d,%02d,%03d,%02d", sats[i][0], sats[i][1], sats[i][2], sats[i][3]);
        }
        text += line + "*00\r\n";
    }
    return text;
}

const std::vector<Sat> kFive = {
    {3, 90, 0, 40}, {7, 0, 90, 41}, {9, 0, 0, 42}, {12, 45, 200, 10}, {15, 30, 300, 35}};

bool isHalfErase(const DrawOp& op) {
    return op.kind == DrawOp::Kind::FilledBox && op.color == kButtonFace && op.y1 == 0 &&
           op.y2 == 4450;
}
bool isSymbolErase(const DrawOp& op) {
    return op.kind == DrawOp::Kind::FilledBox && op.color == kButtonFace && op.x2 - op.x1 == 440;
}
bool onLeft(const DrawOp& op) {
    return std::max(op.x1, op.x2) + op.radius < 4150;
}

struct Comparison : ::testing::Test {
    Comparison() { timers.setClient(&map); }

    // DoubleTimer's ticks in simulated time, with `feed` called every 100 ms.
    template <typename Feed> void run(std::chrono::milliseconds span, Feed feed) {
        for (auto t = 0ms; t < span; t += 100ms) {
            feed(t);
            clock.advance(100ms);
            timers.runDue();
        }
    }

    FakeClock clock;
    ClockTimers timers{clock};
    ReceiverState state;
    std::vector<std::vector<DrawOp>> drawings;
    DoubleMapCore map{timers, state,
                      [this](const std::vector<DrawOp>& ops) { drawings.push_back(ops); }};
};

TEST_F(Comparison, TicksAlternateAndOnlyTheSendingSourceIsDrawn) {
    map.activate();
    ASSERT_EQ(drawings.size(), 1u);
    EXPECT_EQ(drawings[0], DoubleMapCore::frames());
    EXPECT_EQ(drawings[0][0],
              (DrawOp{DrawOp::Kind::Circle, 2000, 2000, 2000, 2000, 1200, kYellow, {}}));
    EXPECT_EQ(drawings[0][3].radius, 600);
    drawings.clear();

    std::vector<DoubleMapCore::Source> due;
    // Source 1 sends a set every second; source 2 is silent.
    run(6000ms, [&](std::chrono::milliseconds t) {
        if (t.count() % 1000 == 0) {
            feedComparison(state.CompareText1, gsvSet(kFive));
        }
        if (t.count() % 1000 == 900) {
            due.push_back(map.due());
        }
    });
    ASSERT_EQ(due.size(), 6u);
    for (std::size_t i = 0; i < due.size(); ++i) {
        EXPECT_EQ(due[i], i % 2 == 0 ? DoubleMapCore::Source::One : DoubleMapCore::Source::Two);
    }
    ASSERT_EQ(drawings.size(), 3u) << "the left plot every other tick, the right one never";
    for (const auto& ops : drawings) {
        EXPECT_TRUE(std::all_of(ops.begin(), ops.end(), onLeft));
    }
    EXPECT_EQ(state.SatsInView, 0) << "the table is scratch space";
    EXPECT_EQ(state.SatInfo, SatTable{});
}

TEST_F(Comparison, PauseStopsBothPlotsAndStartResumesWithTheDueSource) {
    map.activate();
    feedComparison(state.CompareText1, gsvSet(kFive));
    run(1000ms, [](auto) {});
    ASSERT_EQ(map.due(), DoubleMapCore::Source::Two);
    map.pause();
    EXPECT_EQ(map.pauseCaption(), "Start");
    feedComparison(state.CompareText2, gsvSet(kFive));
    const std::size_t before = drawings.size();
    run(5000ms, [](auto) {});
    EXPECT_EQ(drawings.size(), before);
    map.pause();
    EXPECT_EQ(map.pauseCaption(), "Pause");
    run(1000ms, [](auto) {});
    ASSERT_EQ(drawings.size(), before + 1);
    EXPECT_FALSE(std::all_of(drawings.back().begin(), drawings.back().end(), onLeft))
        << "source 2 was due";
}

TEST_F(Comparison, EachSourceKeepsItsOwnSlots) {
    feedComparison(
        state.CompareText2,
        gsvSet({{1, 10, 10, 30}, {2, 20, 20, 30}, {4, 5, 5, 30}, {5, 6, 6, 30}, {6, 7, 7, 30}}));
    map.tick(); // source 1: nothing
    map.tick(); // source 2
    EXPECT_EQ(state.GsvLines2[0].rfind("$GPGSV,2,1,05,01", 0), 0u) << state.GsvLines2[0];
    EXPECT_EQ(state.GsvLines2[1].rfind("$GPGSV,2,2,05,06", 0), 0u);
    for (std::size_t slot = 3; slot < 6; ++slot) {
        EXPECT_TRUE(state.GsvLines2[slot].empty());
    }
    EXPECT_TRUE(state.CompareText2.empty()) << "a complete set empties its source's text";
    EXPECT_TRUE(state.GsvLines[0].empty()) << "the main window's slots are not touched";

    feedComparison(state.CompareText1, gsvSet(kFive));
    map.tick();
    EXPECT_EQ(state.GsvLines2[3].rfind("$GPGSV,2,1,05,03", 0), 0u);
    EXPECT_EQ(state.GsvLines2[0].rfind("$GPGSV,2,1,05,01", 0), 0u);
}

TEST_F(Comparison, DiscColoursAndPrnPlaces) {
    feedComparison(state.CompareText1, gsvSet(kFive));
    const std::vector<DrawOp> ops = map.tick();
    auto find = [&](DrawOp::Kind kind, const std::string& text, int x, int y) {
        return std::find_if(ops.begin(), ops.end(), [&](const DrawOp& op) {
                   return op.kind == kind && op.text == text && op.x1 == x && op.y1 == y;
               }) != ops.end();
    };
    // PRN 3 at the zenith, SNR 40 with five strong satellites: light green, PRN 130 left.
    EXPECT_TRUE(find(DrawOp::Kind::Disc, "", 2000, 2000));
    EXPECT_TRUE(find(DrawOp::Kind::Text, "3", 1870, 1900));
    // PRN 7 on the horizon to the east.
    EXPECT_TRUE(find(DrawOp::Kind::Text, "7", 3100 - 130, 1900));
    // PRN 12, SNR 10: light red, PRN 100 left of the centre.
    const std::optional<TwipPoint> p12 = pointAt(2000, 2000, 200, 778);
    ASSERT_TRUE(p12);
    EXPECT_TRUE(find(DrawOp::Kind::Text, "12", p12->x - 100, p12->y - 100));
    EXPECT_EQ(map.colors()[0], kLightGreen);
    EXPECT_EQ(map.colors()[3], kLightRed);
    const auto disc = std::find_if(ops.begin(), ops.end(), [](const DrawOp& op) {
        return op.kind == DrawOp::Kind::Disc && op.x1 == 2000 && op.y1 == 2000;
    });
    EXPECT_EQ(disc->radius, 120);
    EXPECT_EQ(disc->color, kLightGreen);

    // Bar row of source 1 from x 300: row 1 (SNR 41) is 410 twips high.
    EXPECT_TRUE(
        std::find(ops.begin(), ops.end(),
                  DrawOp{DrawOp::Kind::FilledBox, 600, 3790, 800, 4200, 0, kLightGreen, {}}) !=
        ops.end());
    EXPECT_TRUE(find(DrawOp::Kind::Text, "41", 580, 3500));
    EXPECT_TRUE(find(DrawOp::Kind::Text, "7", 580, 4245));
}

TEST_F(Comparison, TheSameSkyOnBothSidesIsOnlyOverdrawn) {
    std::vector<std::vector<DrawOp>> ticks;
    for (int i = 0; i < 6; ++i) {
        feedComparison(map.due() == DoubleMapCore::Source::One ? state.CompareText1
                                                               : state.CompareText2,
                       gsvSet(kFive));
        ticks.push_back(map.tick());
    }
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_EQ(std::count_if(ticks[i].begin(), ticks[i].end(), isSymbolErase), 0)
            << "tick " << i;
    }
    // Each half is erased while its source's rows are first learnt, then no more.
    EXPECT_EQ(std::count_if(ticks[4].begin(), ticks[4].end(), isHalfErase), 0);
    EXPECT_EQ(std::count_if(ticks[5].begin(), ticks[5].end(), isHalfErase), 0);

    // A satellite that moves is erased where the other source last placed it.
    std::vector<Sat> moved = kFive;
    moved[1][1] = 30;
    feedComparison(state.CompareText1, gsvSet(moved));
    const std::vector<DrawOp> ops = map.tick();
    ASSERT_EQ(std::count_if(ops.begin(), ops.end(), isSymbolErase), 1);
    const DrawOp erase = *std::find_if(ops.begin(), ops.end(), isSymbolErase);
    EXPECT_EQ(erase.x1, 3100 - 220);
    EXPECT_EQ(erase.y1, 2000 - 200);
}

TEST_F(Comparison, RepeatedPrnOrIncompleteSetDrawsNothing) {
    feedComparison(state.CompareText1, gsvSet({{3, 10, 10, 30}, {3, 20, 20, 30}}));
    EXPECT_TRUE(map.tick().empty());
    EXPECT_EQ(map.due(), DoubleMapCore::Source::Two);
    EXPECT_EQ(state.SatsInView, 0);
    EXPECT_EQ(state.SatInfo, SatTable{});

    const std::string whole = gsvSet({{1, 1, 1, 1},
                                      {2, 2, 2, 2},
                                      {4, 4, 4, 4},
                                      {5, 5, 5, 5},
                                      {6, 6, 6, 6},
                                      {8, 8, 8, 8},
                                      {10, 1, 1, 1},
                                      {11, 1, 1, 1},
                                      {13, 1, 1, 1}});
    const std::string twoOfThree = whole.substr(0, whole.rfind("$GPGSV"));
    feedComparison(state.CompareText2, twoOfThree);
    EXPECT_TRUE(map.tick().empty());
    EXPECT_EQ(map.source(DoubleMapCore::Source::Two).collector.counters().GsvCount, 2)
        << "kept for later";
    // The set's last message, two ticks on, completes it.
    map.tick();
    feedComparison(state.CompareText2, whole.substr(twoOfThree.size()));
    EXPECT_FALSE(map.tick().empty());
}

TEST_F(Comparison, LongTextOfTheNextSourceIsDropped) {
    state.CompareText2.assign(kRxBufferLimit + 1, 'x');
    map.tick();
    EXPECT_TRUE(state.CompareText2.empty());
    state.CompareText1.assign(kRxBufferLimit, 'x');
    map.tick();
    EXPECT_EQ(state.CompareText1.size(), kRxBufferLimit);
}

// Both plots keep showing whole, recent sets as the receivers send them: at every start phase
// of their seconds against the timers, at three line rates, in bursts or trickled out. Source 1
// reaches the comparison on NmeaTimer's ticks and source 2 on CompareTimer's.
TEST(ComparisonPace, BothPlotsKeepRefreshingAtEveryPhaseRateAndArrival) {
    constexpr int kSeconds = 60;
    constexpr double kLongestGapMs = 4000; // each source is due every other tick
    for (const int baud : {4800, 9600, 38400}) {
        for (const bool trickle : {false, true}) {
            for (int phase = 0; phase < 1000; phase += 37) {
                const std::string what = strprintf("%d baud, %s, phase %d ms", baud,
                                                   trickle ? "trickling" : "bursts", phase);
                FakeClock clock;
                ClockTimers timers(clock);
                ReceiverState state;
                // Per source: when each drawing came and the first PRN of its bar row.
                std::array<std::vector<std::pair<double, std::vector<int>>>, 2> drawn;
                DoubleMapCore map(timers, state, [&](const std::vector<DrawOp>& ops) {
                    std::vector<int> prns;
                    for (const DrawOp& op : ops) {
                        if (op.kind == DrawOp::Kind::Text && op.y1 == 4245) {
                            prns.push_back(std::stoi(op.text));
                        }
                    }
                    if (!prns.empty()) {
                        drawn[onLeft(ops.back()) ? 0 : 1].emplace_back(testing::sinceEpochMs(clock),
                                                                       prns);
                    }
                });
                timers.setClient(&map);
                std::array<testing::PacedPort, 2> ports{testing::PacedPort(clock, baud),
                                                        testing::PacedPort(clock, baud)};
                std::array<std::vector<double>, 2> setDone;
                for (int k = 0; k < kSeconds; ++k) {
                    const std::vector<std::string> lines = testing::movingSecond(k);
                    for (std::size_t p = 0; p < 2; ++p) {
                        // The second receiver runs 300 ms behind the first.
                        const double start = phase + 1000.0 * k + 300.0 * static_cast<double>(p);
                        for (std::size_t j = 0; j < lines.size(); ++j) {
                            const double spread = trickle ? 1000.0 * static_cast<double>(j) /
                                                                static_cast<double>(lines.size())
                                                          : 0;
                            const double done = ports[p].send(start + spread, lines[j]);
                            if (j + 2 == lines.size()) {
                                setDone[p].push_back(done - 10000.0 / baud); // at its CR
                            }
                        }
                    }
                }
                map.activate();
                for (int t = 100; t <= kSeconds * 1000; t += 100) {
                    clock.advance(std::chrono::milliseconds(100));
                    if (t % kNmeaIntervalMs == 0) {
                        feedComparison(state.CompareText1, ports[0].readAll());
                    }
                    if (t % kCompareIntervalMs == 0) {
                        feedComparison(state.CompareText2, ports[1].readAll());
                    }
                    timers.runDue();
                }

                for (std::size_t p = 0; p < 2; ++p) {
                    double previous = 2000; // the first set may take two ticks to be due
                    for (const auto& [at, prns] : drawn[p]) {
                        EXPECT_LE(at - previous, kLongestGapMs)
                            << what << ", source " << p + 1 << " at " << at;
                        previous = at;
                        // A whole set: second k's eleven PRNs run on from k % 20 + 1.
                        ASSERT_EQ(prns.size(), 11u) << what;
                        for (std::size_t i = 0; i < prns.size(); ++i) {
                            EXPECT_EQ(prns[i], prns[0] + static_cast<int>(i))
                                << what << ", source " << p + 1 << " at " << at;
                        }
                        int newest = -1;
                        while (newest + 1 < kSeconds &&
                               setDone[p][static_cast<std::size_t>(newest + 1)] <= at) {
                            ++newest;
                        }
                        bool recent = false;
                        for (int k = std::max(0, newest - 3); k <= newest; ++k) {
                            recent = recent || prns[0] == k % 20 + 1;
                        }
                        EXPECT_TRUE(recent) << what << ", source " << p + 1 << " at " << at
                                            << ", newest set " << newest;
                    }
                    EXPECT_GE(previous, kSeconds * 1000 - kLongestGapMs - 1000)
                        << what << ", source " << p + 1;
                }
                if (::testing::Test::HasFailure()) {
                    return; // one failing case says enough
                }
            }
        }
    }
}

// The main window hands each source's text to the comparison only while it runs, and its
// Close takes everything back to one receiver.
TEST(ComparisonHandOver, PortsFeedTheWindowUntilClose) {
    testing::FakePort port1;
    testing::FakePort port2;
    testing::RecordingPrompter prompter;
    zeph::testing::TempDir dir;
    const SettingsFile file((dir / "nmea.dat").string());
    FakeClock clock;
    ClockTimers timers(clock);
    TrekdashCore core(timers, port1, port2, file, prompter);
    core.load();
    port1.incoming = "single";
    core.nmeaTick();
    EXPECT_TRUE(core.state().CompareText1.empty());

    core.state().DoubleRequest = true;
    core.activate();
    ASSERT_TRUE(core.controls().doubleMapVisible);
    EXPECT_FALSE(core.controls().mainWindowEnabled);
    port1.incoming = "one";
    port2.incoming = "two";
    core.nmeaTick();
    core.compareTick();
    EXPECT_EQ(core.state().CompareText1, "one");
    EXPECT_EQ(core.state().CompareText2, "two");
    core.displayTick();
    EXPECT_EQ(core.state().CompareText2, "two") << "the main cycle empties only its own buffers";

    core.closeDoubleMap();
    EXPECT_TRUE(core.controls().mainWindowEnabled);
    EXPECT_TRUE(core.state().CompareText1.empty());
    EXPECT_TRUE(core.state().CompareText2.empty());
    core.activate();
    EXPECT_FALSE(port2.isOpen());
    EXPECT_TRUE(port1.isOpen());
    EXPECT_FALSE(core.state().SingleRestoreRequest);
}

} // namespace
} // namespace zeph::dashboard
