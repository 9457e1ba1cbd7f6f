// zephctl against zephsim on a pseudo-terminal: every command acknowledged with its pinned
// bytes, a rejection, a time-out, bad usage, and the line followed through baud and protocol
// changes.

#include "monitor/commands/command_catalogue.h"

#include "common/testing/child_process.h"
#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace zeph::testing {
namespace {

// The frame around a payload given in hex: A0 A2, length, payload, 15-bit sum, B0 B3.
std::string frameHex(const std::string& payloadHex) {
    unsigned sum = 0;
    for (size_t i = 0; i < payloadHex.size(); i += 2) {
        sum += static_cast<unsigned>(std::stoul(payloadHex.substr(i, 2), nullptr, 16));
    }
    char head[32];
    char tail[32];
    std::snprintf(head, sizeof head, "A0A2%04X",
                  static_cast<unsigned>(payloadHex.size() / 2) & 0xFFFF);
    std::snprintf(tail, sizeof tail, "%04XB0B3", sum & 0xFFFF);
    return head + payloadHex + tail;
}

std::vector<std::string> txLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Tx: 0x", 0) == 0) {
            lines.push_back(line.substr(6));
        }
    }
    return lines;
}

class ZephctlE2e : public ::testing::Test {
protected:
    ProgramResult zephctl(const std::string& port, std::vector<std::string> args) {
        std::vector<std::string> argv = {programPath("zephctl"), "--port", port};
        argv.insert(argv.end(), args.begin(), args.end());
        return runProgram(argv);
    }
    // A receiver that has started and printed its device.
    std::string startSim(BackgroundProgram& sim) {
        const std::string port = sim.readLine(5000);
        EXPECT_FALSE(port.empty());
        return port;
    }
};

struct CommandCase {
    std::vector<std::string> args;     // the command and its fields
    std::vector<std::string> payloads; // pinned payload bytes in hex, in sending order
    std::string answer;                // a line the answer must hold, besides the acknowledgement
};

// A file of the kind Poll > Almanac and Poll > Ephemeris save: five comment lines, then
// satellite n's line "first(n), n, n, ..." of `count` values.
std::string wordFile(int count, int (*first)(int)) {
    std::string text = "//\n// Collection Time(UTC): Fri Sep  6 00:00:00 2002\n//\n//\n//\n";
    for (int n = 1; n <= 32; ++n) {
        text += std::to_string(first(n));
        for (int i = 1; i < count; ++i) {
            text += ", " + std::to_string(n);
        }
        text += "\n";
    }
    return text;
}

// The words of such a file in hex: the first value, then count - 1 times n.
std::string wordHex(int n, int firstValue, int count) {
    char word[8];
    std::snprintf(word, sizeof word, "%04X", firstValue & 0xFFFF);
    std::string hex = word;
    std::snprintf(word, sizeof word, "%04X", n);
    for (int i = 1; i < count; ++i) {
        hex += word;
    }
    return hex;
}

