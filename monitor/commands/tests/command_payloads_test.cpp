// Every command's bytes against the catalogue's tables, one grouped case per message, given as
// zephctl and the dialogs give their fields.

#include "command_test_support.h"

#include "monitor/messages/current_settings_poll.h"
#include "monitor/messages/field_layout.h"
#include "monitor/messages/output_catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <numeric>

namespace zeph::monitor {
namespace {

using testing::buildText;
using testing::FieldTexts;
using testing::hexBytes;

struct Case {
    FieldTexts fields;
    std::string expected; // payload bytes, or the refusal
};

void expectCases(const std::string& command, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        std::string given;
        for (const auto& [f, v] : c.fields) {
            given += " " + f + "=" + v;
        }
        EXPECT_EQ(buildText(command, c.fields), c.expected) << command << given;
    }
}

TEST(CommandPayloads, NavigationInitialization) {
    const std::string pcClock = std::to_string(unixMsFromUtcTime({2002, 9, 6, 0, 0, 0, 0}));
    expectCases(
        "initialize-data-source",
        {
            {{}, "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0C 88"},
            {{{"x", "-1"},
              {"y", "2"},
              {"z", "3"},
              {"clock-offset", "75000"},
              {"week-number", "1182"},
              {"time-of-week", "345600"},
              {"channels", "0"},
              {"reset-mode", "warm-start-init"},
              {"enable-nav-lib-data", "1"}},
             "80 FF FF FF FF 00 00 00 02 00 00 00 03 00 01 24 F8 02 0F 58 00 04 9E 00 93"},
            // factory reset clears both message checks
            {{{"reset-mode", "factory-reset"},
              {"enable-nav-lib-data", "1"},
              {"enable-debug-data", "1"}},
             "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0C 88"},
            {{{"use-current-pc-time", "1"},
              {"pc-clock", pcClock},
              {"reset-mode", "hot-start"},
              {"enable-debug-data", "1"}},
             "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 93 33 14 04 9E 0C A0"},
            {{{"channels", "13"}}, "Number of channels is out of range."},
            {{{"use-current-pc-time", "1"}, {"utc-offset", "60"}}, "UTC offset > 59 seconds."},
            {{{"utc-offset", "60"}}, // not used without the PC time
             "80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0C 88"},
        });
}

TEST(CommandPayloads, PcClockGpsTime) {
    struct TimeCase {
        UtcTime utc;
        unsigned offset;
        uint16_t week;
        uint32_t tow;
    };
    const TimeCase cases[] = {
        {{2002, 9, 6, 0, 0, 0, 0}, 13, 1182, (5 * 86400 + 13) * 100},
        {{2002, 9, 6, 0, 0, 0, 999}, 13, 1182, (5 * 86400 + 13) * 100 + 99},
        {{2002, 9, 7, 23, 59, 50, 0}, 13, 1183, 300}, // past 604799 into the next week
        {{2002, 9, 7, 23, 59, 46, 0}, 13, 1182, 604799 * 100},
        {{2004, 3, 1, 12, 0, 0, 0}, 0, 1260, (86400 + 12 * 3600) * 100}, // leap year, Monday
        {{1980, 1, 6, 0, 0, 0, 0}, 0, 0, 0},
    };
    for (const TimeCase& c : cases) {
        const auto t = gpsTimeFromPcClock(c.utc, c.offset);
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->week, c.week) << c.utc.year << "-" << c.utc.month << "-" << c.utc.day;
        EXPECT_EQ(t->tow, c.tow) << c.utc.year << "-" << c.utc.month << "-" << c.utc.day;
    }
    EXPECT_FALSE(gpsTimeFromPcClock({2002, 9, 6}, 60).has_value());
    EXPECT_TRUE(gpsTimeFromPcClock({2002, 9, 6}, 59).has_value());

