// The protocol and line sequences as the steps they take: what is sent, stored and reopened, in
// order. The bytes of each command are the command catalogue's; the sequences against the
// simulated receiver are in the feed's end-to-end tests.

#include "monitor/shell/line_switching.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zeph::monitor {
namespace {

// Every step as one line: "save 38400/8/NONE/1", "close", "open", "134 57600/8/NONE/1",
// "nmea ZUVE100,...", "129 4800", "165 0:19200 255:0 ...", "128", "log ...".
class RecordingControl : public LineControl {
public:
    DataSourceSettings savedLine() const override { return line; }
    ReceiverInitSettings savedInit() const override { return init; }
    void saveLine(const DataSourceSettings& s) override {
        line = s;
        steps.push_back("save " + s.serBaud + "/" + s.serDbit + "/" + s.serPar + "/" + s.serSbit);
    }
    void closeSource() override { steps.emplace_back("close"); }
    bool openSource() override {
        steps.emplace_back("open");
        return opens-- > 0;
    }
    void sendSetSerialPort(uint8_t mid, const LineValues& l) override {
        steps.push_back(std::to_string(mid) + " " + l.baud + "/" + l.dataBits + "/" + l.parity +
                        "/" + l.stopBits);
    }
    void sendNmeaMode(const NmeaModeValues& v) override {
        steps.push_back("129 " + std::to_string(v.baud));
    }
    void sendUartConfiguration(const UartConfigRecord& record) override {
        std::string s = "165";
        for (const UartEntry& e : record) {
            s += " " + std::to_string(e.port) + ":" + std::to_string(e.baud);
        }
        steps.push_back(s);
    }
    void sendInitialisationMessage(const ReceiverInitSettings& i) override {
        steps.push_back("128 " + std::to_string(i.cfgBits));
    }
    void sendNmea(std::string_view body) override { steps.push_back("nmea " + std::string(body)); }
    void writeLog(std::string_view text) override { steps.push_back("log " + std::string(text)); }

