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
    EXPECT_EQ(main.dataBitsEntries(), std::vector<std::string>{"8"});
    EXPECT_TRUE(main.onlyBaudEditable());
    EXPECT_EQ(main.mid(), 134);

    const SerialPortSetup dgps(SerialPortRole::Dgps, current);
    EXPECT_STREQ(dgps.caption(), "Set DGPS Serial Port Parameters");
    EXPECT_EQ(dgps.initial(), (LineValues{"9600", "8", "NONE", "1"}));
    EXPECT_EQ(dgps.dataBitsEntries(), (std::vector<std::string>{"7", "8"}));
    EXPECT_FALSE(dgps.onlyBaudEditable());
    EXPECT_EQ(dgps.mid(), 145);
}

TEST(UartConfiguration, OpensWithUarts0And1SetAndEveryListEmpty) {
    const UartConfiguration c;
    for (size_t uart = 0; uart < 4; ++uart) {
        EXPECT_EQ(c.group(uart), (UartGroup{uart < 2, "", {}})) << uart;
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
        EXPECT_EQ(config.group(1).line, c.after) << c.protocol;
        EXPECT_EQ(config.enabling(1), c.enabling) << c.protocol;
    }
    // A clear "Set" box disables the whole group and leaves its values alone.
    UartConfiguration config;
    config.setProtocol(0, "NMEA");
    config.setSet(0, false);
    EXPECT_EQ(config.enabling(0), UartGroupEnabling{});
    EXPECT_EQ(config.group(0).line.baud, "4800");
}

TEST(UartConfiguration, SendChecksInOrderWithTheirTexts) {
    const std::string mustSelect =
        "Protocol, Baud, Data Bits, Stop Bits, and Parity must be Selected for\neach UART "
        "command that is 'Set' and Protocol selection is Not 'No I/O'.\n\n";
    const std::string identical =
        "Identical protocols can not be used concurrently on multiple UARTs.";
    const std::string noneSet =
        "At least one command must be enabled to 'Set' for the command to be sent.\n";
    struct Uart {
        bool set;
        const char* protocol;
        const char* parity; // "" leaves parity empty for a protocol that keeps what is typed
    };
    struct Case {
        std::array<Uart, 4> uarts;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {{{{true, "NMEA", "NONE"},
           {true, "Zeph Binary", "NONE"},
           {false, "", ""},
           {false, "", ""}}},
         std::nullopt},
        {{{{true, "NMEA", "NONE"}, {false, "", ""}, {true, "NMEA", "NONE"}, {false, "", ""}}},
         identical},
        {{{{true, "NMEA", "NONE"}, {false, "", ""}, {false, "NMEA", "NONE"}, {false, "", ""}}},
         std::nullopt},
        {{{{true, "No I/O", ""}, {true, "No I/O", ""}, {false, "", ""}, {false, "", ""}}},
         std::nullopt},
        {{{{true, "NMEA", "NONE"}, {true, "ASCII", ""}, {false, "", ""}, {false, "", ""}}},
         mustSelect + "Uart 0:  Valid\nUart 1:  Invalid\nUart 2:  Valid\nUart 3:  Valid\n"},
        {{{{true, "", ""}, {true, "", ""}, {false, "", ""}, {false, "", ""}}},
         mustSelect + "Uart 0:  Invalid\nUart 1:  Invalid\nUart 2:  Valid\nUart 3:  Valid\n"},
        {{{{false, "", ""}, {false, "", ""}, {false, "", ""}, {false, "", ""}}}, noneSet},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        UartConfiguration config;
        for (size_t uart = 0; uart < 4; ++uart) {
            const Uart& u = cases[i].uarts[uart];
            config.setSet(uart, true);
            config.setLine(uart, {"38400", "8", u.parity, "1"});
            config.setProtocol(uart, u.protocol);
            config.setSet(uart, u.set);
        }
        EXPECT_EQ(config.check(), cases[i].message) << "case " << i;
    }
}

TEST(UartConfiguration, EntriesFollowTheCommandsRulesAndTheMonitorsBaud) {
    UartConfiguration config;
    config.setProtocol(0, "User 2");
    config.setLine(0, {"115200", "7", "EVEN", "0"});
    config.setProtocol(1, "No I/O");
    config.setSet(2, true);
    config.setProtocol(2, "RTCM-DGPS");
    config.setProtocol(3, "NMEA"); // UART 3 stays clear
    const auto entries = config.entries();
    EXPECT_EQ(entries[0], (UartEntryValues{0, 6, 115200, 7, 0, 2}));
    EXPECT_EQ(entries[1], (UartEntryValues{1, 5, 0, 0, 0, 0}));
    EXPECT_EQ(entries[2], (UartEntryValues{2, 3, 9600, 8, 1, 0}));
    EXPECT_EQ(entries[3], (UartEntryValues{0xFF, 5, 0, 0, 0, 0}));

    const std::pair<size_t, uint32_t> monitorBauds[] = {{0, 115200}, {1, 0}, {2, 9600}, {3, 0}};
    for (const auto& [uart, baud] : monitorBauds) {
        config.setMonitorUart(uart);
        EXPECT_EQ(config.monitorBaud(), baud) << uart;
    }
    EXPECT_EQ(uartProtocolCode("User 4"), 8);
    EXPECT_EQ(uartProtocolCode("Telnet"), 5);
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
    const char* baud = "The NMEA baud rate is sent in 16 bits: enter a rate from 1 to 65535.";
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
        {"1", "", baud},
        {"1", "0", baud},
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