    InitSettings settings;
    settings.usePcTime = true;
    settings.utcOffset = 60;
    const InitMessage refused = navigationInitPayload(settings, {2002, 9, 6});
    EXPECT_EQ(refused.warning, std::optional<std::string>("UTC offset > 59 seconds."));
    EXPECT_EQ(hexBytes(refused.payload).substr(51, 17), "00 00 00 00 00 00"); // TOW, week
    settings.utcOffset = 13;
    settings.resetConfig = 0x93;
    const InitMessage sent = navigationInitPayload(settings, {2002, 9, 6});
    EXPECT_FALSE(sent.warning);
    EXPECT_EQ(hexBytes(sent.payload).substr(51), "02 93 33 14 04 9E 0C 93");
}

TEST(CommandPayloads, SetNmeaMode) {
    expectCases(
        "to-nmea",
        {
            {{}, "81 02 01 01 00 01 01 01 05 01 01 01 00 01 00 01 00 01 00 01 00 01 12 C0"},
            {{{"use-checksums", "0"}, {"gll", "255"}, {"user-10", "7"}, {"baud-rate", "38400"}},
             "81 02 01 00 FF 00 01 00 05 00 01 00 00 00 00 00 00 00 00 00 07 00 96 00"},
            {{{"gga", "256"}}, "Update Rate must be 0 to 255"},
            {{{"baud-rate", "115200"}}, kNmeaBaudRefusal},
        });
    const std::array<uint8_t, 10> rates{1, 0, 1, 5, 1, 0, 0, 0, 0, 0};
    EXPECT_FALSE(nmeaModePayload(rates, true, 115200).has_value());
    EXPECT_EQ(nmeaBaudRefusal(65536), std::optional<std::string>(kNmeaBaudRefusal));
    EXPECT_FALSE(nmeaBaudRefusal(57600));
    EXPECT_EQ(hexBytes(*nmeaModePayload(rates, true, 57600)).substr(66), "E1 00");
}

TEST(CommandPayloads, Polls) {
    EXPECT_EQ(hexBytes(pollPayload(132)), "84 00");
    EXPECT_EQ(hexBytes(pollPayload(144)), "90 00");
    EXPECT_EQ(hexBytes(pollPayload(146)), "92 00");
    EXPECT_EQ(hexBytes(pollPayload(147)), "93 00 00");
    EXPECT_EQ(hexBytes(pollPayload(152)), "98 00");
    EXPECT_EQ(hexBytes(currentSettingsPollPayload(139)), "A8 8B 00 00 00 00");
    EXPECT_EQ(buildText("poll-sw-version", {}), "84 00");
    EXPECT_EQ(buildText("switch-to-user1-protocol", {}), "87 04");
    EXPECT_EQ(buildText("poll-dr-data-validity", {}), "AC 05");
    EXPECT_EQ(buildText("poll-gyro-factory-calibration", {}), "AC 06");
    EXPECT_EQ(buildText("poll-sensors-parameters", {}), "AC 07");
}

TEST(CommandPayloads, AlmanacAndEphemerisWords) {
    std::array<uint16_t, 448> almanac{};
    std::iota(almanac.begin(), almanac.end(), uint16_t{0xFF00});
    const std::vector<uint8_t> a = setAlmanacPayload(almanac);
    ASSERT_EQ(a.size(), 897u);
    EXPECT_EQ(hexBytes({a.begin(), a.begin() + 5}), "82 FF 00 FF 01");
    EXPECT_EQ(hexBytes({a.end() - 2, a.end()}), "00 BF"); // 0xFF00 + 447 wraps to 0x00BF
    std::array<uint16_t, 45> ephemeris{};
    ephemeris[0] = 17;
    ephemeris[44] = 0xABCD;
    const std::vector<uint8_t> e = setEphemerisPayload(ephemeris);
    ASSERT_EQ(e.size(), 91u);
    EXPECT_EQ(hexBytes({e.begin(), e.begin() + 3}), "95 00 11");
    EXPECT_EQ(hexBytes({e.end() - 2, e.end()}), "AB CD");
}

