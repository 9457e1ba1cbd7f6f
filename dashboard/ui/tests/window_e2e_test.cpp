// The main window against zephsim in NMEA mode over a pseudo-terminal, in real time: the sky
// plot and the bar row fill with the simulator's satellites, the position and time windows
// with its position and time.

#include "dashboard/ui/trekdash_window.h"

#include "dashboard/ui/double_form.h"
#include "dashboard/ui/double_map_form.h"
#include "dashboard/ui/world_map_form.h"

#include "dashboard/core/serial_nmea_port.h"
#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/ui_support.h"

#include "common/testing/child_process.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

// The help names every part of the program a user meets, and needs no display.
TEST(TrekdashWindowE2e, HelpDescribesTheWholeProgram) {
    const zeph::testing::ProgramResult r =
        zeph::testing::runProgram({zeph::testing::programPath("Trekdash"), "--help"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* topic : {"sky plot",      "signal-strength bars",
                              "speed meter",   "compass",
                              "Heading",       "Display",
                              "Stop",          "Time",
                              "Position",      "Precision",
                              "Status",        "Terminal",
                              "Direction",     "World Map",
                              "Select Nmea",   "Single Source",
                              "Double Source", "comparison window",
                              "nmea.dat",      "ZEPH_COMn",
                              "1..16"}) {
        EXPECT_NE(r.out.find(topic), std::string::npos) << topic;
    }
}

TEST(TrekdashWindowE2e, ShowsTheSimulatorsSatellites) {
    testing::testApp();
    zeph::testing::BackgroundProgram sim(
        {zeph::testing::programPath("zephsim"), "--protocol", "nmea", "--baud", "38400"});
    ASSERT_TRUE(sim.started());
    const std::string device = sim.readLine(5000);
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;

    PortEnvironment env;
    env.getenv = [device](const std::string& name) -> std::optional<std::string> {
        return name == "ZEPH_COM5" ? std::optional<std::string>(device) : std::nullopt;
    };
    testing::TempDir dir;
    const SettingsFile file((dir / "nmea.dat").string());
    SettingsRecord r = SettingsRecord::firstStart();
    r.port = 5;
    SettingsRecord::setText(r.speed, "38400");
    ASSERT_TRUE(file.write(r));

    SerialNmeaPort port1(env);
    SerialNmeaPort port2(env);
    SerialNmeaPort selPort(env);
    testing::RecordingPrompter prompter;
    Trekdash window({port1, port2, selPort}, file, prompter);
    window.load();
    ASSERT_TRUE(port1.isOpen()) << port1.lastError();
    window.show();
    window.activateMain();

    const SkyPlot& plot = window.skyPlot();
    const ReceiverState& s = window.core().state();
    // Checked while the next set is collected: the table is then the one the view last drew.
    QtTimerService& timers = window.timers();
    ASSERT_TRUE(testing::waitUntil(
        [&] {
            return s.SatsInView > 0 && plot.PrevPRN[0] > 0 && timers.enabled(TimerId::RxCheck) &&
                   !timers.enabled(TimerId::Decode) && !timers.enabled(TimerId::Display);
        },
        15000))
        << "satellites in view: " << s.SatsInView;
    EXPECT_TRUE(prompter.messages.empty());

    const QImage img = window.skyView()->grab().toImage();
    int matching = 0;
    for (int row = 0; row < kSatRows; ++row) {
        const SatSymbol& sym = plot.symbols[static_cast<std::size_t>(row)];
        if (!sym.visible) {
            continue;
        }
        const auto& sat = s.SatInfo[static_cast<std::size_t>(row)];
        EXPECT_EQ(sym.caption, std::to_string(sat[kSatPrn]));
        matching += testing::pixelAt(img, sym.at.x - 100, sym.at.y + 50) == paletteColor(sym.color);
    }
    EXPECT_GT(matching, 0) << "symbols may overlap, but not all of them";

    // The first row with a measurable signal has its bar.
    for (int row = 0; row < std::min<int>(s.SatsInView, kSatRows); ++row) {
        const auto& sat = s.SatInfo[static_cast<std::size_t>(row)];
        if (sat[kSatPrn] > 0 && sat[kSatSnr] >= 3) {
            EXPECT_EQ(testing::pixelAt(img, 525 * row + 1025, 5990),
                      paletteColor(plot.SatColor[static_cast<std::size_t>(row)]))
                << "row " << row << " SNR " << sat[kSatSnr];
            break;
        }
    }

    // The View menu's windows show the simulator's position and time.
    window.findChild<QAction*>("mnuTime")->trigger();
    window.findChild<QAction*>("mnuPosition")->trigger();
    auto* latitude = window.findChild<QLabel*>("LatitudeLabel");
    auto* time = window.findChild<QLabel*>("TimeLabel");
    ASSERT_TRUE(latitude != nullptr && time != nullptr);
    ASSERT_TRUE(testing::waitUntil(
        [&] { return !latitude->text().isEmpty() && !time->text().isEmpty(); }, 8000));
    EXPECT_TRUE(latitude->text().startsWith(
        QString::fromStdString("  " + s.LatitudeText.substr(0, 2) + "*  ")))
        << latitude->text().toStdString() << " / " << s.LatitudeText;
    EXPECT_TRUE(QRegularExpression("^\\d\\d\\(h\\) \\d\\d\\(m\\) \\d\\d\\(s\\)$")
                    .match(time->text())
                    .hasMatch())
        << time->text().toStdString();
    // The speed meter and the world map follow the simulator's RMC sentences.
    ASSERT_TRUE(
        testing::waitUntil([&] { return !s.LatitudeText.empty() && s.SpeedKnots > 0; }, 8000));
    EXPECT_TRUE(testing::waitUntil(
        [&] { return window.pointers().meter.SpeedLabel == decimalText(s.SpeedKnots); }, 3000));
    window.findChild<QAction*>("mnuWorldMap")->trigger();
    ASSERT_TRUE(testing::waitUntil([&] { return window.worldMap()->marker()->isVisible(); }, 2000));
    const std::string& label = window.worldMap()->core().LatLabel;
    EXPECT_EQ(label.rfind("Latitude    : " + s.LatitudeText.substr(0, 2), 0), 0u) << label;
    EXPECT_EQ(label.back(), s.LatitudeText.back()) << label;
}

// Two simulated receivers on two pseudo-terminals: the comparison window draws each one in
// its own half, and Close returns to one receiver.
TEST(TrekdashWindowE2e, ComparesTwoSimulators) {
    testing::testApp();
    const std::vector<std::string> args = {zeph::testing::programPath("zephsim"), "--protocol",
                                           "nmea", "--baud", "38400"};
    zeph::testing::BackgroundProgram sim1(args);
    zeph::testing::BackgroundProgram sim2(args);
    ASSERT_TRUE(sim1.started() && sim2.started());
    const std::string device1 = sim1.readLine(5000);
    const std::string device2 = sim2.readLine(5000);
    PortEnvironment env;
    env.getenv = [&](const std::string& name) -> std::optional<std::string> {
        if (name == "ZEPH_COM5") {
            return device1;
        }
        return name == "ZEPH_COM6" ? std::optional<std::string>(device2) : std::nullopt;
    };
    testing::TempDir dir;
    const SettingsFile file((dir / "nmea.dat").string());
    SettingsRecord r = SettingsRecord::firstStart();
    r.port = 5;
    r.source1Port = 5;
    r.source2Port = 6;
    for (auto* speed : {&r.speed, &r.source1Speed, &r.source2Speed}) {
        SettingsRecord::setText(*speed, "38400");
    }
    ASSERT_TRUE(file.write(r));

    SerialNmeaPort port1(env);
    SerialNmeaPort port2(env);
    SerialNmeaPort selPort(env);
    testing::RecordingPrompter prompter;
    Trekdash window({port1, port2, selPort}, file, prompter);
    window.load();
    window.show();
    window.activateMain();
    window.core().state().DoubleRequest = true;
    window.doubleForm()->show(); // as OK in DoubleForm leaves it, then back to the main window
    window.doubleForm()->hide();
    emit window.doubleForm()->finished();
    ASSERT_TRUE(port2.isOpen()) << port2.lastError();
    DoubleMapForm* map = window.doubleMap();
    ASSERT_TRUE(map->isVisible());

    const DoubleMapCore& core = map->core();
    ASSERT_TRUE(testing::waitUntil(
        [&] {
            return core.source(DoubleMapCore::Source::One).satsInView > 0 &&
                   core.source(DoubleMapCore::Source::Two).satsInView > 0;
        },
        20000));
    const QImage img = map->drawing();
    // Each half holds satellite discs in the colours of the placement rule.
    auto discs = [&](int left, int right) {
        int found = 0;
        for (int y = 0; y < twipsToPixels(3300); ++y) {
            for (int x = twipsToPixels(left); x < twipsToPixels(right); ++x) {
                found += img.pixelColor(x, y) == paletteColor(kLightGreen);
            }
        }
        return found;
    };
    EXPECT_GT(discs(200, 4100), 100);
    EXPECT_GT(discs(4150, 9200), 100);
    EXPECT_TRUE(prompter.messages.empty());

    map->findChild<QPushButton*>("CloseComm")->click();
    EXPECT_FALSE(map->isVisible());
    EXPECT_FALSE(port2.isOpen());
    EXPECT_TRUE(port1.isOpen());
    EXPECT_TRUE(window.centralWidget()->isEnabled());
}

} // namespace
} // namespace zeph::dashboard
