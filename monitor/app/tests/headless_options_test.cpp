#include "monitor/app/headless_options.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

ParsedOptions parse(std::vector<std::string> args) {
    return parseHeadlessOptions(args);
}

TEST(HeadlessOptions, Sources) {
    auto serial = parse({"--headless", "--source", "serial:/dev/pts/7@115200"});
    ASSERT_TRUE(serial.options && serial.options->source);
    EXPECT_EQ(serial.options->source->src, 0);
    EXPECT_EQ(serial.options->source->serPort, "/dev/pts/7");
    EXPECT_EQ(serial.options->source->serBaud, "115200");
    EXPECT_EQ(serial.options->source->serPar, "NONE");

    auto com = parse({"--source", "serial:COM3"});
    EXPECT_EQ(com.options->source->serPort, "COM3");
    EXPECT_EQ(com.options->source->serBaud, "57600");

    auto csv = parse({"--source", "csv:/tmp/a.csv"});
    EXPECT_EQ(csv.options->source->src, 1);
    EXPECT_EQ(csv.options->source->fileType, "CSV");
    auto file = parse({"--source", "file:/tmp/a.bin"});
    EXPECT_EQ(file.options->source->fileType, "Binary");
    EXPECT_EQ(parse({"--source", "random"}).options->source->src, 2);
}

TEST(HeadlessOptions, SelectionAndTime) {
    auto all = parse({"--select", "all", "--seconds", "10", "--log", "x.gps"});
    ASSERT_TRUE(all.options);
    EXPECT_EQ(*all.options->selection, std::string(256, '1'));
    EXPECT_EQ(*all.options->seconds, 10);
    EXPECT_EQ(*all.options->logPath, "x.gps");
    auto some = parse({"--select", "2,41"});
    EXPECT_EQ(some.options->selection->substr(0, 4), "0010");
    EXPECT_FALSE(parse({}).options->selection);
}

TEST(HeadlessOptions, RefusesBadInputWithOneLine) {
    const std::string source = "--source takes serial:PORT[@BAUD], file:PATH, csv:PATH or random";
    const std::string seconds = "--seconds takes a whole number from 1 to 2147483647";
    const struct {
        std::vector<std::string> args;
        std::string error;
    } rows[] = {
        {{"--source", "serial:"}, source},
        {{"--source", "serial:COM1@fast"}, source},
        {{"--source", "tcp:1"}, source},
        {{"--source", "random:x"}, source},
        {{"--source"}, "--source needs a value (see --help)"},
        {{"--log"}, "--log needs a value (see --help)"},
        {{"--select", "1-"}, "--select takes all or MIDs and ranges, e.g. 1-15,41,255"},
        {{"--seconds", "0"}, seconds},
        {{"--seconds", "ten"}, seconds},
        {{"--seconds", "2147483648"}, seconds},
        {{"--settings", ""}, "--settings takes a file name"},
        {{"--frobnicate"}, "unknown option --frobnicate (see --help)"},
        {{"--headless", "capture.bin"}, "unexpected argument capture.bin (see --help)"},
    };
    for (const auto& row : rows) {
        const ParsedOptions p = parseHeadlessOptions(row.args);
        EXPECT_FALSE(p.options) << ::testing::PrintToString(row.args);
        EXPECT_EQ(p.error, row.error) << ::testing::PrintToString(row.args);
    }
    EXPECT_TRUE(parse({"--help"}).help);
}

} // namespace
} // namespace zeph::monitor