TEST(CommandPayloads, DgpsSource) {
    expectCases("dgps-source", {
                                   {{}, "85 02 00 00 00 00 00"},
                                   {{{"source", "internal-dgps-beacon-receiver"},
                                     {"auto-scan-frequency", "0"},
                                     {"frequency", "300000"},
                                     {"auto-scan-bit-rate", "0"},
                                     {"bit-rate", "200"}},
                                    "85 03 00 04 93 E0 C8"},
                                   {{{"frequency", "283499"}},
                                    "Please enter an integer between 283500 and 325000."},
                               });
}

TEST(CommandPayloads, SerialPorts) {
    expectCases("set-main-serial-port", {{{{"baud-rate", "57600"}}, "86 00 00 E1 00 08 01 00 00"}});
    expectCases(
        "set-dgps-serial-port",
        {
            {{}, "91 00 00 25 80 08 01 00 00"},
            {{{"baud-rate", "115200"}, {"data-bits", "7"}, {"stop-bits", "0"}, {"parity", "EVEN"}},
             "91 00 01 C2 00 07 00 02 00"},
        });
    struct ParityCase {
        const char* text;
        uint8_t code;
    };
    for (const ParityCase& c :
         {ParityCase{"ODD", 1}, {"EVEN", 2}, {"NONE", 0}, {"MARK", 0}, {"odd", 0}}) {
        EXPECT_EQ(serialPortValues("19200", "8", "1", c.text).parity, c.code) << c.text;
    }
    EXPECT_EQ(hexBytes(setSerialPortPayload(134, "38400", "7", "0", "ODD")),
              "86 00 00 96 00 07 00 01 00");
}

TEST(CommandPayloads, NavMode) {
    expectCases(
        "mode-mask",
        {
            {{}, "88 00 01 01 00 01 00 00 00 00 00 1E 0F 01"},
            // dead reckoning off: its timeout goes out as 0 whatever the field holds
            {{{"enable-dr-mode", "0"}, {"dr-timeout", "100"}},
             "88 00 01 01 00 00 00 00 00 00 00 1E 00 01"},
            // "Always" forces the fixed altitude as source
            {{{"altitude-hold-mode", "always"},
              {"fixed-altitude", "-1000"},
              {"degraded-mode", "disable-degraded-mode"},
              {"enable-track-smoothing", "0"}},
             "88 00 01 04 00 01 FC 18 01 01 00 1E 0F 00"},
            {{{"fixed-altitude", "10001"}}, "Please enter an integer between -1000 and 10000."},
            {{{"dr-timeout", "121"}}, "Please enter an integer between 0 and 120."},
        });
}

TEST(CommandPayloads, DopMaskSendsEveryThreshold) {
    expectCases("dop-mask",
                {
                    {{}, "89 04 0A 0A 0A"},
                    {{{"mode", "use-hdop-only"}, {"pdop-threshold", "5"}, {"gdop-threshold", "50"}},
                     "89 02 32 05 0A"},
                    {{{"hdop-threshold", "0"}}, "Please enter an integer between 1 and 50."},
                });
}

TEST(CommandPayloads, DgpsMode) {
    expectCases("dgps-mode",
                {
                    {{}, "8A 00 1E"},
                    {{{"mode", "never-use"}, {"timeout", "250"}}, "8A 02 FA"},
                    {{{"timeout", "251"}}, "Please enter an integer between 1 and 250."},
                    {{{"timeout", "0"}}, "Please enter an integer between 1 and 250."},
                });
}

TEST(CommandPayloads, ElevationMaskTruncatesTowardZero) {
    expectCases("elevation-mask",
                {
                    {{}, "8B 00 32 00 4B"},
                    {{{"navigation", "7.5"}}, "8B 00 32 00 4B"},
                    {{{"navigation", "-20.0"}}, "8B 00 32 FF 38"},
                    {{{"navigation", "-7.55"}}, "8B 00 32 FF B5"}, // -75.5 -> -75
                    {{{"navigation", "12.39"}}, "8B 00 32 00 7B"}, // 123.9 -> 123
                    {{{"navigation", "90.1"}}, "Please enter a number between -20 and 90."},
                    {{{"navigation", "-20.5"}}, "Please enter a number between -20 and 90."},
                });
}