    DataSourceSettings line;
    ReceiverInitSettings init;
    std::vector<std::string> steps;
    int opens = 1000; // how many opens succeed
};

using Steps = std::vector<std::string>;

class LineSwitchingTest : public ::testing::Test {
protected:
    RecordingControl control;
    ProgramState state;
    FakeClock clock;
    LineSwitching flows{control, state, clock};
};

TEST_F(LineSwitchingTest, SwitchesBetweenNmeaAndBinary) {
    state.autoDetect = true;
    NmeaModeValues nmea;
    nmea.baud = 4800;
    flows.switchProtocol(kSwitchToNmea, std::nullopt); // cancelled
    EXPECT_TRUE(control.steps.empty());
    flows.switchProtocol(kSwitchToNmea, nmea);
    EXPECT_EQ(control.steps, (Steps{"129 4800", "save 4800/8/NONE/1", "close", "open",
                                    "log Sent MID_SetNMEAMode Message: Enable\n"}));
    EXPECT_FALSE(state.autoDetect);

    control.steps.clear();
    nmea.debugData = true;
    flows.switchProtocol(kSwitchToNmea, nmea);
    EXPECT_EQ(control.steps[4], "nmea ZUVE105,01"); // on the reopened port, before the log line

    control.steps.clear();
    control.line.serDbit = "7";
    control.line.serPar = "ODD";
    control.line.serSbit = "2";
    flows.switchProtocol(kSwitchToBinary, std::nullopt);
    EXPECT_EQ(control.steps,
              (Steps{"nmea ZUVE100,0,38400,8,1,0", "close", "save 38400/8/NONE/1", "open",
                     "log $ZUVE100... sent to switch to Zeph protocol at 38400\n"}));

    control.steps.clear();
    flows.switchProtocol(1, std::nullopt);
    EXPECT_EQ(control.steps, (Steps{"log Illegal NMEA mode operation\n"}));
}

TEST_F(LineSwitchingTest, SynchronisesAtEveryRateTwiceThenStaysAt38400) {
    control.line.serPar = "EVEN";
    flows.synchronise();
    Steps want;
    for (const char* baud : kSyncBauds) {
        want.insert(want.end(), {std::string("save ") + baud + "/8/EVEN/1", "close", "open",
                                 "nmea ZUVE100,0,38400,8,1,0"});
    }
    for (const char* baud : kSyncBauds) {
        want.insert(want.end(), {std::string("save ") + baud + "/8/EVEN/1", "close", "open",
                                 "134 38400/8/EVEN/1"});
    }
    want.insert(want.end(), {"save 38400/8/EVEN/1", "close", "open"});
    EXPECT_EQ(control.steps, want);

    // A port that does not open again ends it.
    control.steps.clear();
    control.opens = 1;
    flows.synchronise();
    EXPECT_EQ(control.steps,
              (Steps{"save 1200/8/EVEN/1", "close", "open", "nmea ZUVE100,0,38400,8,1,0",
                     "save 2400/8/EVEN/1", "close", "open"}));
}

TEST_F(LineSwitchingTest, PortCommandsAndTheMonitorsOwnLine) {
    flows.setMainSerialPort({"115200", "8", "NONE", "1"});
    flows.setDgpsSerialPort({"4800", "7", "ODD", "0"});
    EXPECT_EQ(control.steps, (Steps{"save 115200/8/NONE/1", "134 115200/8/NONE/1", "close", "open",
                                    "145 4800/7/ODD/0"}));

    // MID 165: the monitor follows its UART's new rate; none when the rate is its own, or when
    // that UART's entry carries no rate.
    struct Case {
        uint32_t monitorBaud;
        Steps after165;
    };
    const Case cases[] = {
        {19200, {"close", "save 19200/8/NONE/1", "open"}},
        {115200, {}},
        {0, {}},
    };
    UartConfigRecord entries{};
    entries[0] = {0, 0, 19200, 8, 1, 0};
    for (const Case& c : cases) {
        control.steps.clear();
        control.line.serBaud = "115200";
        flows.configureUarts(entries, c.monitorBaud);
        Steps want{"165 0:19200 255:0 255:0 255:0"};
        want.insert(want.end(), c.after165.begin(), c.after165.end());
        EXPECT_EQ(control.steps, want) << c.monitorBaud;
    }
}

TEST_F(LineSwitchingTest, InitialisationWaitsForTheBaudChangeWhenDevelopmentDataNeedsIt) {
    struct Case {
        int targetClass;
        int cfgBits;
        const char* baud;
        Steps steps;
        bool waits;
    };
    const Case cases[] = {
        {kSw23OrHigher,
         0x90,
         "19200",
         {"save 57600/8/NONE/1", "134 57600/8/NONE/1", "close", "open"},
         true},
        {kSw23OrHigher,
         0xA0,
         "38400",
         {"save 57600/8/NONE/1", "134 57600/8/NONE/1", "close", "open"},
         true},
        {kSw23OrHigher, 0x90, "57600", {"128 144"}, false},
        {kSw23OrHigher, 0x84, "19200", {"128 132"}, false},
        {kSwZephNav, 0x90, "19200", {"128 144"}, false},
        // A factory reset leaves the receiver at 38400.
        {kSw23OrHigher, 0x88, "57600", {"128 136", "save 38400/8/NONE/1", "close", "open"}, false},
        {kSw23OrHigher, 0x88, "38400", {"128 136"}, false},
    };
    for (const Case& c : cases) {
        control.steps.clear();
        state.targetSwClass = c.targetClass;
        state.initAfterAck = false;
        control.init.cfgBits = c.cfgBits;
        control.line.serBaud = c.baud;
        flows.initialise();
        EXPECT_EQ(control.steps, c.steps) << c.cfgBits << " " << c.baud;
        EXPECT_EQ(state.initAfterAck, c.waits) << c.cfgBits << " " << c.baud;
    }
    // The acknowledgement's initialisation ends the wait, and so does any other line command.
    const std::function<void()> enders[] = {
        [&] { flows.sendInitialisation(); },
        [&] { flows.synchronise(); },
        [&] { flows.switchProtocol(kSwitchToBinary, std::nullopt); },
        [&] {
            flows.setMainSerialPort({"9600", "8", "NONE", "1"});
        },
        [&] { flows.configureUarts(UartConfigRecord{}, 0); },
    };
    for (const auto& end : enders) {
        state.initAfterAck = true;
        end();
        EXPECT_FALSE(state.initAfterAck);
    }
}

TEST_F(LineSwitchingTest, PeriodicInitialisationRepeatsAfterEachInterval) {
    const auto ticks = [&](int seconds) {
        int sent = 0;
        for (int i = 0; i < seconds; ++i) {
            clock.advance(std::chrono::seconds(1));
            control.steps.clear();
            flows.secondTick();
            sent += static_cast<int>(control.steps.size());
        }
        return sent;
    };
    EXPECT_EQ(ticks(10), 0); // off
    flows.setPeriodicInitialisation(3);
    EXPECT_EQ(ticks(2), 0);
    EXPECT_EQ(ticks(1), 1);
    EXPECT_EQ(ticks(9), 3);
    flows.setPeriodicInitialisation(0);
    EXPECT_EQ(ticks(10), 0);
}

} // namespace
} // namespace zeph::monitor
