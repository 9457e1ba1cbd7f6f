#include "flash/engine/cli/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeph::flash {
namespace {

struct Parsed {
    std::optional<Options> options;
    std::string out;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "ZephBurnCL");
    MemorySink sink;
    Parsed p;
    p.options = ParseOptions(static_cast<int>(args.size()), args.data(), sink);
    p.out = sink.bytes;
    return p;
}

const char kUsage[] =
    "Fast in-circuit flash programmer for Vireo, Version 2.02\n"
    "\n"
    "Usage: ZephBurnCL <filename> [<option>...]\n"
    "  where option may be:\n"
    "    -l N - communication line N = 1..32 / default is -l 1 (i.e. com1)\n"
    "    -b N - baud rate N = 38400,57600,115200,230400,307200/ default is -b 115200\n"
    "    -o N - chip offset / default is -o 0\n"
    "    -c N - chip select N = 0 .. 7 / default is -c 0 (i.e. CSN0)\n"
    "    -e   - erase whole chip(s) before programming / default is relevant sectors\n"
    "    -u   - update sectors/ default is erase sectors\n"
    "    -r   - read from flash/ default is program flash\n"
    "    -f   - read from address\n"
    "    -t   - read to address\n"
    "    -q   - quiet mode i.e. no info displayed\n"
    "    -sr  - save result in RESCOMn\n";

TEST(ParseOptions, UsageForNoArgumentOrLoneHelp) {
    for (const auto& args : {std::vector<const char*>{}, std::vector<const char*>{"-h"},
                             std::vector<const char*>{"-H"}, std::vector<const char*>{"--help"}}) {
        Parsed p = parse(args);
        EXPECT_FALSE(p.options);
        EXPECT_EQ(p.out, kUsage);
    }
    // After a file name "-h" is just an unknown option.
    for (const char* help : {"-h", "--help"}) {
        Parsed p = parse({"a.hex", help});
        EXPECT_FALSE(p.options);
        EXPECT_EQ(p.out, std::string("Option ") + help + " not recognized\n");
    }
}

TEST(ParseOptions, DefaultsWithOnlyAFileName) {
    Parsed p = parse({"image.s19"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.out, "");
    const Options& o = *p.options;
    EXPECT_EQ(o.dataFile, "image.s19");
    EXPECT_EQ(o.port, "COM1");
    EXPECT_EQ(o.baudRate, 115200u);
    EXPECT_EQ(o.chipOffset, 0u);
    EXPECT_EQ(o.chipSelect, 0);
    EXPECT_FALSE(o.eraseChip || o.update || o.read || o.quiet || o.saveResult || o.verbose);
    EXPECT_EQ(o.compression, 2);
    EXPECT_EQ(o.clockSource, ClockSource::Gps);
    EXPECT_EQ(o.clockDivider, 2);
    EXPECT_FALSE(o.pipeMode());
}

TEST(ParseOptions, AcceptedValuesAndCaseInsensitiveNames) {
    Parsed p = parse({"f.bin", "-L", "12", "-B", "307200", "-o", "0x100", "-C", "0x7", "-E", "-Q",
                      "-SR", "-V", "-CM", "0", "-PCS", "acq", "-PCD", "4"});
    ASSERT_TRUE(p.options) << p.out;
    const Options& o = *p.options;
    EXPECT_EQ(o.port, "COM12");
    EXPECT_EQ(o.baudRate, 307200u);
    EXPECT_EQ(o.chipOffset, 0x100u);
    EXPECT_EQ(o.chipSelect, 7);
    EXPECT_TRUE(o.eraseChip && o.quiet && o.saveResult && o.verbose);
    EXPECT_EQ(o.compression, 0);
    EXPECT_EQ(o.clockSource, ClockSource::Acq);
    EXPECT_EQ(o.clockDivider, 4);

    // Octal literal form for the chip offset, device path for the line.
    p = parse({"f.bin", "-o", "010", "-l", "/dev/pts/7"});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->chipOffset, 8u);
    EXPECT_EQ(p.options->port, "/dev/pts/7");
}

struct Refusal {
    std::vector<const char*> args;
    const char* message;
};