TEST(CommandPayloads, PowerMaskAndStaticNavigation) {
    expectCases("power-mask",
                {
                    {{}, "8C 1C 1C"},
                    {{{"navigation", "50"}}, "8C 1C 32"},
                    {{{"navigation", "19"}}, "Please enter an integer between 20 and 50."},
                });
    expectCases("static-navigation", {{{}, "8F 00"}, {{{"mode", "enable"}}, "8F 01"}});
}

TEST(CommandPayloads, OperatingMode) {
    expectCases(
        "switch-operating-mode",
        {
            {{}, "96 00 00 00 06 00 0A"},
            {{{"mode", "test-1"}, {"number", "32"}, {"period", "60000"}}, "96 1E 51 00 20 EA 60"},
            {{{"mode", "Test &2"}}, "96 1E 52 00 06 00 0A"},
            {{{"number", "33"}}, "Please enter an integer between 1 and 32."},
            {{{"period", "0"}}, "Please enter an integer between 1 and 60000."},
        });
}

TEST(CommandPayloads, LowPowerAndItsAcquisitionParameters) {
    const std::string acq =
        " | A7 00 00 75 30 00 01 D4 C0 00 00 07 08 00 00 00 00 00 00 00 00 00 00 00 00";
    expectCases(
        "set-low-power",
        {
            {{}, "97 00 00 03 E8 00 00 00 C8" + acq},
            {{{"mode", "lullcycle"}, {"on-time", "300"}, {"update-rate", "2"}},
             "97 00 00 00 96 00 00 01 2C" + acq},
            {{{"mode", "lullcycle"}, {"on-time", "300"}, {"update-rate", "3"}},
             "97 00 00 00 64 00 00 01 2C" + acq},
            {{{"mode", "lullcycle"}, {"on-time", "700"}, {"update-rate", "1"}},
             "Lullcycler on-time is invalid with update rate."},
            {{{"mode", "lullcycle"}, {"update-rate", "12"}}, "Select update rate from list"},
            // the dialog's lists opened to any value by a right double-click
            {{{"mode", "lullcycle"}, {"on-time", "700"}, {"update-rate", "1"}, {"list-only", "0"}},
             "97 00 00 02 BC 00 00 02 BC" + acq},
            {{{"mode", "lullcycle"}, {"on-time", "250"}, {"update-rate", "12"}, {"list-only", "0"}},
             "97 00 00 00 14 00 00 00 FA" + acq},
            {{{"mode", "lullcycle"}, {"update-rate", "0"}, {"list-only", "0"}},
             "Please enter an integer between 1 and 4294967295."},
            {{{"mode", "lullcycle"}, {"on-time", "250"}}, "Select on-time from list"},
            {{{"mode", "wake-on-demand"}, {"wake-on-demand-period", "5"}},
             "Wake-On-Demand off time is out of range (10 to 7200-s)."},
            {{{"mode", "wake-on-demand"},
              {"wake-on-demand-period", "7200"},
              {"adaptive-mode", "1"}},
             "97 00 01 00 0A 00 00 00 C8 | A7 00 00 75 30 00 01 D4 C0 00 00 1C 20 00 01 00 00 00 "
             "00 00 00 00 00 00 00"},
        });
}

TEST(CommandPayloads, UartConfiguration) {
    const std::string unset = "FF 05 05 00 00 00 00 00 00 00 00 00";
    expectCases(
        "set-uart-configuration",
        {
            {{{"uart-0-protocol", "zeph-binary"}, {"uart-1-protocol", "NMEA"}},
             "A5 00 00 00 00 00 4B 00 08 01 00 00 00 01 01 01 00 00 12 C0 08 01 00 00 00 " + unset +
                 " " + unset},
            {{{"uart-0-protocol", "no-i-o"},
              {"uart-1-protocol", "no-i-o"},
              {"uart-2-set", "1"},
              {"uart-2-protocol", "ascii"},
              {"uart-2-baud-rate", "115200"},
              {"uart-2-data-bits", "7"},
              {"uart-2-stop-bits", "0"},
              {"uart-2-parity", "odd"}},
             "A5 00 05 05 00 00 00 00 00 00 00 00 00 01 05 05 00 00 00 00 00 00 00 00 00 "
             "02 02 02 00 01 C2 00 07 00 01 00 00 " +
                 unset},
            {{{"uart-0-protocol", "nmea"}, {"uart-1-protocol", "nmea"}},
             "Identical protocols can not be used concurrently on multiple UARTs."},
            {{{"uart-0-set", "0"}, {"uart-1-set", "0"}},
             "At least one command must be enabled to 'Set' for the command to be sent.\n"},
            {{},
             "Protocol, Baud, Data Bits, Stop Bits, and Parity must be Selected for\neach UART "
             "command "
             "that is 'Set' and Protocol selection is Not 'No I/O'.\n\nUart 0:  Invalid\nUart 1:  "
             "Invalid\nUart 2:  Valid\nUart 3:  Valid\n"},
        });
}

