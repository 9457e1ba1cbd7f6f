// The navigation, mask and receiver-mode dialogs: what each opens with (defaults, or the
// receiver's echo), what each click enables, every refusal of Send and the bytes Send gives.

#include "monitor/shell/nav_dialogs.h"

#include "monitor/commands/tests/command_test_support.h"
#include "monitor/messages/output_catalogue.h"
#include "monitor/messages/program_state.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zeph::monitor {
namespace {

using testing::hexBytes;

// What the user does, one step per string: "r:key=code" chooses a radio, "c:key=0|1" sets a
// check box, "l:key=index" picks a list entry, "t:key=text" types a text.
void apply(NavDialog& d, const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
        const size_t eq = step.find('=');
        const std::string key = step.substr(2, eq - 2);
        const std::string value = step.substr(eq + 1);
        switch (step[0]) {
        case 'r':
            d.choose(key, std::stoi(value, nullptr, 0));
            break;
        case 'c':
            d.setChecked(key, value == "1");
            break;
        case 'l':
            d.chooseEntry(key, std::stoi(value));
            break;
        default:
            d.setText(key, value);
            break;
        }
    }
}

// The keys the dialog's controls disable, in layout order, each once.
std::string disabledKeys(const NavDialog& d) {
    std::string out;
    for (const navdialog::Group& g : d.layout().groups) {
        for (const navdialog::Control& c : g.controls) {
            const std::string key = c.enabling();
            if (!d.enabled(key) && (" " + out + " ").find(" " + key + " ") == std::string::npos) {
                out += (out.empty() ? "" : " ") + key;
            }
        }
    }
    return out;
}

// The polled record as the decoder leaves it: wire bytes put in host order.
PolledSettings echoRecord(const std::vector<uint8_t>& wire) {
    PolledSettings record{};
    std::copy(wire.begin(), wire.end(), record.begin());
    toHostOrder(record.data(), *commandEchoLayout(wire[0]), DoubleOrder::BigEndian);
    return record;
}

// What the controls show, as "key=text" for edits and "key=value" for the rest.
std::string shown(const NavDialog& d, const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& key : keys) {
        const bool isEdit = [&] {
            for (const navdialog::Group& g : d.layout().groups) {
                for (const navdialog::Control& c : g.controls) {
                    if (key == c.key && c.kind == navdialog::Kind::Edit) {
                        return true;
                    }
                }
            }
            return false;
        }();
        out += (out.empty() ? "" : " ") + key + "=" +
               (isEdit ? "'" + d.text(key) + "'" : std::to_string(d.value(key)));
    }
    return out;
}

