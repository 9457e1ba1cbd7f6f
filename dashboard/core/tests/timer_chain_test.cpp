#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/core/tests/replay.h"

#include "common/testing/temp_dir.h"
#include "common/text/strprintf.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::dashboard {
namespace {

using namespace std::chrono_literals;
using testing::FakePort;
using testing::RecordingPrompter;

std::string line(const std::string& sentence) {
    return sentence + "\r\n";
}

const std::string kRmc = line("$GPRMC,123519.000,A,2446.1234,N,12100.5678,E,2.1,123.5,230394,,*11");
const std::string kGga = line("$GPGGA,123519.000,2446.1234,N,12100.5678,E,1,08,1.4,35.0,M,,M,,*00");
const std::string kGsa = line("$GPGSA,A,3,02,05,07,09,13,16,21,24,,,,,2.1,1.4,1.6*3F");
const std::string kGsvSet =
    line("$GPGSV,2,1,05,02,45,040,39,05,63,110,42,07,80,200,46,09,87,300,47*79") +
    line("$GPGSV,2,2,05,13,77,015,45*7C");

enum class Phase { Stopped, Collecting, Decoding, Showing, Mixed };

struct ChainFixture : ::testing::Test {
    ChainFixture() : file(dir.path("nmea.dat")), core(timers, port1, port2, file, prompter) {
        timers.setClient(&core);
        core.load();
        core.display();
    }

    // One second of receiver output, delivered at the start of each simulated second.
    void runSeconds(int seconds, const std::string& burst) {
        for (int i = 0; i < seconds; ++i) {
            port1.incoming += burst;
            timers.runFor(1000ms);
        }
    }

    Phase phase() const {
        const int on = timers.enabled(TimerId::RxCheck) + timers.enabled(TimerId::Decode) +
                       timers.enabled(TimerId::Display);
        if (on == 0) {
            return Phase::Stopped;
        }
        if (on > 1) {
            return Phase::Mixed;
        }
        return timers.enabled(TimerId::RxCheck)  ? Phase::Collecting
               : timers.enabled(TimerId::Decode) ? Phase::Decoding
                                                 : Phase::Showing;
    }