TEST_F(ZephctlE2e, EveryCommandIsAcknowledgedWithItsPinnedBytes) {
    TempDir dir;
    std::ofstream(dir.path("sky.alm")) << wordFile(14, [](int n) { return -n; });
    std::ofstream(dir.path("sky.eph"))
        << wordFile(45, [](int n) { return n == 7 || n == 9 ? n : 0; });
    std::ofstream(dir.path("home.pos")) << "-2694685\n-4293642\n3857878\n75000\n";
    std::string almanac = "82";
    for (int n = 1; n <= 32; ++n) {
        almanac += wordHex(n, -n, 14);
    }
    const std::string unsetUart = "FF0505000000000000000000";
    const CommandCase cases[] = {
        {{"initialize-data-source", "reset-mode=hot-start"},
         {"80" + std::string(44, '0') + "0C80"},
         ""},
        {{"poll-sw-version"}, {"8400"}, "SW Version: 231.000.000-ZEPHSIM\n"},
        {{"dgps-source"}, {"85020000000000"}, ""},
        {{"set-main-serial-port", "baud-rate=57600"}, {"860000E10008010000"}, ""},
        {{"switch-to-user1-protocol"}, {"8704"}, ""},
        {{"mode-mask", "dr-timeout=60"}, {"88000101000100000000001E3C01"}, ""},
        {{"dop-mask"}, {"89040A0A0A"}, ""},
        {{"dgps-mode"}, {"8A001E"}, ""},
        {{"elevation-mask", "navigation=-20"}, {"8B0032FF38"}, ""},
        {{"power-mask", "navigation=33"}, {"8C1C21"}, ""},
        {{"static-navigation", "mode=enable"}, {"8F01"}, ""},
        {{"poll-clock-status"}, {"9000"}, "Week:"},
        {{"set-dgps-serial-port"}, {"910000258008010000"}, ""},
        {{"poll-almanac"}, {"9200"}, ""},
        {{"poll-ephemeris"}, {"930000"}, ""},
        {{"switch-operating-mode"}, {"9600000006000A"}, ""},
        {{"set-low-power"},
         {"97000003E8000000C8", "A7"
                                "00007530"
                                "0001D4C0"
                                "00000708"
                                "0000"
                                "0000"
                                "00000000"
                                "00000000"},
         "Ack: MID_LPAcqParams\n"},
        {{"low-power", "on-time=300"},
         {"97000003E80000012C", "A7000075300001D4C000000708000000000000000000000000"},
         "Ack: MID_LowPower\nTx: 0xA0A20019A7"}, // 151 acknowledged before 167 goes
        {{"init", "reset=hot", "position-file=" + dir.path("home.pos")},
         {"80FFD6E1E3FFBE7BF6003ADDD6000124F80000000000000C80"},
         ""},
        {{"poll-nav-parameters"}, {"9800"}, "Polling Navigation Parameters\n"},
        {{"set-uart-configuration", "uart-0-protocol=zeph-binary", "uart-0-baud-rate=57600",
          "uart-1-protocol=nmea"},
         {"A5"
          "000000"
          "0000E100"
          "0801000000"
          "010101"
          "000012C0"
          "0801000000" +
          unsetUart + unsetUart},
         ""},
        {{"set-message-rate", "message-name=0x09-throughput", "message-update-rate=2"},
         {"A600090200000000"},
         ""},
        {{"sbas-control", "auto-scan=0", "prn=125"}, {"AA7D00080000"}, ""},
        {{"navigation-initialization"}, {"AC01" + std::string(28, '0')}, ""},
        {{"navigation-mode-control"}, {"AC0201"}, ""},
        {{"gyro-factory-calibration"}, {"AC0300"}, ""},
        {{"dr-sensors-paramters", "use-default-values=1"}, {"AC040000000000"}, ""},
        {{"set-almanac", "file=" + dir.path("sky.alm")}, {almanac}, "Ack: MID_SetAlmanac\n"},
        {{"set-ephemeris", "file=" + dir.path("sky.eph")},
         {"95" + wordHex(7, 7, 45), "95" + wordHex(9, 9, 45)},
         ""},
        {{"poll-dr-data-validity"}, {"AC05"}, "Ack: MID_DrOut:SID_PollDrValid\n"},
        {{"poll-gyro-factory-calibration"}, {"AC06"}, ""},
        {{"poll-sensors-parameters"}, {"AC07"}, ""},
        // the current settings, as the commands above left them
        {{"poll-dgps-source"}, {"A88500000000"}, "source=external-rtcm-data-serial-port-b\n"},
        {{"poll-mode-mask"}, {"A88800000000"}, "dr-timeout=60\n"},
        {{"poll-dop-mask"}, {"A88900000000"}, "mode=do-not-use\n"},
        {{"poll-dgps-mode"}, {"A88A00000000"}, "timeout=30\n"},
        {{"poll-elevation-mask"}, {"A88B00000000"}, "navigation=-20\n"},
        {{"poll-power-mask"}, {"A88C00000000"}, "navigation=33\n"},
        {{"poll-static-navigation"}, {"A88F00000000"}, "mode=enable\n"},
        {{"poll-sbas-control"}, {"A8AA00000000"}, "auto-scan=0\nprn=125\n"},
    };
    // Every command zephctl offers is here, but for the line switches tested below.
    std::set<std::string> covered = {"to-nmea"};
    for (const CommandCase& c : cases) {
        covered.insert(c.args[0]);
    }
    for (const monitor::CommandSpec& spec : monitor::commandCatalogue()) {
        const std::string name = monitor::commandName(spec);
        if (!name.empty()) {
            EXPECT_TRUE(covered.count(name)) << name << " is not tried";
        }
    }

    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = startSim(sim);
    for (const CommandCase& c : cases) {
        std::vector<std::string> args = {"--verbose"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProgramResult r = zephctl(port, args);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        std::vector<std::string> frames;
        for (const std::string& payload : c.payloads) {
            frames.push_back(frameHex(payload).substr(0, 2 * 199)); // the log shows 199 bytes
        }
        EXPECT_EQ(txLines(r.out), frames);
        EXPECT_NE(r.out.find("\nAck: "), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Nak: "), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.answer), std::string::npos) << r.out;
    }
}

TEST_F(ZephctlE2e, RejectionTimeOutAndBadUsage) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = startSim(sim);

    // the receiver's port takes no 14400 baud: rejected, and zephctl stays where it was
    ProgramResult r = zephctl(port, {"to-nmea", "baud-rate=14400"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("Nak: MID_SetNMEAMode\n"), std::string::npos) << r.out;

    r = zephctl(port + "@9600", {"--timeout", "1", "poll-sw-version"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "zephctl: no acknowledgement of MID_PollSWVersion within 1 s\n");

    const struct {
        std::vector<std::string> args;
        std::string err;
    } usage[] = {
        {{"--port", port, "--verbose", "elevation-mask", "navigation=91"},
         "zephctl: Please enter a number between -20 and 90.\n"},
        {{"--port", port, "elevation-mask", "height=3"},
         "zephctl: unknown field height for elevation-mask (see --list)\n"},
        {{"--port", port, "reboot"}, "zephctl: unknown command reboot (see --list)\n"},
        {{"--port", "/nonexistent/tty0", "poll-sw-version"}, ""},
    };
    for (const auto& u : usage) {
        std::vector<std::string> argv = {programPath("zephctl")};
        argv.insert(argv.end(), u.args.begin(), u.args.end());
        r = runProgram(argv);
        EXPECT_EQ(r.exitCode, 2) << u.args[2];
        EXPECT_EQ(r.out, ""); // nothing sent
        if (!u.err.empty()) {
            EXPECT_EQ(r.err, u.err);
        } else {
            EXPECT_NE(r.err.find("/nonexistent/tty0"), std::string::npos) << r.err;
        }
    }
}

TEST_F(ZephctlE2e, BaudAndProtocolChangesAreFollowed) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = startSim(sim);
    ProgramResult r = zephctl(port, {"set-main-serial-port", "baud-rate=38400"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    r = zephctl(port + "@38400", {"poll-sw-version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = zephctl(port, {"--timeout", "1", "poll-sw-version"}); // 57600 no longer
    EXPECT_EQ(r.exitCode, 1);

    r = zephctl(port + "@38400", {"to-nmea", "baud-rate=9600"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    r = zephctl(port + "@9600", {"--verbose", "to-binary"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(txLines(r.out), std::vector<std::string>{
                                  "0D0A245A5556453130302C302C33383430302C382C312C302A33370D0A"});
    r = zephctl(port + "@38400", {"poll-sw-version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

// Navigation-library data needs 57600 baud: MID 134 goes first, and MID 128 only once the
// receiver has acknowledged it and zephctl listens at the new rate.
TEST_F(ZephctlE2e, InitialisationWithNavLibDataMovesTo57600First) {
    BackgroundProgram sim({programPath("zephsim"), "--baud", "19200"});
    const std::string port = startSim(sim);
    const ProgramResult r =
        zephctl(port + "@19200", {"--verbose", "initialize-data-source", "reset-mode=hot-start",
                                  "enable-nav-lib-data=1"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const std::string init = "Tx: 0x" + frameHex("80" + std::string(44, '0') + "0C90");
    const size_t ack134 = r.out.find("Ack: MID_SetSerialPort\n");
    EXPECT_EQ(r.out.rfind("Tx: 0x" + frameHex("860000E10008010000") + "\n", 0), 0u) << r.out;
    EXPECT_NE(ack134, std::string::npos);
    const size_t initAt = r.out.find(init);
    EXPECT_NE(initAt, std::string::npos) << r.out;
    EXPECT_GT(initAt, ack134);
    EXPECT_NE(r.out.find("Ack: MID_NavigationInitialization\n"), std::string::npos);
}

// A saved collection changed by hand and set goes back into the receiver: polled again, it is
// saved with the same lines.
TEST_F(ZephctlE2e, ACollectionSavedEditedAndSetIsPolledBackTheSame) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = startSim(sim);
    TempDir dir;
    const auto body = [](const std::string& text) { // the lines after the five comment lines
        size_t at = 0;
        for (int i = 0; i < 5 && at != std::string::npos; ++i) {
            at = text.find('\n', at) + 1;
        }
        return text.substr(at);
    };
    for (const std::string kind : {"almanac", "ephemeris"}) {
        SCOPED_TRACE(kind);
        const std::string first = dir.path(kind + "-1"), second = dir.path(kind + "-2");
        ProgramResult r = zephctl(port, {kind, "--save", first});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(r.out, "Ack: MID_Poll" +
                             std::string(kind == "almanac" ? "Almanac" : "Ephemeris") + "\n" +
                             (kind == "almanac" ? "Almanac" : "Ephemeris") +
                             " Data Written to:\n\n" + first + "\n");
        std::string text = readFile(first);
        std::vector<std::string> lines;
        std::istringstream in(body(text));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        ASSERT_EQ(lines.size(), 32u) << text;
        // The second satellite's line, changed in its last value: the receiver must keep it.
        const std::string edited = lines[1].substr(0, lines[1].rfind(' ') + 1) + "12345";
        const std::string changed =
            body(text).replace(body(text).find(lines[1]), lines[1].size(), edited);
        std::ofstream(first) << text.substr(0, text.size() - body(text).size()) << changed;

        r = zephctl(port, {"set-" + kind, first});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        r = zephctl(port, {kind, "--save", second});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(body(readFile(second)), changed);
    }
    // Send Data: a framed poll is acknowledged; an NMEA text goes as a sentence unanswered.
    ProgramResult r = zephctl(port, {"--verbose", "send", "84", "00"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Tx: 0x" + frameHex("8400") + "\nAck: MID_PollSWVersion\n");
    std::ofstream(dir.path("clock.cmd")) << "90\n00\n";
    r = zephctl(port, {"send", "--file", dir.path("clock.cmd")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Ack: MID_PollClockStatus\n");
}

// An ephemeris file of 20 satellite lines: the 20 go out, then the format error is told.
TEST_F(ZephctlE2e, AShortEphemerisFileSendsWhatItHasThenFails) {
    BackgroundProgram sim({programPath("zephsim")});
    const std::string port = startSim(sim);
    TempDir dir;
    std::string text = wordFile(45, [](int n) { return n; });
    for (int i = 0; i < 12; ++i) {
        text.erase(text.rfind('\n', text.size() - 2) + 1);
    }
    std::ofstream(dir.path("short.eph")) << text;
    const ProgramResult r = zephctl(port, {"--verbose", "set-ephemeris", dir.path("short.eph")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(txLines(r.out).size(), 20u);
    EXPECT_EQ(r.err, "zephctl: Ephemeris Data File Format Error\nSet Ephemeris Aborted\n");
}

TEST_F(ZephctlE2e, SyncFromNmeaAt4800EndsInBinaryAt38400) {
    BackgroundProgram sim({programPath("zephsim"), "--protocol", "nmea", "--baud", "4800"});
    const std::string port = startSim(sim);
    ProgramResult r = zephctl(port + "@1200", {"--verbose", "sync"});
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(txLines(r.out).size(), 16u);
    r = zephctl(port + "@38400", {"poll-sw-version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

} // namespace
} // namespace zeph::testing