TEST(NavDialog, OpensWithItsDefaults) {
    struct Case {
        uint8_t mid, sid;
        int swClass;
        const char* caption;
        std::vector<std::string> keys;
        const char* values;
    };
    const Case cases[] = {
        {136,
         0,
         kSw23OrHigher,
         "Navigation Moding: Default",
         {"enable-track-smoothing", "altitude-hold-mode", "altitude-source", "fixed-altitude",
          "degraded-mode", "degraded-timeout", "enable-dr-mode", "dr-timeout"},
         "enable-track-smoothing=1 altitude-hold-mode=0 altitude-source=0 fixed-altitude='0' "
         "degraded-mode=1 degraded-timeout='30' enable-dr-mode=1 dr-timeout='15'"},
        {136,
         0,
         kSw20,
         "Navigation Moding: Default",
         {"enable-track-smoothing"},
         "enable-track-smoothing=0"},
        {136,
         0,
         kSwDrovana,
         "Navigation Moding: Default",
         {"enable-track-smoothing"},
         "enable-track-smoothing=0"},
        {137,
         0,
         kSwUnknown,
         "DOP Mask: Default",
         {"mode", "pdop-threshold", "hdop-threshold", "gdop-threshold"},
         "mode=4 pdop-threshold='10' hdop-threshold='10' gdop-threshold='10'"},
        {138, 0, kSwUnknown, "DGPS Mode: Default", {"mode", "timeout"}, "mode=0 timeout='30'"},
        {133,
         0,
         kSwUnknown,
         "DGPS Source: Default",
         {"source", "auto-scan-frequency", "frequency", "auto-scan-bit-rate", "bit-rate"},
         "source=2 auto-scan-frequency=1 frequency='300000' auto-scan-bit-rate=1 bit-rate=100"},
        {170,
         0,
         kSwUnknown,
         "SBAS: Default",
         {"auto-scan", "prn", "mode", "timeout-source"},
         "auto-scan=1 prn='' mode=0 timeout-source=0"},
        {139,
         0,
         kSwUnknown,
         "Elevation Mask: Default",
         {"tracking", "navigation"},
         "tracking='5.0' navigation='7.5'"},
        {140,
         0,
         kSwUnknown,
         "Power Mask: Default",
         {"tracking", "navigation"},
         "tracking='28' navigation='28'"},
        {143, 0, kSwUnknown, "Static Navigation: Default", {"mode"}, "mode=0"},
        {150,
         0,
         kSwUnknown,
         "Operating Mode",
         {"mode", "period", "number"},
         "mode=0 period='10' number='6'"},
        {166,
         0,
         kSwUnknown,
         "Message Rate",
         {"message-name", "message-update-rate", "send-message-now"},
         "message-name=2 message-update-rate='0' send-message-now=0"},
        {172,
         1,
         kSwDrovana,
         "Drovana Navigation Initialization",
         {"latitude", "longitude", "altitude-from-ellipsoid", "true-heading"},
         "latitude='0' longitude='0' altitude-from-ellipsoid='0' true-heading='0'"},
        {172, 2, kSwDrovana, "Drovana Navigation Mode Control", {"mode"}, "mode=1"},
        {172,
         3,
         kSwDrovana,
         "Drovana Gyro Factory Calibration Control",
         {"start-gyro-bias-calibration", "start-gyro-scale-factor-calibration"},
         "start-gyro-bias-calibration=0 start-gyro-scale-factor-calibration=0"},
        {172,
         4,
         kSwDrovana,
         "Drovana DR Sensor's Parameters",
         {"baseline-speed-scale-factor", "baseline-gyro-bias", "baseline-gyro-scale-factor",
          "use-default-values"},
         "baseline-speed-scale-factor='' baseline-gyro-bias='' baseline-gyro-scale-factor='' "
         "use-default-values=0"},
    };
    for (const Case& c : cases) {
        const NavDialog d(c.mid, c.sid, nullptr, c.swClass);
        EXPECT_EQ(d.caption(), c.caption) << int{c.mid};
        EXPECT_FALSE(d.current());
        EXPECT_EQ(shown(d, c.keys), c.values) << int{c.mid} << "/" << int{c.sid};
    }
    // A poll that ran out leaves a cleared record: the same defaults.
    const PolledSettings cleared{};
    EXPECT_EQ(NavDialog(139, 0, &cleared, kSwUnknown).caption(), "Elevation Mask: Default");
    EXPECT_EQ(NavDialog(136, 0, &cleared, kSw20).value("enable-track-smoothing"), 0);
}

TEST(NavDialog, OpensWithTheReceiversEcho) {
    struct Case {
        std::vector<uint8_t> wire; // the command's echo, MID first, as on the wire
        const char* caption;
        std::vector<std::string> keys;
        const char* values;
    };
    const Case cases[] = {
        {{136, 0, 1, 4, 0, 0, 0xFF, 0x06, 1, 1, 0, 60, 0, 0},
         "Navigation Moding: Current",
         {"enable-track-smoothing", "altitude-hold-mode", "altitude-source", "fixed-altitude",
          "degraded-mode", "degraded-timeout", "enable-dr-mode", "dr-timeout"},
         "enable-track-smoothing=0 altitude-hold-mode=1 altitude-source=1 fixed-altitude='-250' "
         "degraded-mode=4 degraded-timeout='60' enable-dr-mode=0 dr-timeout='0'"},
        {{137, 3, 7, 8, 9},
         "DOP Mask: Current",
         {"mode", "pdop-threshold", "hdop-threshold", "gdop-threshold"},
         "mode=3 pdop-threshold='8' hdop-threshold='9' gdop-threshold='7'"},
        {{138, 2, 200}, "DGPS Mode: Current", {"mode", "timeout"}, "mode=2 timeout='200'"},
        {{133, 3, 0x00, 0x04, 0x6C, 0x10, 50},
         "DGPS Source: Current",
         {"source", "auto-scan-frequency", "frequency", "auto-scan-bit-rate", "bit-rate"},
         "source=3 auto-scan-frequency=0 frequency='289808' auto-scan-bit-rate=0 bit-rate=50"},
        {{133, 3, 0, 0, 0, 0, 0},
         "DGPS Source: Current",
         {"auto-scan-frequency", "frequency", "auto-scan-bit-rate", "bit-rate"},
         "auto-scan-frequency=1 frequency='300000' auto-scan-bit-rate=1 bit-rate=100"},
        {{170, 125, 1, 0x09},
         "SBAS: Current",
         {"auto-scan", "prn", "mode", "timeout-source"},
         "auto-scan=0 prn='125' mode=1 timeout-source=1"},
        {{170, 125, 0, 0x00}, "SBAS: Current", {"auto-scan", "prn"}, "auto-scan=1 prn=''"},
        {{139, 0, 50, 0xFF, 0x83},
         "Elevation Mask: Current",
         {"tracking", "navigation"},
         "tracking='5.0' navigation='-12.5'"},
        {{140, 28, 33}, "Power Mask: Current", {"navigation"}, "navigation='33'"},
        {{143, 1}, "Static Navigation: Current", {"mode"}, "mode=1"},
    };
    for (const Case& c : cases) {
        const PolledSettings record = echoRecord(c.wire);
        const NavDialog d(c.wire[0], 0, &record, kSw23OrHigher);
        EXPECT_EQ(d.caption(), c.caption);
        EXPECT_TRUE(d.current());
        EXPECT_EQ(shown(d, c.keys), c.values) << int{c.wire[0]};
    }
}

