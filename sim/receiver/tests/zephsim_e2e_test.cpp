// zephsim as a client meets it: the built program on a pseudo-terminal, opened with the
// suite's serial line.

#include "sim_process.h"
#include "wire_reader.h"

#include "common/serial/serial_line.h"
#include "common/serial/testing/pty_pair.h"
#include "common/testing/child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zeph::sim::testing {
namespace {

using namespace std::chrono_literals;

// How long a test waits for what zephsim sends: it returns as soon as that has come, and a busy
// machine may hold the line back for a second or two.
constexpr auto kPatience = 10s;

// A poll for the software version, byte by byte from the frame rules.
const WireBytes kVersionPoll = {0xA0, 0xA2, 0x00, 0x02, 0x84, 0x00, 0x00, 0x84, 0xB0, 0xB3};

WireBytes sentenceBytes(const std::string& body) {
    unsigned x = 0;
    for (char c : body) {
        x ^= static_cast<uint8_t>(c);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
    const std::string text = "\r\n$" + body + tail;
    return WireBytes(text.begin(), text.end());
}

WireBytes readFor(SerialLine& line, std::chrono::milliseconds duration) {
    WireBytes out;
    const auto end = std::chrono::steady_clock::now() + duration;
    uint8_t buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
        const long n = line.read(buffer, sizeof buffer, 50);
        if (n < 0) {
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

// Reads until `done` holds for what has come, or the time is up.
template <typename Done>
WireBytes readUntil(SerialLine& line, std::chrono::milliseconds limit, Done done) {
    WireBytes out;
    const auto end = std::chrono::steady_clock::now() + limit;
    uint8_t buffer[4096];
    while (std::chrono::steady_clock::now() < end && !done(out)) {
        const long n = line.read(buffer, sizeof buffer, 50);
        if (n < 0) {
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

bool contains(const std::vector<int>& mids, int mid) {
    return std::find(mids.begin(), mids.end(), mid) != mids.end();
}

LineSettings at(int baud) {
    LineSettings s;
    s.baud = baud;
    return s;
}

TEST(ZephsimTest, BinaryReceiverAnswersAndTurnsToGarbageAtTheWrongRate) {
    SimProcess sim({});
    ASSERT_TRUE(sim.started());
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty()) << sim.err();

    SerialLine line;
    ASSERT_TRUE(line.open(path)) << path;
    ASSERT_TRUE(line.configure(at(57600)));

    const WireScan navigation = scanWire(readFor(line, 2100ms));
    for (int mid : {2, 4, 7, 9, 41}) {
        EXPECT_GE(navigation.goodFrames.count(mid), 1u) << "MID " << mid;
    }
    EXPECT_GE(navigation.goodFrames.at(2), 2);
    EXPECT_TRUE(navigation.badChecksums.empty());
    EXPECT_TRUE(navigation.badTails.empty());

    ASSERT_EQ(line.write(kVersionPoll.data(), kVersionPoll.size(), 1000), 10);
    const WireScan answer = scanWire(readUntil(
        line, kPatience, [](const WireBytes& got) { return contains(scanWire(got).mids(), 6); }));
    const std::vector<int> mids = answer.mids();
    const auto ack = std::find(mids.begin(), mids.end(), 11);
    const auto version = std::find(mids.begin(), mids.end(), 6);
    ASSERT_NE(ack, mids.end());
    ASSERT_NE(version, mids.end());
    EXPECT_LT(ack, version);
    EXPECT_EQ(answer.payloads[static_cast<size_t>(ack - mids.begin())], (WireBytes{11, 132, 0}));
    const WireBytes& text = answer.payloads[static_cast<size_t>(version - mids.begin())];
    EXPECT_EQ(std::string(text.begin() + 1, text.end() - 1), "231.000.000-ZEPHSIM");

    // At 9600 on the client's side the two ends disagree: nothing but garbage either way.
    ASSERT_TRUE(line.configure(at(9600)));
    std::this_thread::sleep_for(100ms);
    line.purge(true, false);
    ASSERT_EQ(line.write(kVersionPoll.data(), kVersionPoll.size(), 1000), 10);
    const WireBytes garbage = readFor(line, 1200ms);
    EXPECT_GT(garbage.size(), 200u);
    const WireScan noise = scanWire(garbage);
    EXPECT_EQ(noise.frameStarts, 0);
    EXPECT_EQ(noise.dollars, 0);
    // The poll reached zephsim while the rates still disagreed.
    EXPECT_TRUE(sim.countsShow("Garbled input bytes: 10\n"));

    // Back at the right rate, frames again.
    ASSERT_TRUE(line.configure(at(57600)));
    const WireScan again = scanWire(readUntil(line, kPatience, [](const WireBytes& got) {
        return scanWire(got).goodFrames.count(2) != 0;
    }));
    EXPECT_EQ(again.goodFrames.count(2), 1u);

    EXPECT_EQ(sim.stop(), 0);
    const std::string counts = sim.err();
    EXPECT_EQ(counts.rfind("MID 2: ", 0), 0u) << counts;
    EXPECT_NE(counts.find("Received MID 132: 1\n"), std::string::npos) << counts;
    EXPECT_NE(counts.find("Garbled input bytes: 10\n"), std::string::npos) << counts;
}

TEST(ZephsimTest, NmeaReceiverTakesProprietaryCommands) {
    SimProcess sim({"--protocol", "nmea", "--baud", "4800"});
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty()) << sim.err();
    SerialLine line;
    ASSERT_TRUE(line.open(path));
    ASSERT_TRUE(line.configure(at(4800)));

    const auto kindsIn = [](const WireScan& scan) {
        std::set<std::string> kinds;
        for (const std::string& body : scan.sentences) {
            kinds.insert(body.substr(0, 5));
        }
        return kinds;
    };
    const std::set<std::string> expected = {"GPGGA", "GPGSA", "GPGSV", "GPRMC"};
    const WireScan first = scanWire(readUntil(
        line, kPatience, [&](const WireBytes& got) { return kindsIn(scanWire(got)) == expected; }));
    EXPECT_EQ(kindsIn(first), expected);
    EXPECT_EQ(first.frameStarts, 0);
    EXPECT_EQ(first.badSentences, 0);

    const WireBytes gllOn = sentenceBytes("ZUVE103,01,00,01,01");
    ASSERT_EQ(line.write(gllOn.data(), gllOn.size(), 1000), static_cast<long>(gllOn.size()));
    const WireScan withGll = scanWire(readUntil(line, kPatience, [](const WireBytes& got) {
        for (const std::string& body : scanWire(got).sentences) {
            if (body.rfind("GPGLL,", 0) == 0) {
                return true;
            }
        }
        return false;
    }));
    EXPECT_NE(std::find_if(withGll.sentences.begin(), withGll.sentences.end(),
                           [](const std::string& b) { return b.rfind("GPGLL,", 0) == 0; }),
              withGll.sentences.end());

    const WireBytes toBinary = sentenceBytes("ZUVE100,0,38400,8,1,0");
    ASSERT_EQ(line.write(toBinary.data(), toBinary.size(), 1000),
              static_cast<long>(toBinary.size()));
    // The client changes its rate only once zephsim has the sentence at the old one.
    ASSERT_TRUE(sim.countsShow("Received sentence ZUVE100: 1\n"));
    ASSERT_TRUE(line.configure(at(38400)));
    const WireScan binary = scanWire(readUntil(line, kPatience, [](const WireBytes& got) {
        return scanWire(got).goodFrames.count(41) != 0;
    }));
    EXPECT_GE(binary.goodFrames.count(2), 1u);
    EXPECT_GE(binary.goodFrames.count(41), 1u);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(ZephsimTest, SurvivesTheClientClosingAndReopening) {
    SimProcess sim({});
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty());
    for (int round = 0; round < 2; ++round) {
        SerialLine line;
        ASSERT_TRUE(line.open(path));
        ASSERT_TRUE(line.configure(at(57600)));
        const WireScan scan = scanWire(readUntil(line, kPatience, [](const WireBytes& got) {
            return scanWire(got).goodFrames.count(41) != 0;
        }));
        EXPECT_EQ(scan.goodFrames.count(41), 1u) << "round " << round;
    }
    EXPECT_EQ(sim.stop(), 0);
}

TEST(ZephsimTest, LinkUsesAnExistingDeviceAndReportsOnSigusr1) {
    zeph::testing::PtyPair device;
    ASSERT_TRUE(device.valid()) << device.error();
    SimProcess sim({"--link", device.slavePath(), "--baud", "115200"});
    EXPECT_EQ(sim.firstLine(), device.slavePath());
    const std::string got = device.readMaster(400, 10'000);
    const WireScan scan = scanWire(WireBytes(got.begin(), got.end()));
    EXPECT_GE(scan.goodFrames.count(41), 1u);

    EXPECT_TRUE(sim.countsShow("MID 2: "));
    EXPECT_EQ(sim.err().rfind("MID 2: ", 0), 0u) << sim.err();
    sim.signal(SIGINT);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(ZephsimTest, CommandLineErrorsAndHelp) {
    const auto bad = zeph::testing::runProgram({zeph::testing::programPath("zephsim"), "--bogus"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_TRUE(bad.out.empty());

    const auto help = zeph::testing::runProgram({zeph::testing::programPath("zephsim"), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--split-writes"), std::string::npos);

    const auto missing = zeph::testing::runProgram(
        {zeph::testing::programPath("zephsim"), "--link", "/nonexistent/tty"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("/nonexistent/tty"), std::string::npos);
}

std::map<std::string, int> countsIn(const std::string& path) {
    std::map<std::string, int> counts;
    std::ifstream in(path);
    for (std::string text; std::getline(in, text);) {
        const size_t colon = text.rfind(": ");
        if (colon != std::string::npos) {
            counts[text.substr(0, colon)] = std::stoi(text.substr(colon + 2));
        }
    }
    return counts;
}

// Told to stop, the simulator waits for a client that is still reading, however slowly it
// polls, and counts as dropped whatever a client leaves on the line.
TEST(ZephsimTest, AClientReadingLateStillGetsTheLastMessagesSent) {
    struct Case {
        std::chrono::milliseconds firstRead; // after SIGTERM; none: the client reads no more
        bool reads;
    };
    for (const Case c : {Case{50ms, true}, Case{600ms, true}, Case{0ms, false}}) {
        SCOPED_TRACE(::testing::Message() << c.firstRead.count() << " ms, reads " << c.reads);
        const std::string countsPath =
            ::testing::TempDir() + "zephsim_last_" + std::to_string(::getpid()) + ".txt";
        SimProcess sim({"--counts", countsPath});
        const std::string path = sim.firstLine();
        ASSERT_FALSE(path.empty()) << sim.err();
        SerialLine line;
        ASSERT_TRUE(line.open(path));
        ASSERT_TRUE(line.configure(at(57600)));
        std::this_thread::sleep_for(1500ms); // the first messages wait on the line, unread
        sim.signal(SIGTERM);
        if (!c.reads) {
            EXPECT_EQ(sim.stop(), 0);
            EXPECT_GT(countsIn(countsPath)["Unread bytes dropped"], 0);
            std::remove(countsPath.c_str());
            continue;
        }
        std::this_thread::sleep_for(c.firstRead);
        const WireScan scan = scanWire(readFor(line, 2000ms)); // until the line hangs up
        EXPECT_EQ(sim.stop(), 0);
        std::map<int, int> sent;
        for (const auto& [what, count] : countsIn(countsPath)) {
            int mid = 0;
            if (std::sscanf(what.c_str(), "MID %d", &mid) == 1) {
                sent[mid] = count;
            }
        }
        EXPECT_FALSE(sent.empty());
        EXPECT_EQ(scan.goodFrames, sent);
        EXPECT_EQ(countsIn(countsPath)["Unread bytes dropped"], 0);
        std::remove(countsPath.c_str());
    }
}

TEST(ZephsimTest, CountsGoWhereALinkLeadsAndAPathThatCannotTakeThemIsRefused) {
    namespace fs = std::filesystem;
    const fs::path dir = ::testing::TempDir() + "zephsim_counts_" + std::to_string(::getpid());
    fs::remove_all(dir);
    fs::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    fs::create_symlink("counts.txt", dir / "link");
    const std::pair<fs::path, std::string> refused[] = {
        {dir / "folder", "not a regular file"},
        {dir / "fifo", "not a regular file"},
        {dir / "missing" / "c", std::strerror(ENOENT)},
    };
    for (const auto& [path, reason] : refused) {
        SimProcess sim({"--counts", path.string()});
        EXPECT_EQ(sim.firstLine(), "") << path;
        EXPECT_EQ(sim.stop(), 1) << path;
        EXPECT_EQ(sim.err(), "zephsim: cannot write " + path.string() + ": " + reason + "\n");
    }

    SimProcess sim({"--counts", (dir / "link").string()});
    ASSERT_FALSE(sim.firstLine().empty()) << sim.err();
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    std::ifstream in(dir / "counts.txt");
    const std::string counts{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(counts.find("Noise bursts: 0\n"), std::string::npos) << counts;
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"counts.txt", "fifo", "folder", "link"}));
    fs::remove_all(dir);
}

TEST(ZephcaptureTest, RefusesBadCommandLinesWithOneLine) {
    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{}, "no output file given (see --help)"},
        {{"--bogus", "f"}, "unknown option --bogus (see --help)"},
        {{"f", "g"}, "unexpected argument g (see --help)"},
        {{"--seconds=5", "f"}, "unknown option --seconds=5 (see --help)"},
        {{"f", "--seconds"}, "--seconds takes a number from 1 to 86400"},
        {{"--seconds", "0", "f"}, "--seconds takes a number from 1 to 86400"},
        {{"--seconds", "86401", "f"}, "--seconds takes a number from 1 to 86400"},
        {{"--beacon", "f"}, "--drovana and --beacon need --zephsim"},
    };
    for (const auto& [args, error] : bad) {
        std::vector<std::string> argv = {zeph::testing::programPath("zephcapture")};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto r = zeph::testing::runProgram(argv);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, std::string("zephcapture: ") + error + "\n");
    }
}

} // namespace
} // namespace zeph::sim::testing