TEST(ParseOptions, RefusedValuesPrintTheirMessage) {
    const Refusal cases[] = {
        {{"-l", "33"}, "Port 33 not recognized\n"},
        {{"-l", "0"}, "Port 0 not recognized\n"},
        {{"-l", "x1"}, "Port x1 not recognized\n"},
        {{"-l", "0x3"}, "Port 0x3 not recognized\n"},
        {{"-b", "9600"}, "Speed 9600 not recognized\n"},
        {{"-b", "0x1c200"}, "Speed 0x1c200 not recognized\n"},
        {{"-o", "12z"}, "Chip offset 12z is not recognized\n"},
        {{"-o", "0x100000000"}, "Chip offset 0x100000000 is not recognized\n"},
        {{"-c", "8"}, "Chip select 8 is not recognized\n"},
        {{"-c", "-1"}, "Chip select -1 is not recognized\n"},
        {{"-r", "-f", "abc", "-t", "1"}, "From address abc is not recognized\n"},
        {{"-r", "-f", "-4", "-t", "1"}, "From address -4 is not recognized\n"},
        {{"-r", "-f", "0", "-t", ""}, "To address  is not recognized\n"},
        {{"-cm", "3"}, "Compression method 3 is not recognized\n"},
        {{"-pcs", "pll"}, "Processor clock source pll is not recognized\n"},
        {{"-pcd", "3"}, "Processor clock divider 3 is not recognized\n"},
        {{"-pcd", "8"}, "Processor clock divider 8 is not recognized\n"},
        {{"-x"}, "Option -x not recognized\n"},
        {{"extra.bin"}, "Option extra.bin not recognized\n"},
        {{"-b"}, "Option -b needs a value\n"},
        // Bad pipe handles end the run without a word.
        {{"-wp", "pipe"}, ""},
        {{"-rp", "-3"}, ""},
        {{"-wp"}, ""},
    };
    for (const Refusal& c : cases) {
        std::vector<const char*> args{"data.hex"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Parsed p = parse(args);
        EXPECT_FALSE(p.options) << c.message;
        EXPECT_EQ(p.out, c.message);
    }
}

TEST(ParseOptions, FirstRefusalWins) {
    Parsed p = parse({"d", "-b", "1", "-c", "9"});
    EXPECT_EQ(p.out, "Speed 1 not recognized\n");
}

TEST(ParseOptions, ConflictsInTheirOrder) {
    const Refusal cases[] = {
        {{"-r", "-f", "0"}, "When read requested -f and -t must be specified\n"},
        {{"-r", "-t", "0", "-e", "-u"}, "When read requested -f and -t must be specified\n"},
        {{"-r", "-f", "0", "-t", "1", "-e", "-u"}, "When read requested -e is not allowed\n"},
        {{"-r", "-f", "0", "-t", "1", "-u"}, "When read requested -u is not allowed\n"},
        {{"-t", "5"}, "When programming requested -f and -t should not be specified\n"},
        {{"-f", "5", "-e", "-u"}, "When programming requested -f and -t should not be specified\n"},
        {{"-e", "-u", "-o", "0x10000000"}, "Conflicting options -u (update) and -e (erase)\n"},
        {{"-r", "-f", "0x100", "-t", "0xff", "-o", "0x10000000"},
         "From address must be lower than To address\n"},
        {{"-o", "0x10000000"}, "Relocation 0x10000000 is invalid\n"},
        {{"-o", "-1"}, "Relocation 0xffffffff is invalid\n"},
    };
    for (const Refusal& c : cases) {
        std::vector<const char*> args{"data.hex"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Parsed p = parse(args);
        EXPECT_FALSE(p.options) << c.message;
        EXPECT_EQ(p.out, c.message);
    }
}

TEST(ParseOptions, ReadRangeOfOneByteAndLargestOffset) {
    Parsed p = parse({"out.bin", "-r", "-f", "0x2000", "-t", "8192", "-o", "0xFFFFFFF"});
    ASSERT_TRUE(p.options) << p.out;
    EXPECT_TRUE(p.options->read);
    EXPECT_EQ(p.options->fromAddr, 0x2000);
    EXPECT_EQ(p.options->toAddr, 0x2000);
    EXPECT_EQ(p.options->chipOffset, 0x0FFFFFFFu);
}

TEST(ParseOptions, PipeModeNeedsBothHandles) {
    Parsed p = parse({"d", "-wp", "5"});
    ASSERT_TRUE(p.options);
    EXPECT_FALSE(p.options->pipeMode());
    p = parse({"d", "-wp", "5", "-rp", "6"});
    ASSERT_TRUE(p.options);
    EXPECT_TRUE(p.options->pipeMode());
    EXPECT_EQ(p.options->writePipe, 5);
    EXPECT_EQ(p.options->readPipe, 6);
    p = parse({"d", "-wp", "0", "-rp", "6"});
    ASSERT_TRUE(p.options);
    EXPECT_FALSE(p.options->pipeMode());
}

} // namespace
} // namespace zeph::flash