TEST(NavDialog, EnablingFollowsEveryClick) {
    struct Case {
        uint8_t mid, sid;
        std::vector<std::string> steps;
        const char* disabled;
        const char* values = "";
    };
    const Case cases[] = {
        {136, 0, {}, ""},
        {136, 0, {"r:altitude-hold-mode=1"}, "last-computed-altitude", "altitude-source=1"},
        {136,
         0,
         {"r:altitude-hold-mode=2"},
         "last-computed-altitude altitude-source fixed-altitude"},
        {136, 0, {"r:altitude-hold-mode=1", "r:altitude-hold-mode=0"}, "", "altitude-source=1"},
        {136, 0, {"r:degraded-mode=4"}, "degraded-timeout"},
        {136, 0, {"c:enable-dr-mode=0"}, "dr-timeout"},
        {137, 0, {}, "pdop-threshold hdop-threshold gdop-threshold"},
        {137, 0, {"r:mode=0"}, "gdop-threshold"},
        {137, 0, {"r:mode=1"}, "hdop-threshold gdop-threshold"},
        {137, 0, {"r:mode=2"}, "pdop-threshold gdop-threshold"},
        {137, 0, {"r:mode=3"}, "pdop-threshold hdop-threshold"},
        {138, 0, {"r:mode=2"}, "timeout"},
        {138, 0, {"r:mode=1"}, ""},
        {133, 0, {}, "auto-scan frequency bit-rate"},
        {133, 0, {"r:source=3"}, "frequency bit-rate"},
        {133, 0, {"r:source=3", "c:auto-scan-frequency=0"}, "bit-rate"},
        {133, 0, {"r:source=3", "c:auto-scan-bit-rate=0"}, "frequency"},
        {133,
         0,
         {"c:auto-scan-bit-rate=0", "c:auto-scan-frequency=0", "r:source=1"},
         "auto-scan frequency bit-rate"},
        {170, 0, {}, "prn"},
        {170, 0, {"c:auto-scan=0"}, ""},
        {139, 0, {}, "tracking"},
        {140, 0, {}, "tracking"},
        {150, 0, {}, "period test-3 number"},
        {150, 0, {"r:mode=0x1E51"}, "test-3"},
        {150, 0, {"r:mode=0x1E52", "t:period=99"}, "test-3", "period='99'"},
        {150, 0, {"t:period=99", "r:mode=0x1E52"}, "test-3", "period='10'"},
        {166, 0, {"c:send-message-now=1"}, "message-update-rate"},
        {172,
         4,
         {"c:use-default-values=1"},
         "baseline baseline-speed-scale-factor baseline-gyro-bias baseline-gyro-scale-factor"},
    };
    for (const Case& c : cases) {
        NavDialog d(c.mid, c.sid, nullptr, kSwUnknown);
        apply(d, c.steps);
        std::string steps;
        for (const std::string& s : c.steps) {
            steps += s + " ";
        }
        EXPECT_EQ(disabledKeys(d), c.disabled) << int{c.mid} << " after " << steps;
        if (*c.values != '\0') {
            const std::string expected = c.values;
            const std::string key = expected.substr(0, expected.find('='));
            EXPECT_EQ(shown(d, {key}), expected) << int{c.mid} << " after " << steps;
        }
    }
    // The hidden test mode is there, but never shown.
    const auto& controls = navdialog::findLayout(150)->groups[0].controls;
    EXPECT_EQ(std::count_if(controls.begin(), controls.end(),
                            [](const navdialog::Control& c) { return c.hidden; }),
              1);
}