TEST(CommandPayloads, MessageRate) {
    expectCases("set-message-rate",
                {
                    {{}, "A6 00 02 00 00 00 00 00"},
                    {{{"message-name", "0xFF Debug Data"}, {"message-update-rate", "1"}},
                     "A6 00 FF 01 00 00 00 00"},
                    {{{"message-name", "0x1B DGPS Status"}, {"send-message-now", "1"}},
                     "A6 01 1B 00 00 00 00 00"},
                    {{{"message-name", "0xFF Debug Data"}, {"message-update-rate", "2"}},
                     "Please enter 0 or 1."},
                    {{{"message-name", "0xFF Debug Data"}, {"send-message-now", "1"}},
                     "Please do not check Send Message Now for Debug Data."},
                    {{{"message-update-rate", "31"}}, "Please enter an integer between 0 and 30."},
                });
}

TEST(CommandPayloads, SbasControl) {
    expectCases("sbas-control", {
                                    {{}, "AA 00 00 00 00 00"}, // auto scan: PRN 0, no bit 3
                                    {{{"prn", "200"}}, "AA 00 00 00 00 00"},
                                    {{{"auto-scan", "0"}, {"prn", "125"}}, "AA 7D 00 08 00 00"},
                                    {{{"auto-scan", "0"},
                                      {"prn", "138"},
                                      {"mode", "integrity"},
                                      {"timeout-source", "user-defined"}},
                                     "AA 8A 01 09 00 00"},
                                    {{{"timeout-source", "user-defined"}}, "AA 00 00 01 00 00"},
                                    {{{"auto-scan", "0"}, {"prn", "119"}},
                                     "Please enter an integer between 120 and 138."},
                                });
}