    zeph::testing::TempDir dir;
    SettingsFile file;
    FakeClock clock;
    ClockTimers timers{clock};
    FakePort port1;
    FakePort port2;
    RecordingPrompter prompter;
    TrekdashCore core;
    const ReceiverState& s = core.state();
};

TEST_F(ChainFixture, RmcGsaGgaStayEmptyUntilTheFirstGsvSet) {
    runSeconds(5, kGga + kGsa + kRmc);
    EXPECT_FALSE(core.gsvDecoded());
    EXPECT_EQ(s.UtcTime, "");
    EXPECT_EQ(s.PdopText, "");
    EXPECT_EQ(s.AltitudeText, "");
    EXPECT_TRUE(s.NewDataFlag);

    runSeconds(3, kGga + kGsa + kGsvSet + kRmc);
    EXPECT_TRUE(core.gsvDecoded());
    EXPECT_EQ(s.SatsInView, 5);
    EXPECT_EQ(s.SatInfo[4][0], 13);
    EXPECT_EQ(s.UtcTime, "123519.000");
    EXPECT_EQ(s.LatitudeText, "2446.1234       N");
    EXPECT_EQ(s.PdopText, "2.1");
    EXPECT_EQ(s.VdopText, "1.6");
    EXPECT_EQ(s.AltitudeText, "35.0");
    EXPECT_EQ(s.FixQuality, 1);
}

TEST_F(ChainFixture, TheCycleRunsCollectDecodeShowCollectWithItsIntervals) {
    port1.incoming = kGsvSet;
    std::vector<std::pair<int, Phase>> changes;
    Phase last = phase();
    changes.emplace_back(0, last);
    for (int ms = 1; ms <= 4000; ++ms) {
        timers.runFor(1ms);
        if (phase() != last) {
            last = phase();
            changes.emplace_back(ms, last);
        }
    }
    // The set read at 500 ms is complete at the RxCheck tick of 1000 ms; decode 250 ms later;
    // the view 1000 ms after that; collection resumes at once.
    const std::vector<std::pair<int, Phase>> expected = {{0, Phase::Collecting},
                                                         {1000, Phase::Decoding},
                                                         {1250, Phase::Showing},
                                                         {2250, Phase::Collecting}};
    EXPECT_EQ(changes, expected);
    EXPECT_TRUE(core.blinkFlag());
}

TEST_F(ChainFixture, ALongerSetShowsItsFirstTwelveSatellites) {
    std::string four;
    for (int m = 1; m <= 4; ++m) {
        std::string sats;
        for (int i = 0; i < 4; ++i) {
            const int prn = (m - 1) * 4 + i + 1;
            sats += "," + std::to_string(prn) + ",10,20," + std::to_string(30 + prn);
        }
        four += line("$GPGSV,4," + std::to_string(m) + ",16" + sats + "*00");
    }
    runSeconds(3, four + kRmc);
    ASSERT_TRUE(core.gsvDecoded());
    EXPECT_EQ(s.SatsInView, 12);
    EXPECT_EQ(s.SatInfo[11], (std::array<int16_t, 4>{12, 10, 20, 42}));
    EXPECT_EQ(s.UtcTime, "123519.000");
}

TEST_F(ChainFixture, AFirstStartLeavesItsDefaultsInNmeaDat) {
    EXPECT_EQ(file.read(), SettingsRecord::firstStart());
    EXPECT_TRUE(std::filesystem::exists(file.path()));

    SettingsRecord mine = SettingsRecord::firstStart();
    mine.port = 7;
    ASSERT_TRUE(file.write(mine));
    TrekdashCore again(timers, port1, port2, file, prompter);
    again.load();
    EXPECT_EQ(file.read().port, 7) << "a file that is there is only read";
}

TEST_F(ChainFixture, ActivationShowsFirstThenCollects) {
    const bool blink = core.blinkFlag();
    core.activate();
    timers.runFor(1ms);
    EXPECT_NE(core.blinkFlag(), blink) << "the display tick comes first";
    EXPECT_EQ(phase(), Phase::Collecting);
    EXPECT_TRUE(timers.enabled(TimerId::Nmea));
    EXPECT_TRUE(core.controls().viewMenuEnabled);
}

TEST_F(ChainFixture, StopHaltsEverythingAndKeepsTheState) {
    runSeconds(3, kGsvSet + kRmc);
    ASSERT_TRUE(core.gsvDecoded());
    core.stop();
    for (const TimerId id : {TimerId::Nmea, TimerId::RxCheck, TimerId::Decode, TimerId::Display,
                             TimerId::Meter, TimerId::Compass, TimerId::Heading}) {
        EXPECT_FALSE(timers.enabled(id));
    }
    EXPECT_FALSE(port1.isOpen());
    EXPECT_TRUE(core.controls().displayEnabled);
    EXPECT_FALSE(core.controls().stopEnabled);
    EXPECT_EQ(s.SatsInView, 5) << "Stop does not clear ReceiverState";
    port1.incoming = line("$GPRMC,999999.000,A,1,N,2,E,0.0,0.0,010101,,*00");
    timers.runFor(5000ms);
    EXPECT_EQ(s.UtcTime, "123519.000");

    core.display();
    EXPECT_TRUE(port1.isOpen());
    EXPECT_EQ(phase(), Phase::Collecting);
}

TEST_F(ChainFixture, TwoReceiverRequestPausesTheDecoders) {
    core.setGsvDecoded(true);
    core.state().DoubleRequest = true;
    core.state().RxBuffer = kRmc;
    core.nmeaTick();
    EXPECT_EQ(s.UtcTime, "");
    core.state().DoubleRequest = false;
    core.nmeaTick();
    EXPECT_EQ(s.UtcTime, "123519.000");
}

TEST_F(ChainFixture, InputOfTheDecodingTickIsKeptForTheNextTick) {
    core.setGsvDecoded(true);
    core.state().RxBuffer = kGga + kRmc;
    port1.incoming = "$GPGSV,1,1,01,05,63";
    core.nmeaTick();
    EXPECT_EQ(s.UtcTime, "123519.000");
    EXPECT_EQ(s.RxBuffer, "$GPGSV,1,1,01,05,63") << "only the text the decoders saw is consumed";
    EXPECT_EQ(s.RxLog, kGga + kRmc);
}

TEST_F(ChainFixture, RxBufferOverFiveThousandIsEmptiedOnlyWhenAGsvSentenceIsSeen) {
    const std::string gsvPart = line("$GPGSV,3,1,11,02,45,040,39*79");
    core.state().RxBuffer = gsvPart + std::string(5000 - gsvPart.size(), 'x');
    core.rxCheckTick();
    EXPECT_EQ(s.RxBuffer.size(), 5000u) << "5000 characters are allowed";
    core.state().RxBuffer += "x";
    core.rxCheckTick();
    EXPECT_EQ(s.RxBuffer, "");

    core.state().RxBuffer = std::string(6000, 'x');
    core.rxCheckTick();
    EXPECT_EQ(s.RxBuffer.size(), 6000u) << "no GSV sentence: the tick ends at once";
}

TEST_F(ChainFixture, LogAndBufferAreEmptiedWhenTogetherTheyReachTenThousand) {
    port1.close();
    core.state().RxLog = std::string(6000, 'l');
    core.state().RxBuffer = std::string(3999, 'b');
    core.nmeaTick();
    EXPECT_EQ(s.RxLog.size(), 9999u);
    EXPECT_EQ(s.RxBuffer.size(), 3999u);

    core.state().RxLog = std::string(6000, 'l');
    core.state().RxBuffer = std::string(4000, 'b');
    core.nmeaTick();
    EXPECT_EQ(s.RxLog, "");
    EXPECT_EQ(s.RxBuffer, "");
}

// The satellite view as the receiver sends it, at every start phase of the receiver's second
// against the timers, at three line rates, with each second sent in one burst or trickled out
// sentence by sentence over the second.
TEST(TimerChainPace, TheSkyViewKeepsRefreshingAtEveryPhaseRateAndArrival) {
    constexpr int kSeconds = 60;
    constexpr double kLongestGapMs = 3250; // one RxCheck period more than the fastest cycle
    for (const int baud : {4800, 9600, 38400}) {
        for (const bool trickle : {false, true}) {
            for (int phase = 0; phase < 1000; phase += 37) {
                const std::string what = strprintf("%d baud, %s, phase %d ms", baud,
                                                   trickle ? "trickling" : "bursts", phase);
                zeph::testing::TempDir dir;
                const SettingsFile file(dir.path("nmea.dat"));
                FakeClock clock;
                ClockTimers timers(clock);
                testing::PacedPort port1(clock, baud);
                FakePort port2;
                RecordingPrompter prompter;
                testing::ShownLog log(clock);
                TrekdashCore core(timers, port1, port2, file, prompter, &log);
                log.state = &core.state();
                timers.setClient(&core);
                // When each second's set has fully arrived. A burst is the lines one after the
                // other from the second's start; trickled lines are spread over the second.
                std::vector<double> setDone;
                for (int k = 0; k < kSeconds; ++k) {
                    const std::vector<std::string> lines = testing::movingSecond(k);
                    const double start = phase + 1000.0 * k;
                    for (std::size_t j = 0; j < lines.size(); ++j) {
                        const double spread = trickle ? 1000.0 * static_cast<double>(j) /
                                                            static_cast<double>(lines.size())
                                                      : 0;
                        const double done = port1.send(start + spread, lines[j]);
                        if (j + 2 == lines.size()) {
                            setDone.push_back(done); // the set's last line is before RMC
                        }
                    }
                }
                core.load();
                core.activate();
                timers.runFor(std::chrono::milliseconds(kSeconds * 1000));

                ASSERT_GE(log.log.size(), 2u) << what;
                double previous = 1000; // the first set may take a second to arrive
                int sets = 0;
                for (const auto& shown : log.log) {
                    const double at = shown.atMs;
                    const SatTable& table = shown.table;
                    if (table == SatTable{}) {
                        continue; // the activation's showing before any set came
                    }
                    ++sets;
                    EXPECT_LE(at - previous, kLongestGapMs) << what << " at " << at;
                    previous = at;
                    // One of the last sets that had arrived by then.
                    int newest = -1;
                    while (newest + 1 < kSeconds &&
                           setDone[static_cast<std::size_t>(newest + 1)] <= at) {
                        ++newest;
                    }
                    bool recent = false;
                    for (int k = std::max(0, newest - 3); k <= newest; ++k) {
                        recent = recent || table == testing::movingSats(k);
                    }
                    EXPECT_TRUE(recent) << what << " at " << at << ", newest set " << newest;
                }
                EXPECT_GE(sets, static_cast<int>(kSeconds * 1000 / kLongestGapMs) - 1) << what;
                EXPECT_GE(previous, kSeconds * 1000 - kLongestGapMs - 1000) << what;
                if (::testing::Test::HasFailure()) {
                    return; // one failing case says enough
                }
            }
        }
    }
}

TEST_F(ChainFixture, NothingIsReadWhilePortOneIsClosed) {
    port1.close();
    core.state().NewDataFlag = false;
    port1.incoming = kRmc;
    core.nmeaTick();
    EXPECT_FALSE(s.NewDataFlag);
    EXPECT_EQ(s.RxBuffer, "");
}

} // namespace
} // namespace zeph::dashboard