// Send: the refusal that keeps the dialog open, or the payload.
TEST(NavDialog, SendRefusesOrGivesTheCommand) {
    struct Case {
        uint8_t mid, sid;
        std::vector<std::string> steps;
        const char* result; // the refusal, or the payload in hex
    };
    const Case cases[] = {
        // Mode Mask: fixed altitude, both timeouts; a disabled field is still checked.
        {136, 0, {}, "88 00 01 01 00 01 00 00 00 00 00 1E 0F 01"},
        {136,
         0,
         {"r:altitude-hold-mode=1", "t:fixed-altitude=-1000", "c:enable-dr-mode=0",
          "r:degraded-mode=3", "t:degraded-timeout=120"},
         "88 00 01 03 00 00 FC 18 01 01 00 78 00 01"},
        {136, 0, {"t:fixed-altitude=10001"}, "Please enter an integer between -1000 and 10000."},
        {136, 0, {"t:fixed-altitude=12abc"}, "Please enter an integer."},
        {136, 0, {"t:degraded-timeout=121"}, "Please enter an integer between 0 and 120."},
        {136,
         0,
         {"c:enable-dr-mode=0", "t:dr-timeout=-1"},
         "Please enter an integer between 0 and 120."},
        // DOP Mask sends all three thresholds.
        {137,
         0,
         {"r:mode=2", "t:gdop-threshold=50", "t:pdop-threshold=1", "t:hdop-threshold= 7 "},
         "89 02 32 01 07"},
        {137, 0, {"t:hdop-threshold=0"}, "Please enter an integer between 1 and 50."},
        {137, 0, {"t:gdop-threshold="}, "Please enter an integer."},
        // DGPS Mode reads its timeout itself.
        {138, 0, {"r:mode=1", "t:timeout=250"}, "8A 01 FA"},
        {138, 0, {"t:timeout=12x"}, "8A 00 0C"},
        {138, 0, {"t:timeout=251"}, "Please enter an integer between 1 and 250."},
        {138, 0, {"r:mode=2", "t:timeout=abc"}, "Please enter an integer between 1 and 250."},
        // DGPS Source: auto scan sends 0 for both.
        {133, 0, {}, "85 02 00 00 00 00 00"},
        {133,
         0,
         {"r:source=3", "c:auto-scan-frequency=0", "t:frequency=283500", "c:auto-scan-bit-rate=0",
          "l:bit-rate=2"},
         "85 03 00 04 53 6C C8"},
        {133, 0, {"t:frequency=325001"}, "Please enter an integer between 283500 and 325000."},
        // SBAS: an auto scan sends PRN 0 whatever was typed.
        {170, 0, {"t:prn=200"}, "AA 00 00 00 00 00"},
        {170,
         0,
         {"c:auto-scan=0", "t:prn=125", "r:timeout-source=1", "r:mode=1"},
         "AA 7D 01 09 00 00"},
        {170, 0, {"c:auto-scan=0", "t:prn=119"}, "Please enter an integer between 120 and 138."},
        {170, 0, {"c:auto-scan=0"}, "Please enter an integer between 120 and 138."},
        // Elevation and power masks: the tracking masks as the receiver keeps them.
        {139, 0, {}, "8B 00 32 00 4B"},
        {139, 0, {"t:navigation=-20"}, "8B 00 32 FF 38"},
        {139, 0, {"t:navigation=90.1"}, "Please enter a number between -20 and 90."},
        {139, 0, {"t:navigation=x"}, "Please enter a number."},
        {140, 0, {"t:navigation=50"}, "8C 1C 32"},
        {140, 0, {"t:navigation=19"}, "Please enter an integer between 20 and 50."},
        {143, 0, {"r:mode=1"}, "8F 01"},
        // Operating mode: the period typed before the radio is lost.
        {150, 0, {"t:period=600", "r:mode=0x1E51", "t:number=32"}, "96 1E 51 00 20 00 0A"},
        {150, 0, {"r:mode=0x1E52", "t:period=60000"}, "96 1E 52 00 06 EA 60"},
        {150, 0, {"t:period=0"}, "Please enter an integer between 1 and 60000."},
        {150, 0, {"t:number=33"}, "Please enter an integer between 1 and 32."},
        // Message rate.
        {166, 0, {"l:message-name=8", "t:message-update-rate=30"}, "A6 00 1B 1E 00 00 00 00"},
        {166, 0, {"t:message-update-rate=31"}, "Please enter an integer between 0 and 30."},
        {166, 0, {"l:message-name=13", "t:message-update-rate=1"}, "A6 00 FF 01 00 00 00 00"},
        {166, 0, {"l:message-name=13", "t:message-update-rate=2"}, "Please enter 0 or 1."},
        {166,
         0,
         {"l:message-name=13", "c:send-message-now=1"},
         "Please do not check Send Message Now for Debug Data."},
        {166, 0, {"l:message-name=12", "c:send-message-now=1"}, "A6 01 1F 00 00 00 00 00"},
        // Drovana.
        {172,
         1,
         {"t:latitude=37.5", "t:longitude=-122.25", "t:altitude-from-ellipsoid=-2000",
          "t:true-heading=359.99"},
         "AC 01 16 5A 0B C0 B7 22 21 60 FF FC F2 C0 8C 9F"},
        {172, 1, {"t:latitude=90.5"}, "Please enter a number between -90 and 90."},
        {172, 1, {"t:longitude=-180.1"}, "Please enter a number between -180 and 180."},
        {172,
         1,
         {"t:altitude-from-ellipsoid=10001"},
         "Please enter a number between -2000 and 10000."},
        {172, 1, {"t:true-heading=360.5"}, "Please enter a number between 0 and 360."},
        {172, 2, {"r:mode=4"}, "AC 02 04"},
        {172, 3, {"c:start-gyro-scale-factor-calibration=1"}, "AC 03 02"},
        {172,
         3,
         {"c:start-gyro-bias-calibration=1", "c:start-gyro-scale-factor-calibration=1"},
         "AC 03 03"},
        {172, 4, {"c:use-default-values=1", "t:baseline-gyro-bias=9"}, "AC 04 00 00 00 00 00"},
        {172,
         4,
         {"t:baseline-speed-scale-factor=200.9", "t:baseline-gyro-bias=2.5",
          "t:baseline-gyro-scale-factor=64.5"},
         "AC 04 C8 61 A8 FB F4"},
        {172, 4, {}, "Please enter an integer between 1 and 255."},
        {172,
         4,
         {"t:baseline-speed-scale-factor=1", "t:baseline-gyro-bias=3.01"},
         "Please enter a number between 2 and 3."},
        {172,
         4,
         {"t:baseline-speed-scale-factor=1", "t:baseline-gyro-bias=2"},
         "Please enter a number between 1 and 65."},
    };
    for (const Case& c : cases) {
        NavDialog d(c.mid, c.sid, nullptr, kSwUnknown);
        apply(d, c.steps);
        const std::optional<std::string> refusal = d.send();
        std::string steps;
        for (const std::string& s : c.steps) {
            steps += s + " ";
        }
        EXPECT_EQ(refusal ? *refusal : hexBytes(d.payload()), c.result)
            << int{c.mid} << "/" << int{c.sid} << " after " << steps;
        EXPECT_EQ(refusal.has_value(), d.payload().empty());
    }
}

