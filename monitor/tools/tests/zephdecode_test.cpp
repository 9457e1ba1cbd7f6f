// zephdecode as users run it: the built program, on captures of the simulated receiver.

#include "common/testing/child_process.h"

#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace zeph::testing {
namespace {

std::string dataPath(const std::string& name) {
    return std::string(std::getenv("ZEPH_SOURCE_DIR")) + "/monitor/tools/tests/data/" + name;
}

class Zephdecode : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        captures = std::make_unique<TempDir>();
        lowWordFirst = makeCapture("capture-low.bin", {});
        plainDoubles = makeCapture("capture-plain.bin", {"--plain-doubles"});
    }
    static void TearDownTestSuite() { captures.reset(); }
    static std::string makeCapture(const std::string& name, std::vector<std::string> options) {
        const std::string path = captures->path(name);
        std::vector<std::string> argv = {programPath("zephcapture"), "--seconds", "16"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back(path);
        const ProgramResult r = runProgram(argv);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return path;
    }
    static ProgramResult decode(std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), programPath("zephdecode"));
        return runProgram(args, input);
    }
    static inline std::unique_ptr<TempDir> captures;
    static inline std::string lowWordFirst;
    static inline std::string plainDoubles;
};

// The expected texts were checked line by line against the message layouts when they were
// made; any change to them is a change of the log's contract.
TEST_F(Zephdecode, LiveStreamGivesTheLogTextByteForByte) {
    const ProgramResult r = decode({lowWordFirst});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, readFile(dataPath("capture-live.log")));
}

TEST_F(Zephdecode, PlaybackGivesTheLogTextByteForByte) {
    const ProgramResult r = decode({"--playback", lowWordFirst});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, readFile(dataPath("capture-playback.log")));
}

TEST_F(Zephdecode, DoubleOrderFollowsTheClass) {
    const ProgramResult older = decode({"--class", "2", lowWordFirst});
    const ProgramResult newer = decode({"--class", "1", plainDoubles});
    const ProgramResult wrong = decode({"--class", "1", lowWordFirst});
    ASSERT_EQ(older.exitCode, 0);
    EXPECT_EQ(older.out, newer.out);
    EXPECT_NE(older.out, wrong.out);
    EXPECT_NE(older.out.find("\n30,"), std::string::npos);
}

// An unknown receiver is asked for its software version after the first good frame; the capture
// has no port, so the poll shows only as the line the serial port would log.
TEST_F(Zephdecode, VersionPollOfAnUnknownReceiverIsLogged) {
    const ProgramResult r = decode({"--class", "-1", lowWordFirst});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string firstTwo = r.out.substr(0, r.out.find('\n', r.out.find('\n') + 1) + 1);
    EXPECT_EQ(firstTwo.substr(firstTwo.find('\n') + 1), "Tx: 0xA0A2000284000084B0B3\n");
    EXPECT_EQ(countLinesStartingWith(r.out, "Tx: "), 1);
}

TEST_F(Zephdecode, ReadsStandardInput) {
    const ProgramResult fromFile = decode({lowWordFirst});
    const ProgramResult fromStdin = decode({"-"}, readFile(lowWordFirst));
    ASSERT_EQ(fromStdin.exitCode, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, fromFile.out);
}

TEST_F(Zephdecode, SelectionLimitsMessagesButNotLinkNotes) {
    const ProgramResult r = decode({"--select", "2,41", lowWordFirst});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    int messages = 0;
    int notes = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("2,", 0) == 0 || line.rfind("41,", 0) == 0) {
            ++messages;
        } else {
            ++notes;
            // Continuation lines of a dump begin with the blank before their first byte.
            EXPECT_TRUE(line.rfind("Comm: ", 0) == 0 || line.rfind(" ", 0) == 0 ||
                        line.rfind("Unk: ", 0) == 0 || line.rfind("OkToSend: ", 0) == 0 ||
                        line == "Ephemeris Data contains invalid SVID")
                << line;
        }
    }
    EXPECT_EQ(messages, 16 * 2 + 1); // two a second, and one short navigation frame
    EXPECT_GT(notes, 0);
}

TEST_F(Zephdecode, RefusesBadInputWithOneLine) {
    const ProgramResult missing = decode({"/no/such/capture"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "zephdecode: cannot open /no/such/capture: No such file or directory\n");
    EXPECT_TRUE(missing.out.empty());

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--frobnicate", lowWordFirst},
          {"--class", "6", lowWordFirst},
          {"--class", "x", lowWordFirst},
          {"--class", "", lowWordFirst},
          {"--select", "3-1", lowWordFirst},
          {"--select", "1,,2", lowWordFirst},
          {"--select", "256", lowWordFirst},
          {"--select"},
          {}}) {
        const ProgramResult r = decode(args);
        EXPECT_EQ(r.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    const ProgramResult help = decode({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: zephdecode"), std::string::npos);
}

TEST_F(Zephdecode, RefusalsNameWhatIsWrong) {
    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{}, "no capture file given (see --help)"},
        {{"--frobnicate", "f"}, "unknown option --frobnicate (see --help)"},
        {{"f", "g"}, "unexpected argument g (see --help)"},
        {{"--class=1", "f"}, "unknown option --class=1 (see --help)"},
        {{"f", "--class"}, "--class takes a number from -1 to 5"},
        {{"--class", "-2", "f"}, "--class takes a number from -1 to 5"},
        {{"f", "--select"}, "--select takes MIDs and ranges from 0 to 255, e.g. 1-15,41,255"},
        {{"--view", "radar", "f"}, "--view takes nav, geodetic, drovana or dgps"},
        {{"f", "--view"}, "--view takes nav, geodetic, drovana or dgps"},
    };
    for (const auto& [args, error] : bad) {
        const ProgramResult r = decode(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, std::string("zephdecode: ") + error + "\n");
    }
}

} // namespace
} // namespace zeph::testing
