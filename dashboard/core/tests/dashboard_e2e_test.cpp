// The core against zephsim in NMEA mode over a pseudo-terminal, in real time: the timer chain
// fills ReceiverState from what the simulator sends, and a command from frmSelNmea changes
// what it sends.

#include "dashboard/core/sel_nmea.h"
#include "dashboard/core/serial_nmea_port.h"
#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/tests/fakes.h"

#include "common/testing/child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace zeph::dashboard {
namespace {

using namespace std::chrono_literals;

constexpr int kCom = 5;

// Port 1 as the core sees it, with a copy of everything read for the checks.
class TeePort : public PortObject {
public:
    explicit TeePort(PortObject& inner) : inner_(inner) {}
    void setPort(int n) override { inner_.setPort(n); }
    void setSettings(const std::string& s) override { inner_.setSettings(s); }
    void open() override { inner_.open(); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::string readAll() override {
        std::string text = inner_.readAll();
        seen += text;
        return text;
    }
    void write(const std::string& t) override { inner_.write(t); }
    std::string seen;

private:
    PortObject& inner_;
};

// COM5 is the simulator's device, as ZEPH_COM5 would make it.
PortEnvironment environmentFor(const std::string& device) {
    PortEnvironment env;
    env.getenv = [device](const std::string& name) -> std::optional<std::string> {
        if (name == "ZEPH_COM" + std::to_string(kCom)) {
            return device;
        }
        return std::nullopt;
    };
    return env;
}

struct SimFixture : ::testing::Test {
    SimFixture()
        : sim({zeph::testing::programPath("zephsim"), "--protocol", "nmea", "--baud", "38400"}),
          device(sim.readLine(5000)),
          dir(std::filesystem::temp_directory_path() / ("dash_e2e_" + std::to_string(::getpid()))),
          env(environmentFor(device)) {
        std::filesystem::create_directories(dir);
        SettingsRecord r = SettingsRecord::firstStart();
        r.port = kCom;
        SettingsRecord::setText(r.speed, "38400");
        file.write(r);
        timers.setClient(&core);
    }
    ~SimFixture() override { std::filesystem::remove_all(dir); }

    // Runs the timers until `done` holds or `limit` has passed; true when it held.
    template <typename Done> bool runUntil(Done done, std::chrono::milliseconds limit) {
        for (auto waited = 0ms; waited < limit; waited += 100ms) {
            timers.runFor(100ms);
            if (done()) {
                return true;
            }
        }
        return false;
    }

    zeph::testing::BackgroundProgram sim;
    std::string device;
    std::filesystem::path dir;
    PortEnvironment env;
    SettingsFile file{(dir / "nmea.dat").string()};
    SystemClock clock;
    ClockTimers timers{clock};
    SerialNmeaPort serial1{env};
    TeePort port1{serial1};
    SerialNmeaPort port2{env};
    testing::RecordingPrompter prompter;
    TrekdashCore core{timers, port1, port2, file, prompter};
    const ReceiverState& s = core.state();
};

TEST_F(SimFixture, FillsReceiverStateWithThePositionAndSatellites) {
    ASSERT_TRUE(sim.started());
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    core.load();
    ASSERT_TRUE(port1.isOpen()) << serial1.lastError();
    core.activate();

    ASSERT_TRUE(runUntil(
        [&] {
            // The cycle empties the buffer between sets, so a sentence may be missed once;
            // each field fills within a few cycles.
            return core.gsvDecoded() && !s.LatitudeText.empty() && !s.PdopText.empty() &&
                   !s.AltitudeText.empty();
        },
        20000ms)) // a loaded machine may take several cycles
        << "read so far: " << port1.seen.substr(0, 400);

    // Position texts as the simulator sent them in an RMC sentence.
    ASSERT_EQ(s.LatitudeText.size(), 17u) << s.LatitudeText;
    const std::string lat = s.LatitudeText.substr(0, 9);
    const std::string lon = s.LongitudeText.substr(0, 10);
    EXPECT_EQ(s.LatitudeText.substr(9), "       " + s.LatitudeText.substr(16));
    EXPECT_NE(port1.seen.find("," + lat + "," + s.LatitudeText.substr(16) + "," + lon + ","),
              std::string::npos)
        << s.LatitudeText << " / " << s.LongitudeText;
    EXPECT_EQ(s.FixStatusText, "Data Valid");
    EXPECT_FALSE(s.UtcTime.empty());
    EXPECT_FALSE(s.PdopText.empty());
    EXPECT_FALSE(s.AltitudeText.empty());

    // Satellites: every row in view has a PRN that the simulator listed in a GSV sentence.
    ASSERT_GT(s.SatsInView, 0);
    ASSERT_LE(s.SatsInView, 12);
    for (int row = 0; row < s.SatsInView; ++row) {
        const auto& sat = s.SatInfo[static_cast<std::size_t>(row)];
        EXPECT_GT(sat[kSatPrn], 0) << "row " << row;
        EXPECT_LE(sat[kSatElevation], 90);
        EXPECT_LT(sat[kSatAzimuth], 360);
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SimFixture, ASelNmeaCommandTurnsGllOn) {
    ASSERT_TRUE(sim.started());
    core.load();
    ASSERT_TRUE(port1.isOpen()) << serial1.lastError();
    core.display();
    ASSERT_TRUE(runUntil([&] { return port1.seen.find("$GPRMC") != std::string::npos; }, 4000ms));
    EXPECT_EQ(port1.seen.find("$GPGLL"), std::string::npos);

    SerialNmeaPort selPort(env);
    SelNmeaCore sel(selPort, prompter);
    sel.load(file.read());
    EXPECT_FALSE(sel.send(NmeaSentence::GLL)) << "the main window still holds the port";
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM is used!");

    core.stop();
    ASSERT_TRUE(sel.send(NmeaSentence::GLL));
    EXPECT_FALSE(selPort.isOpen());
    port1.seen.clear();
    core.display();
    EXPECT_TRUE(runUntil([&] { return port1.seen.find("$GPGLL,") != std::string::npos; }, 4000ms))
        << port1.seen.substr(0, 400);
}

} // namespace
} // namespace zeph::dashboard
