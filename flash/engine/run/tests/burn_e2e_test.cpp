// ZephBurnCL's numbered failures provoked from outside: no port, a silent line, a variant the
// programmer does not know, broken or missing support files, chips it does not know, two
// different chips, data beyond the chip, a data file that is not there.

#include "burn_e2e_support.h"

#include "common/serial/serial_line.h"
#include "common/serial/testing/pty_pair.h"
#include "common/testing/file_size_limit.h"

#include <fstream>
#include <sys/stat.h>

namespace zeph::flash::e2e {
namespace {

using zeph::testing::ProgramResult;

void expectFailure(const ProgramResult& r, const std::string& message) {
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(r.out, message);
}

TEST(BurnFailures, NoPortStillEndsWithTheEndRecordAndAFailResult) {
    BurnFolder folder;
    const std::string port = "/dev/zeph-no-such-port";
    expectFailure(burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", port, "-sr"}),
                  "Cannot open port /dev/zeph-no-such-port\n"
                  "/dev/zeph-no-such-port: No such file or directory\n");
    EXPECT_EQ(testing::readBytes(folder.path("RESzeph-no-such-port")),
              (std::vector<uint8_t>{'F', 'A', 'I', 'L', '\r', '\n'}));

    std::remove(folder.path("RESzeph-no-such-port").c_str());
    const PipeRun piped =
        burnPiped({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", port, "-sr"});
    EXPECT_EQ(piped.result.exitCode, 1);
    EXPECT_EQ(piped.result.out, "");
    EXPECT_TRUE(piped.wellFormed);
    EXPECT_EQ(piped.records,
              (std::vector<PipeRecord>{{0, "Cannot open port " + port + "\n"}, {1006, "1"}}));
    EXPECT_EQ(testing::readBytes(folder.path("RESzeph-no-such-port")).size(), 6u);
}

// The console says why a port would not open, on a line after the numbered message.
TEST(BurnFailures, APortThatWillNotOpenSaysWhy) {
    BurnFolder folder;
    zeph::testing::PtyPair held;
    ASSERT_TRUE(held.valid()) << held.error();
    SerialLine holder; // another program has the line
    ASSERT_TRUE(holder.open(held.slavePath()));
    const std::string notATerminal = folder.path("detect.bin");
    const struct {
        std::string port;
        std::string reason;
    } cases[] = {
        {notATerminal, notATerminal + ": not a serial device"},
        {held.slavePath(), held.slavePath() + ": Device or resource busy"},
    };
    for (const auto& c : cases) {
        expectFailure(
            burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", c.port, "-q"}),
            "Cannot open port " + c.port + "\n" + c.reason + "\n");
    }
}

// A script reads the result file: one that cannot be written is said, ends the run before it
// starts, and leaves no earlier PASS behind.
TEST(BurnFailures, AResultFileThatCannotBeWrittenIsSaidAndLeavesNoPass) {
    BurnFolder folder;
    const std::string port = "/dev/zeph-no-such-port";
    const std::string result = folder.path("RESzeph-no-such-port");
    folder.dir.write("RESzeph-no-such-port", std::string("PASS\r\n"));
    ProgramResult r;
    {
        zeph::testing::FileSizeLimit full(0); // the child inherits a full disk
        r = burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", port, "-sr", "-q"});
    }
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.rfind("Result not saved: cannot write " + result + ": ", 0), 0u) << r.out;
    EXPECT_NE(testing::readBytes(result), (std::vector<uint8_t>{'P', 'A', 'S', 'S', '\r', '\n'}));

    // A folder or a FIFO of that name holds no result and is the user's: it is said and stays.
    for (const bool fifo : {false, true}) {
        std::remove(result.c_str());
        if (fifo) {
            ASSERT_EQ(mkfifo(result.c_str(), 0600), 0);
        } else {
            std::filesystem::create_directory(result);
        }
        r = burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", port, "-sr", "-q"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out.rfind("Result not saved: cannot write " + result + ": ", 0), 0u) << r.out;
        struct stat st {};
        ASSERT_EQ(::lstat(result.c_str(), &st), 0) << fifo;
        EXPECT_EQ(fifo ? S_ISFIFO(st.st_mode) : S_ISDIR(st.st_mode), true) << fifo;
    }
}

TEST(BurnFailures, ARefusedCommandLineWithSaveResultLeavesFail) {
    BurnFolder folder;
    const std::string port = "/dev/zeph-no-such-port";
    const std::string result = folder.path("RESzeph-no-such-port");
    const std::vector<std::vector<std::string>> refused = {
        {"-SR", "-l", port, "-b", "9600"},    // a refused value
        {"-l", port, "-x", "-sr"},            // an unknown option
        {"-sr", "-r", "-l", port, "-f", "0"}, // a conflict
    };
    for (std::vector<std::string> args : refused) {
        folder.dir.write("RESzeph-no-such-port", std::string("PASS\r\n"));
        args.insert(args.begin(), folder.path("out.bin"));
        EXPECT_EQ(burn(args).exitCode, 1);
        EXPECT_EQ(testing::readBytes(result),
                  (std::vector<uint8_t>{'F', 'A', 'I', 'L', '\r', '\n'}))
            << args[1];
    }
}

TEST(BurnFailures, ALineWithNothingBehindItIsATargetNotResponding) {
    BurnFolder folder;
    zeph::testing::PtyPair line;
    ASSERT_TRUE(line.valid()) << line.error();
    expectFailure(
        burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", line.slavePath(), "-q"}),
        "Target not responding\n");
}

TEST(BurnFailures, AnUnknownChipVariantIsNamed) {
    BurnFolder folder;
    Sim sim({"--variant", "0x22"});
    ASSERT_FALSE(sim.device.empty());
    const PipeRun piped =
        burnPiped({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", sim.device});
    EXPECT_EQ(piped.result.exitCode, 1);
    EXPECT_EQ(piped.records,
              (std::vector<PipeRecord>{{32, "Vireo chip id 0x22 not supported\n"}, {1006, "1"}}));
}

TEST(BurnFailures, BrokenChipListsStopTheRun) {
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    const char* lists[] = {
        // The layout adds up to 1 MiB, not 2 MiB.
        "Am29LV160DB AMD 0x2249 0x0001 2097152(1*16384+2*8192+1*32768+15*65536) generic.bin\n",
        // A flag token that holds neither keyword.
        "Am29LV160DB AMD 0x2249 0x0001 2097152(32*65536) generic.bin FAST\n",
        // A missing field.
        "Am29LV160DB AMD 0x2249 0x0001 2097152(32*65536)\n",
    };
    for (const char* list : lists) {
        BurnFolder folder;
        folder.dir.write("chiplist.txt", std::string(list));
        expectFailure(burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", sim.device}),
                      "Error while processing chiplist file\n");
    }
}

TEST(BurnFailures, MissingSupportFilesAreNamedWithTheirFullPath) {
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    struct Case {
        const char* file;
        std::string before; // what the run reports before it misses the file
        const char* what;
    };
    const Case cases[] = {
        {"detect.bin", "", "phase 1 file "},
        {"chiplist.txt", "", "chiplist file "},
        {"generic.bin", "One AMD Am29LV160DB chip will be read\n", "phase 2 file "},
    };
    for (const Case& c : cases) {
        // Missing, a folder or a FIFO (which must not hold the run) in the file's place.
        for (const char* inPlace : {"", "folder", "fifo"}) {
            BurnFolder folder;
            std::remove(folder.path(c.file).c_str());
            if (inPlace == std::string("folder")) {
                std::filesystem::create_directory(folder.path(c.file));
            } else if (inPlace == std::string("fifo")) {
                ASSERT_EQ(mkfifo(folder.path(c.file).c_str(), 0600), 0);
            }
            expectFailure(
                burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", sim.device}),
                c.before + "Cannot open " + c.what + folder.path(c.file) + "\n");
        }
    }
}

// flashsim playing a chip of its own list, which the programmer's list does not hold.
struct ForeignChip {
    const char* line;
    std::string message;
};

TEST(BurnFailures, ChipsMissingFromTheListAreUnsupportedOrAbsent) {
    const ForeignChip chips[] = {
        {"Odd AMD 0x1234 0x0001 65536(1*65536) generic.bin",
         "Unsupported chip found: manufacturer name - AMD, device id - 0x1234\n"},
        {"Odd Other 0x5555 0x0077 65536(1*65536) generic.bin",
         "Unsupported chip found:  manufacturer id - 0x77, device id - 0x5555\n"},
        {"Odd Ram 0 0 65536(1*65536) generic.bin", "RAM memory found at specified location\n"},
        {"Odd None 0xFFFF 0xFFFF 65536(1*65536) generic.bin",
         "Chip not present at specified location\n"},
    };
    for (const ForeignChip& chip : chips) {
        BurnFolder folder;
        const std::string simList = folder.dir.write("simlist.txt", std::string(chip.line) + "\n");
        Sim sim({"--chiplist", simList});
        ASSERT_FALSE(sim.device.empty()) << chip.line << sim.program.err();
        expectFailure(burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "1", "-l", sim.device}),
                      chip.message);
    }
}

// flashsim reporting two different chips, each from a list of flashsim's own that may hold
// chips the programmer's list does not.
struct ChipPair {
    std::vector<std::string> simList; // lines of flashsim's list; empty: the programmer's list
    const char* chip1;
    const char* chip2;
    uint32_t number;     // the error number, chip 2's case
    std::string message; // the whole report
};

TEST(BurnFailures, TwoDifferentChipsStopTheRunWithChipTwosCase) {
    const std::string listed = "Am29LV160DB AMD 0x2249 0x0001 2097152(32*65536) generic.bin";
    const std::string unknownMaker = "Odd Other 0x5555 0x1277 65536(1*65536) generic.bin";
    const std::string unknownDevice = "Odd2 AMD 0x1234 0x0001 65536(1*65536) generic.bin";
    const std::string absent = "Gone None 0xFFFF 0x12FF 65536(1*65536) generic.bin";
    const std::string ram = "Ram Ram 0 0x0100 65536(1*65536) generic.bin";
    const std::string heading = "Incompatible chips found:\n";
    const ChipPair pairs[] = {
        // Both chips listed, as different devices of two makers.
        {{},
         "Am29LV160DB",
         "MBM29LV800BA",
         14,
         heading + "Chip #1: manufacturer name - AMD, device name - Am29LV160DB\n"
                   "Chip #2: manufacturer name - Fujitsu, device name - MBM29LV800BA\n"},
        // Two listed devices of one maker.
        {{},
         "MX29LV400CT",
         "MX29LV400CB",
         14,
         heading + "Chip #1: manufacturer name - Macronix, device name - MX29LV400CT\n"
                   "Chip #2: manufacturer name - Macronix, device name - MX29LV400CB\n"},
        // Chip 2's maker is listed but not its device; chip 1's case (16) does not count.
        {{unknownMaker, unknownDevice},
         "Odd",
         "Odd2",
         15,
         heading + "Chip #1: manufacturer id - 0x77, device id - 0x5555\n"
                   "Chip #2: manufacturer name - AMD, device id - 0x1234\n"},
        // Chip 2 unknown altogether: its line shows the maker id's 16 bits, chip 1's the low
        // byte only.
        {{unknownDevice, unknownMaker},
         "Odd2",
         "Odd",
         16,
         heading + "Chip #1: manufacturer name - AMD, device id - 0x1234\n"
                   "Chip #2: manufacturer id - 0x1277, device id - 0x5555\n"},
        // Only the maker id's low byte decides "not present" and "RAM memory".
        {{listed, absent},
         "Am29LV160DB",
         "Gone",
         16,
         heading + "Chip #1: manufacturer name - AMD, device name - Am29LV160DB\n"
                   "Chip #2: not present\n"},
        {{absent, ram}, "Gone", "Ram", 16, heading + "Chip #1: not present\nChip #2: RAM memory\n"},
        {{ram, listed},
         "Ram",
         "Am29LV160DB",
         14,
         heading + "Chip #1: RAM memory\n"
                   "Chip #2: manufacturer name - AMD, device name - Am29LV160DB\n"},
    };
    for (const ChipPair& pair : pairs) {
        SCOPED_TRACE(std::string(pair.chip1) + " + " + pair.chip2);
        BurnFolder folder;
        std::vector<std::string> simArgs = {"--chip", pair.chip1, "--chip2", pair.chip2};
        if (!pair.simList.empty()) {
            std::string text;
            for (const std::string& line : pair.simList) {
                text += line + "\n";
            }
            simArgs.insert(simArgs.end(), {"--chiplist", folder.dir.write("simlist.txt", text)});
        }
        Sim sim(simArgs);
        ASSERT_FALSE(sim.device.empty()) << sim.program.err();
        const std::vector<std::string> args = {
            folder.path("out.bin"), "-r", "-f", "0", "-t", "0x3FF", "-l", sim.device};
        expectFailure(burn(args), pair.message);
        const PipeRun piped = burnPiped(args);
        EXPECT_EQ(piped.result.exitCode, 1);
        EXPECT_TRUE(piped.wellFormed);
        EXPECT_EQ(piped.records,
                  (std::vector<PipeRecord>{{pair.number, pair.message}, {1006, "1"}}));
        EXPECT_FALSE(std::filesystem::exists(folder.path("out.bin")));
    }
}

TEST(BurnFailures, DataAboveTheChipIsRefused) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    // The first chip of the list holds 2 MiB.
    expectFailure(burn({folder.path("out.bin"), "-r", "-f", "0x1FFF00", "-t", "0x200000", "-l",
                        sim.device, "-q"}),
                  "Highest data address 0x200001 above chip highest address 0x200000\n");

    Sim small({"--chip", "MX29LV400CB"});
    ASSERT_FALSE(small.device.empty());
    const std::string image = folder.dir.write("big.bin", std::vector<uint8_t>(0x80000 + 1, 0x5A));
    expectFailure(burn({image, "-l", small.device}),
                  "One Macronix MX29LV400CB chip will be programmed\n"
                  "Highest data address 0x80001 above chip highest address 0x80000\n");
}

TEST(BurnFailures, AnAxfImageOutsideBothChipRangesIsRefused) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    const std::string image = folder.dir.write(
        "far.axf", testing::makeElf({{0x20000000, std::vector<uint8_t>(0x100, 0x11)}}));
    const PipeRun piped = burnPiped({image, "-l", sim.device});
    EXPECT_EQ(piped.result.exitCode, 1);
    ASSERT_EQ(piped.records.size(), 4u) << piped.result.out;
    EXPECT_EQ(piped.records[0], (PipeRecord{1001, "AXF 0x20000000 0x200000ff"}));
    EXPECT_EQ(piped.records[1], (PipeRecord{1000, "1 AMD Am29LV160DB"}));
    EXPECT_EQ(piped.records[2], (PipeRecord{33, "AXF data area [0x20000000, 0x200000ff] not fully "
                                                "within\nlow chip range [0x0, 0x1fffff] or\n"
                                                "high chip range [0x40000000, 0x401fffff]\n"}));
    EXPECT_EQ(piped.records[3], (PipeRecord{1006, "1"}));
}

// Failures of the phase-2 start and of the line before the programmer's recovery is on: a chip
// list that names the phase-1 loader as the phase-2 program (the target will not start it), a
// fault at the error bits, a fault at the first packet. Each is the run's numbered error with
// FAIL in the result file.
TEST(BurnFailures, APhase2ThatWillNotStartAndEarlyLineFaultsAreNumbered) {
    const struct {
        std::vector<std::string> simOptions;
        const char* phase2File; // named by the programmer's chip list
        std::string message;
    } cases[] = {
        {{},
         "detect.bin",
         "One AMD Am29LV160DB chip will be read\nError downloading phase 2 program\n"},
        {{"--nak-rate", "1", "--faults-from", "params"},
         "generic.bin",
         "One AMD Am29LV160DB chip will be read\nCannot send info about error bits\n"},
        {{"--nak-rate", "1", "--faults-from", "start"}, "generic.bin", "Target not responding\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        BurnFolder folder;
        std::ifstream shipped(folder.path("chiplist.txt"));
        std::string list((std::istreambuf_iterator<char>(shipped)),
                         std::istreambuf_iterator<char>());
        for (size_t at = list.find("generic.bin"); at != std::string::npos;
             at = list.find("generic.bin", at + 1)) {
            list.replace(at, 11, c.phase2File);
        }
        folder.dir.write("chiplist.txt", list);
        Sim sim(c.simOptions);
        ASSERT_FALSE(sim.device.empty());
        expectFailure(
            burn({folder.path("out.bin"), "-r", "-f", "0", "-t", "0x3FF", "-l", sim.device, "-sr"}),
            c.message);
        const std::string result =
            folder.path("RES" + sim.device.substr(sim.device.rfind('/') + 1));
        EXPECT_EQ(testing::readBytes(result),
                  (std::vector<uint8_t>{'F', 'A', 'I', 'L', '\r', '\n'}));
        EXPECT_FALSE(std::filesystem::exists(folder.path("out.bin")));
    }
}

TEST(BurnFailures, AMissingDataFileIsNamed) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    expectFailure(burn({folder.path("absent.hex"), "-l", sim.device}),
                  "Cannot open data file " + folder.path("absent.hex") + "\n");
}

TEST(BurnFailures, AnOutputFileThatCannotBeCreatedIsADataFileError) {
    BurnFolder folder;
    Sim sim({});
    ASSERT_FALSE(sim.device.empty());
    const std::string out = folder.path("no-such-folder/out.bin");
    // Found before the chip is even identified, not after the read.
    for (const std::string& bad : {out, folder.path("")}) {
        expectFailure(burn({bad, "-r", "-f", "0", "-t", "0x3FF", "-l", sim.device}),
                      "Cannot open data file " + bad + "\n");
    }
}

} // namespace
} // namespace zeph::flash::e2e
