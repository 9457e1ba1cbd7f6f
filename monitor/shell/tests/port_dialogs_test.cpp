// The rules of the Serial Port, UART Configuration and NMEA Setup dialogs: what each control
// shows and enables, the checks on Send in their order, and the values Send hands on.

#include "monitor/shell/port_dialogs.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

TEST(SerialPortSetup, MainChangesOnlyTheBaudDgpsAllFour) {
    DataSourceSettings current;
    current.serBaud = "19200";
    const SerialPortSetup main(SerialPortRole::Main, current);
    EXPECT_STREQ(main.caption(), "Set Serial Port Parameters");
    EXPECT_EQ(main.initial(), (LineValues{"19200", "8", "NONE", "1"}));
    EXPECT_EQ(main.lists().dataBits, std::vector<std::string>{"8"});
    EXPECT_EQ(main.lists().baud.size(), 8u);
    EXPECT_TRUE(main.onlyBaudEditable());
    EXPECT_EQ(main.mid(), 134);

    const SerialPortSetup dgps(SerialPortRole::Dgps, current);
    EXPECT_STREQ(dgps.caption(), "Set DGPS Serial Port Parameters");
    EXPECT_EQ(dgps.initial(), (LineValues{"9600", "8", "NONE", "1"}));
    EXPECT_EQ(dgps.lists().dataBits, (std::vector<std::string>{"7", "8"}));
    EXPECT_FALSE(dgps.onlyBaudEditable());
    EXPECT_EQ(dgps.mid(), 145);

    // A rate given on the command line and 7 data bits stay choosable, so Send keeps them.
    current.serBaud = "12345";
    current.serDbit = "7";
    const SerialPortSetup::Lists odd = SerialPortSetup(SerialPortRole::Main, current).lists();
    EXPECT_EQ(odd.baud.back(), "12345");
    EXPECT_EQ(odd.baud.size(), 9u);
    EXPECT_EQ(odd.dataBits, (std::vector<std::string>{"8", "7"}));
    EXPECT_EQ(odd.parity.size(), 3u);
}

LineValues lineOf(const UartChoice& c) {
    return {c.baud, c.dataBits, c.parity, c.stopBits};
}

TEST(UartConfiguration, OpensWithUarts0And1SetAndEveryListEmpty) {
    const UartConfiguration c;
    for (size_t uart = 0; uart < 4; ++uart) {
        EXPECT_EQ(c.group(uart).set, uart < 2);
        EXPECT_EQ(c.group(uart).protocol, "");
        EXPECT_EQ(lineOf(c.group(uart)), LineValues{});
        // No protocol chosen yet: only the protocol list of a set group.
        EXPECT_EQ(c.enabling(uart), (UartGroupEnabling{uart < 2, false, false, false, false}));
    }
    EXPECT_EQ(c.monitorUart(), 0u);
}

TEST(UartConfiguration, AProtocolChoiceFixesWhatItNeeds) {
    const LineValues typed{"57600", "7", "ODD", "0"};
    struct Case {
        const char* protocol;
        LineValues after;
        UartGroupEnabling enabling;
    };
    const Case cases[] = {
        {"Zeph Binary", {"19200", "8", "NONE", "1"}, {true, true, false, false, false}},
        {"NMEA", {"4800", "8", "NONE", "1"}, {true, true, false, false, false}},
        {"RTCM-DGPS", {"9600", "8", "NONE", "1"}, {true, true, false, false, false}},
        {"No I/O", {}, {true, false, false, false, false}},
        {"", {}, {true, false, false, false, false}},
        {"ASCII", typed, {true, true, true, true, true}},
        {"User 3", typed, {true, true, true, true, true}},
    };
    for (const Case& c : cases) {
        UartConfiguration config;
        config.setLine(1, typed);
        config.setProtocol(1, c.protocol);
        EXPECT_EQ(lineOf(config.group(1)), c.after) << c.protocol;
        EXPECT_EQ(config.enabling(1), c.enabling) << c.protocol;
    }
    // A clear "Set" box disables the whole group and leaves its values alone.
    UartConfiguration config;
    config.setProtocol(0, "NMEA");
    config.setSet(0, false);
    EXPECT_EQ(config.enabling(0), UartGroupEnabling{});
    EXPECT_EQ(config.group(0).baud, "4800");
}

