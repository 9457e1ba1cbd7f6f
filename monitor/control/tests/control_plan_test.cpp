// zephctl's command line and plans: what it takes, what it refuses before touching the port, and
// how it follows the receiver's line.

#include "monitor/control/control_options.h"
#include "monitor/control/control_plan.h"

#include "monitor/commands/almanac_file.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

namespace zeph::monitor {
namespace {

using Kind = ControlStep::Kind;

ControlOptionsResult parse(std::vector<std::string> args,
                           std::map<std::string, std::string> env = {}) {
    return parseControlOptions(args, [env](const std::string& name) -> std::optional<std::string> {
        const auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    });
}

TEST(ControlOptions, PortBaudTimeoutAndRefusals) {
    struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        std::string port; // or the refusal
        uint32_t baud;
    };
    const Case cases[] = {
        {{"--port", "/dev/ttyUSB0@38400", "elevation-mask", "navigation=7.5"},
         {},
         "/dev/ttyUSB0",
         38400},
        {{"--port=COM2", "poll-sw-version"}, {}, "COM2", 57600},
        {{"poll-sw-version"}, {{"ZEPHCTL_PORT", "/dev/ttyS1@4800"}}, "/dev/ttyS1", 4800},
        {{"--port", "/dev/a@9600", "sync"}, {{"ZEPHCTL_PORT", "/dev/b"}}, "/dev/a", 9600},
        {{"sync"}, {}, "no port: give --port PORT[@BAUD] or set ZEPHCTL_PORT", 0},
        {{"sync"},
         {{"ZEPHCTL_PORT", "/dev/x@fast"}},
         "ZEPHCTL_PORT holds PORT[@BAUD], not /dev/x@fast",
         0},
        {{"--port", "/dev/x@0", "sync"}, {}, "--port takes PORT[@BAUD], not /dev/x@0", 0},
        {{"--port", "/dev/x", "--timeout", "0", "sync"},
         {},
         "--timeout takes seconds from 0.1 to 3600, not 0",
         0},
    };
    for (const Case& c : cases) {
        const ControlOptionsResult r = parse(c.args, c.env);
        if (c.baud == 0) {
            EXPECT_EQ(r.error, c.port) << c.args[0];
            EXPECT_FALSE(r.options);
        } else {
            ASSERT_TRUE(r.options) << r.error;
            EXPECT_EQ(r.options->port, c.port);
            EXPECT_EQ(r.options->baud, c.baud);
        }
    }
    const ControlOptionsResult full = parse({"-v", "--timeout", "2.5", "--port", "/dev/x",
                                             "mode-mask", "dr-timeout=3", "enable-dr-mode=0"});
    ASSERT_TRUE(full.options);
    EXPECT_TRUE(full.options->verbose);
    EXPECT_EQ(full.options->timeoutSeconds, 2.5);
    EXPECT_EQ(full.options->command, "mode-mask");
    EXPECT_EQ(full.options->fields, (std::vector<std::string>{"dr-timeout=3", "enable-dr-mode=0"}));
    EXPECT_TRUE(parse({"--list"}).options); // needs no port
    // A largest Send Data text given one byte a word.
    std::vector<std::string> bytes = {"--port", "/dev/x", "send"};
    bytes.insert(bytes.end(), 992, "00");
    const ControlOptionsResult send = parse(bytes);
    ASSERT_TRUE(send.options) << send.error;
    EXPECT_EQ(send.options->fields.size(), 992u);
}

PlanResult plan(const std::string& command, std::vector<std::string> fields, uint32_t baud = 57600,
                const PlanOptions& options = {}) {
    return makePlan(command, fields, ControlLine{baud}, 0, options);
}

TEST(ControlPlan, RefusedBeforeAnythingIsSent) {
    struct Case {
        std::string command;
        std::vector<std::string> fields;
        std::string error;
    };
    const Case cases[] = {
        {"elevation", {}, "unknown command elevation (see --list)"},
        {"set-almanac", {}, "set-almanac takes FILE"},
        {"set-ephemeris", {"file=/nonexistent/e.eph"}, "cannot open /nonexistent/e.eph"},
        {"set-almanac", {"file=/dev/zero"}, "cannot open /dev/zero (not a regular file)"},
        {"poll-dop", {}, "unknown command poll-dop (see --list)"},
        {"elevation-mask",
         {"tracking=3"},
         "unknown field tracking for elevation-mask (see --list)"},
        {"elevation-mask", {"navigation"}, "bad field navigation (give FIELD=VALUE)"},
        {"elevation-mask", {"navigation=high"}, "bad value high for navigation (a number)"},
        {"elevation-mask", {"navigation=90.5"}, "Please enter a number between -20 and 90."},
        {"power-mask", {"navigation=2.5"}, "bad value 2.5 for navigation (a whole number)"},
        {"set-dgps-serial-port",
         {"parity=mark"},
         "bad value mark for parity (one of none, odd, even)"},
        {"to-nmea", {"baud-rate=115200"}, kNmeaBaudRefusal},
        {"sync", {"baud-rate=4800"}, "sync takes no fields"},
        {"poll-elevation-mask", {"navigation=3"}, "poll-elevation-mask takes no fields"},
        {"initialize-data-source",
         {"reset-mode=hot-start", "use-current-pc-time=1", "utc-offset=60"},
         "UTC offset > 59 seconds."},
        {"initialize-data-source",
         {"reset-mode=hot-start", "x=2147483648"},
         "Please enter an integer between -2147483648 and 2147483647."},
        {"initialize-data-source",
         {"channels=8"},
         "initialize-data-source needs reset-mode=MODE (see --list)"},
        {"init", {"channels=8"}, "init needs reset=hot|warm|warm-init|cold|factory (see --help)"},
        {"init",
         {"reset=lukewarm"},
         "bad value lukewarm for reset (one of hot, warm, warm-init, cold, factory)"},
        {"init",
         {"reset=hot", "position-file=/nonexistent/home.pos"},
         "Cannot read the position file /nonexistent/home.pos. The position was not changed."},
    };
    for (const Case& c : cases) {
        const PlanResult r = plan(c.command, c.fields);
        EXPECT_FALSE(r.plan) << c.command;
        EXPECT_EQ(r.error, c.error) << c.command;
    }
}

// The plan in short: F<mid>[+ack], S<body>, R<baud>, T (T! for binary only), A<mid>x<count>.
std::string shape(const PlanResult& r) {
    if (!r.plan) {
        return r.error;
    }
    std::string text;
    for (const ControlStep& s : r.plan->steps) {
        text += text.empty() ? "" : " ";
        switch (s.kind) {
        case Kind::Frame:
            text += "F" + std::to_string(s.bytes[0]) + (s.awaitAck ? "+ack" : "");
            if (s.answerCount > 0) {
                text += " A" + std::to_string(s.answerMid) + "x" + std::to_string(s.answerCount);
            }
            break;
        case Kind::Sentence:
            text += "S" + std::string(s.bytes.begin(), s.bytes.end());
            break;
        case Kind::Reopen:
            text += "R" + std::to_string(s.baud);
            break;
        case Kind::Traffic:
            text += s.binaryOnly ? "T!" : "T";
            break;
        case Kind::SendData:
            text += "D" + std::to_string(static_cast<int>(s.wrapper)) + ":" +
                    std::string(s.bytes.begin(), s.bytes.end()) + (s.awaitAck ? "+ack" : "");
            break;
        }
    }
    return text;
}

TEST(ControlPlan, StepsFollowTheReceiversLine) {
    struct Case {
        std::string command;
        std::vector<std::string> fields;
        uint32_t baud;
        std::string steps;
    };
    const Case cases[] = {
        {"elevation-mask", {}, 57600, "F139+ack"},
        {"set-low-power", {}, 57600, "F151+ack F167+ack"},
        {"low-power", {"mode=lullcycle"}, 57600, "F151+ack F167+ack"},
        {"init", {"reset=factory"}, 57600, "F128+ack R38400 T!"},
        {"init", {"reset=warm", "enable-debug-data=1"}, 19200, "F134+ack R57600 F128+ack"},
        {"poll-sw-version", {}, 57600, "F132+ack A6x1"},
        {"poll-ephemeris", {}, 57600, "F147+ack A15x32"},
        {"poll-elevation-mask", {}, 57600, "F168+ack A43x1"},
        {"set-main-serial-port", {"baud-rate=38400"}, 57600, "F134+ack R38400 T"},
        {"to-nmea", {"enable-debug-data=1"}, 57600, "F129+ack R4800 SZUVE105,01 T"},
        {"to-nmea", {"gga=0", "gsa=0", "gsv=0", "rmc=0"}, 57600, "F129+ack R4800"},
        {"to-binary", {}, 4800, "SZUVE100,0,38400,8,1,0 R38400 T!"},
        // navigation-library data needs 57600 first: MID 128 follows MID 134's acknowledgement
        {"initialize-data-source",
         {"reset-mode=hot-start", "enable-nav-lib-data=1"},
         19200,
         "F134+ack R57600 F128+ack"},
        {"initialize-data-source",
         {"reset-mode=hot-start", "enable-debug-data=1"},
         57600,
         "F128+ack"},
        {"initialize-data-source", {"reset-mode=factory-reset"}, 57600, "F128+ack R38400 T!"},
        {"initialize-data-source", {"reset-mode=factory-reset"}, 38400, "F128+ack"},
        {"set-uart-configuration",
         {"uart-0-protocol=zeph-binary", "uart-1-protocol=nmea"},
         57600,
         "F165+ack R19200 T"},
        {"set-uart-configuration",
         {"uart-0-protocol=zeph-binary", "uart-0-baud-rate=57600", "uart-1-protocol=nmea"},
         57600,
         "F165+ack"},
        {"set-uart-configuration",
         {"uart-0-protocol=nmea", "uart-1-set=0", "zephmon-receiver-uart=uart-1"},
         57600,
         "F165+ack"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shape(plan(c.command, c.fields, c.baud)), c.steps) << c.command;
    }
    const PlanResult main = plan("set-main-serial-port", {}, 19200); // opens on the port's rate
    ASSERT_TRUE(main.plan);
    EXPECT_EQ(main.plan->steps.front().bytes,
              (std::vector<uint8_t>{134, 0, 0, 0x4B, 0x00, 8, 1, 0, 0}));

    std::string sync;
    for (const char* pass : {"SZUVE100,0,38400,8,1,0", "F134"}) {
        for (const char* baud :
             {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}) {
            sync += std::string(sync.empty() ? "" : " ") + "R" + baud + " " + pass;
        }
    }
    EXPECT_EQ(shape(plan("sync", {})), sync + " R38400 T!");
}

// init sends what initialize-data-source sends, its position from a file unless a field is
// given; a file of fewer than four lines is refused.
TEST(ControlPlan, InitTakesItsPositionFromAFile) {
    const std::string dir = ::testing::TempDir();
    const std::string home = dir + "/zephctl-home.pos";
    const std::string half = dir + "/zephctl-half.pos";
    std::ofstream(home) << "-2694685\n-4293642\n3857878\n75000\n";
    std::ofstream(half) << "-2694685\n-4293642\n";
    const auto bytes = [](const std::string& command, std::vector<std::string> fields) {
        const PlanResult r = plan(command, fields);
        return r.plan ? r.plan->steps.back().bytes : std::vector<uint8_t>{};
    };
    const std::vector<uint8_t> init =
        bytes("init", {"position-file=" + home, "reset=warm-init", "z=7", "pc-time=0"});
    EXPECT_EQ(init, bytes("initialize-data-source",
                          {"x=-2694685", "y=-4293642", "z=7", "clock-offset=75000",
                           "reset-mode=warm-start-init"}));
    ASSERT_EQ(init.size(), 25u);
    EXPECT_EQ(init[24], 0x83);
    EXPECT_EQ(plan("init", {"reset=hot", "position-file=" + half}).error,
              "The position file " + half +
                  " holds fewer than four lines (X, Y, Z and clock offset). The position was "
                  "not changed.");
    std::remove(home.c_str());
    std::remove(half.c_str());
}

// Collections saved to a file, files sent back, and Send Data's text in its wrapper.
TEST(ControlPlan, CollectionsFilesAndSendData) {
    zeph::testing::TempDir dir;
    std::string twenty = "//\n//\n//\n//\n//\n";
    for (int n = 1; n <= 20; ++n) {
        twenty += std::to_string(n);
        for (int k = 1; k < 45; ++k) {
            twenty += ", 7";
        }
        twenty += "\n";
    }
    std::string cmd = dir.path("poll.cmd");
    std::ofstream(cmd) << "84\n00\n";
    std::ofstream(dir.path("twenty.eph")) << twenty;
    struct Case {
        std::string command;
        std::vector<std::string> fields;
        PlanOptions options;
        std::string steps; // or the refusal
    };
    const Case cases[] = {
        {"almanac", {}, {.save = "a.alm"}, "F146+ack A14x32"},
        {"ephemeris", {}, {.save = "e.eph"}, "F147+ack A15x32"},
        {"almanac", {}, {}, "almanac takes --save FILE"},
        {"ephemeris",
         {},
         {.save = dir.path("no/e.eph")},
         "Cannot open ephemeris file! (" + dir.path("no/e.eph") + ")"},
        {"ephemeris", {"x"}, {.save = "e.eph"}, "ephemeris takes --save FILE"},
        {"poll-almanac", {}, {.save = "a.alm"}, "--save goes with almanac or ephemeris"},
        {"set-ephemeris", {dir.path("twenty.eph")}, {}, ""}, // below
        {"send", {"84", "00"}, {}, "D0:84 00+ack"},
        {"send", {}, {.file = cmd}, "D0:8400+ack"},
        {"send", {"ZUVE105,01"}, {.wrapper = "nmea"}, "D1:ZUVE105,01"},
        {"send", {"A0 A2"}, {.wrapper = "none"}, "D2:A0 A2"},
        {"send", {"0x84"}, {}, "Command String Contains Invalid Characters"},
        {"send", {" "}, {.wrapper = "none"}, "Command String Is Empty"},
        {"send", {"84"}, {.wrapper = "hex"}, "--wrapper takes zeph, nmea or none, not hex"},
        {"send", {}, {}, "send takes TEXT or --file FILE"},
        {"send", {"84"}, {.file = cmd}, "send takes TEXT or --file FILE, not both"},
        {"send",
         {},
         {.file = dir.path("none.cmd")},
         "Cannot Open Command File! (" + dir.path("none.cmd") + ")"},
        {"elevation-mask", {}, {.wrapper = "nmea"}, "--wrapper goes with send"},
    };
    for (const Case& c : cases) {
        const PlanResult r = plan(c.command, c.fields, 57600, c.options);
        if (c.command == "set-ephemeris") { // twenty frames, then the format error
            ASSERT_TRUE(r.plan) << r.error;
            EXPECT_EQ(r.plan->steps.size(), 20u);
            EXPECT_EQ(r.plan->finalError, kEphemerisFormatError);
            continue;
        }
        EXPECT_EQ(shape(r), c.steps) << c.command;
    }
    const PlanResult saved = plan("almanac", {}, 57600, {.save = "a.alm"});
    EXPECT_TRUE(saved.plan->steps[0].quiet);
    EXPECT_EQ(saved.plan->save, Collection::Almanac);
}

TEST(ControlPlan, ListNamesEveryCommandWithItsFields) {
    const std::string list = commandListText();
    for (const char* line : {"elevation-mask  MID 139 MID_SetElevMask\n",
                             "    navigation=7.5                       deg, -20 to 90\n",
                             "set-low-power  MID 151 MID_LowPower, then MID 167 MID_LPAcqParams\n",
                             "    maximum-off-time=30000", "dr-sensors-paramters  MID 172 SID 4",
                             "poll-sbas-control  MID 168 MID_POLL_CMD_PARAM for MID 170",
                             "    baud-rate=(the port's rate)", "sync\n", "to-binary\n"}) {
        EXPECT_NE(list.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(list.find("pc-clock"), std::string::npos);
    EXPECT_NE(list.find("set-almanac  MID 130 MID_SetAlmanac\n    FILE"), std::string::npos);
}

} // namespace
} // namespace zeph::monitor