TEST(CommandPayloads, DrovanaCommands) {
    expectCases("navigation-initialization",
                {
                    {{}, "AC 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
                    {{{"latitude", "37.5"},
                      {"longitude", "-122.25"},
                      {"altitude-from-ellipsoid", "-12.345"},
                      {"true-heading", "359.99"}},
                     "AC 01 16 5A 0B C0 B7 22 21 60 FF FF FB 2E 8C 9F"},
                    {{{"latitude", "90.5"}}, "Please enter a number between -90 and 90."},
                    {{{"true-heading", "360.01"}}, "Please enter a number between 0 and 360."},
                });
    expectCases(
        "navigation-mode-control",
        {{{}, "AC 02 01"}, {{{"mode", "dr-nav-ok-w-current-gps-calibration"}}, "AC 02 04"}});
    expectCases("gyro-factory-calibration", {{{}, "AC 03 00"},
                                             {{{"start-gyro-bias-calibration", "1"},
                                               {"start-gyro-scale-factor-calibration", "1"}},
                                              "AC 03 03"}});
    expectCases("dr-sensors-paramters",
                {
                    {{{"use-default-values", "1"}, {"baseline-speed-scale-factor", "300"}},
                     "AC 04 00 00 00 00 00"},
                    {{{"baseline-speed-scale-factor", "10"},
                      {"baseline-gyro-bias", "2.5"},
                      {"baseline-gyro-scale-factor", "1.5"}},
                     "AC 04 0A 61 A8 05 DC"},
                    {{}, "Please enter an integer between 1 and 255."},
                    {{{"baseline-speed-scale-factor", "10"}, {"baseline-gyro-bias", "3.5"}},
                     "Please enter a number between 2 and 3."},
                    {{{"baseline-speed-scale-factor", "10"}, {"baseline-gyro-bias", "2"}},
                     "Please enter a number between 1 and 65."},
                });
}

// A polled command's settings read back from its MID 43 echo, as received and as the decoder
// leaves them in PolledSettings.
TEST(CommandEcho, RoundTripOfEveryPolledCommand) {
    struct EchoCase {
        const char* command;
        FieldTexts fields;
    };
    const EchoCase cases[] = {
        {"dgps-source",
         {{"source", "3"},
          {"auto-scan-frequency", "0"},
          {"frequency", "290000"},
          {"auto-scan-bit-rate", "0"},
          {"bit-rate", "50"}}},
        {"mode-mask",
         {{"degraded-mode", "3"},
          {"fixed-altitude", "-250"},
          {"altitude-hold-mode", "2"},
          {"dr-timeout", "90"}}},
        {"dop-mask",
         {{"mode", "1"},
          {"gdop-threshold", "7"},
          {"pdop-threshold", "8"},
          {"hdop-threshold", "9"}}},
        {"dgps-mode", {{"mode", "1"}, {"timeout", "200"}}},
        {"elevation-mask", {{"navigation", "-12.5"}}},
        {"power-mask", {{"navigation", "33"}}},
        {"static-navigation", {{"mode", "1"}}},
        {"sbas-control",
         {{"auto-scan", "0"}, {"prn", "125"}, {"mode", "1"}, {"timeout-source", "1"}}},
    };
    ASSERT_EQ(std::size(cases), polledCommandMids().size());
    for (const EchoCase& c : cases) {
        const CommandSpec& spec = *findCommandByName(c.command);
        CommandValues values;
        for (const auto& [field, text] : c.fields) {
            values.set(field, *parseFieldValue(*findField(spec, field), text));
        }
        addDefaults(spec, values);
        const CommandValues given = values;
        ASSERT_FALSE(checkAndDerive(spec, values)) << c.command;
        const std::vector<uint8_t> wire = encodePayload(spec, values);
        const Layout* echo = commandEchoLayout(spec.mid);
        ASSERT_NE(echo, nullptr) << c.command;
        PolledSettings host{};
        std::copy_n(wire.begin(), std::min<size_t>(echo->length, wire.size()), host.begin());
        toHostOrder(host.data(), *echo, DoubleOrder::BigEndian);

        const CommandValues fromWire = readEcho(spec, wire, EchoOrder::Wire);
        const CommandValues fromHost = readEcho(spec, {host.data(), echo->length}, EchoOrder::Host);
        for (const CommandField& f : spec.fields) {
            if (f.use == FieldUse::User) {
                EXPECT_EQ(fromWire.get(f.name), given.get(f.name)) << c.command << " " << f.name;
                EXPECT_EQ(fromHost.get(f.name), given.get(f.name)) << c.command << " " << f.name;
            }
        }
    }
}

TEST(CommandEcho, PolledDialogOpensCurrentOrDefault) {
    const CommandSpec& elevation = *findCommand(139);
    PolledSettings record{};
    record[0] = 139;
    const int16_t navigation = -125; // host order, as the decoder leaves it
    std::memcpy(record.data() + 3, &navigation, sizeof navigation);
    DialogOpening opening = dialogOpening(elevation, &record);
    EXPECT_EQ(opening.caption, "Elevation Mask: Current");
    EXPECT_EQ(opening.values.get("navigation"), -12.5);

    record[0] = 0; // the poll ran out: the record's first byte was cleared
    opening = dialogOpening(elevation, &record);
    EXPECT_EQ(opening.caption, "Elevation Mask: Default");
    EXPECT_EQ(opening.values.get("navigation"), 7.5);
    EXPECT_EQ(dialogOpening(*findCommand(170), nullptr).caption, "SBAS: Default");
}

} // namespace
} // namespace zeph::monitor