// A protocol may serve one set UART only; a clear one keeps its port as it is.
TEST(UartConfiguration, ARecordOfSetAndClearUartsAndTheMonitorsBaud) {
    UartConfiguration config;
    config.setProtocol(0, "NMEA");
    config.setProtocol(1, "User 2");
    config.setLine(1, {"115200", "7", "EVEN", "0"});
    config.setSet(2, true);
    config.setProtocol(2, "NMEA");
    EXPECT_EQ(config.check(),
              "Identical protocols can not be used concurrently on multiple UARTs.");
    config.setSet(2, false);
    ASSERT_EQ(config.check(), std::nullopt);
    const UartConfigRecord r = config.record();
    EXPECT_EQ(r[1].port, 1);
    EXPECT_EQ(r[1].protocol, 6);
    EXPECT_EQ(r[1].parity, 2);
    EXPECT_EQ(r[2].port, 0xFF);
    EXPECT_EQ(r[2].protocol, 5);
    EXPECT_EQ(r[2].baud, 0u);

    const std::pair<size_t, uint32_t> monitorBauds[] = {{0, 4800}, {1, 115200}, {2, 0}, {3, 0}};
    for (const auto& [uart, baud] : monitorBauds) {
        config.setMonitorUart(uart);
        EXPECT_EQ(config.monitorBaud(), baud) << uart;
    }
}

TEST(NmeaSetup, DefaultsAndTheHiddenDebugBox) {
    NmeaSetupEntries e = NmeaSetup::opening();
    EXPECT_EQ(e.rates,
              (std::array<std::string, 10>{"1", "0", "1", "5", "1", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(e.baud, "4800");
    EXPECT_TRUE(e.checksums);
    EXPECT_FALSE(e.debugShown);
    EXPECT_FALSE(e.debugData);

    NmeaSetup::toggleDebugBox(e);
    e.debugData = true;
    e.rates[3] = "9";
    e.baud = "38400";
    e.checksums = false;
    NmeaSetup::setDefaults(e); // the debug box is no default
    EXPECT_EQ(e.rates[3], "5");
    EXPECT_EQ(e.baud, "4800");
    EXPECT_TRUE(e.checksums);
    EXPECT_TRUE(e.debugShown && e.debugData);
    NmeaSetup::toggleDebugBox(e); // hiding clears it
    EXPECT_FALSE(e.debugShown || e.debugData);
}

TEST(NmeaSetup, SendRefusesRatesOutOfRangeAndBaudsThatDoNotFit) {
    const char* rate = "Update Rate must be 0 to 255";
    const char* baud = "The NMEA baud rate must be at most 65535: the switch to NMEA carries it "
                       "in 16 bits.";
    const char* integer = "Please enter an integer between 1 and 65535.";
    struct Case {
        const char* rate;
        const char* baud;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {"255", "57600", std::nullopt},
        {"0", "1200", std::nullopt},
        {"256", "4800", rate},
        {"-1", "4800", rate},
        {"x", "4800", rate},
        {"", "4800", rate},
        {"1", "115200", "Please enter no more than 5 characters."},
        {"256", "115200", "Please enter no more than 5 characters."},
        {"1", "65536", baud},
        {"1", "99999", baud},
        {"1", "", integer},
        {"1", "0", integer},
    };
    for (const Case& c : cases) {
        NmeaSetupEntries e = NmeaSetup::opening();
        e.rates[9] = c.rate;
        e.baud = c.baud;
        EXPECT_EQ(NmeaSetup::check(e), c.message) << c.rate << " " << c.baud;
    }
    NmeaSetupEntries e = NmeaSetup::opening();
    e.rates[6] = "200";
    e.baud = "65535";
    e.checksums = false;
    e.debugData = true;
    EXPECT_EQ(NmeaSetup::values(e),
              (NmeaModeValues{{1, 0, 1, 5, 1, 0, 200, 0, 0, 0}, false, 65535, true}));
}

} // namespace
} // namespace zeph::monitor