// Every control of a layout but the labels edits a field of its command or is a text of its own;
// every radio's code is one of its field's entries (but the hidden test mode).
TEST(NavDialog, LayoutsMatchTheirCommands) {
    for (const navdialog::Layout& layout : navdialog::layouts()) {
        const CommandSpec* spec = findCommand(layout.mid, layout.subId);
        ASSERT_NE(spec, nullptr) << int{layout.mid};
        for (const navdialog::Group& g : layout.groups) {
            for (const navdialog::Control& c : g.controls) {
                const CommandField* f = findField(*spec, c.key);
                if (c.kind == navdialog::Kind::Label) {
                    continue; // a label takes the name of what it labels
                }
                const bool ownText =
                    c.kind == navdialog::Kind::Edit && c.entry == navdialog::Entry::Fixed;
                EXPECT_EQ(f != nullptr && f->use == FieldUse::User, !ownText)
                    << int{layout.mid} << " " << c.key;
                if (c.kind == navdialog::Kind::Radio && !c.hidden) {
                    EXPECT_TRUE(std::any_of(f->choices.begin(), f->choices.end(),
                                            [&](const Choice& ch) { return ch.code == c.code; }))
                        << int{layout.mid} << " " << c.key << " " << c.code;
                }
            }
        }
    }
    const auto menu = navdialog::navigationMenu();
    ASSERT_EQ(menu.size(), 15u);
    EXPECT_FALSE(menu[7].drovana);
    EXPECT_TRUE(menu[8].drovana);
    for (const navdialog::MenuItem& item : menu) {
        EXPECT_EQ(navdialog::findLayout(item.mid, item.subId) != nullptr, !item.poll) << item.text;
    }
}

} // namespace
} // namespace zeph::monitor
