#include "sim/receiver/sim_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeph::sim::testing {
namespace {

using Args = std::vector<std::string>;

TEST(SimOptionsTest, DefaultsDescribeAPlainBinaryReceiver) {
    const ParsedOptions parsed = parseOptions({});
    ASSERT_TRUE(parsed.options);
    const SimOptions& o = *parsed.options;
    EXPECT_TRUE(o.link.empty());
    EXPECT_EQ(o.engine.line.baud, 57600u);
    EXPECT_EQ(o.engine.protocol, Protocol::Binary);
    EXPECT_EQ(o.engine.version, "231.000.000-ZEPHSIM");
    // The default version reports software 2.3 or higher, which sends doubles plainly.
    EXPECT_TRUE(o.engine.plainDoubles);
    EXPECT_EQ(o.faults.noise, 0.0);
    EXPECT_FALSE(o.faults.splitWrites);
    EXPECT_TRUE(o.countsPath.empty());
}

TEST(SimOptionsTest, EveryOptionIsTaken) {
    const ParsedOptions parsed = parseOptions({"--link",         "/dev/ttyS3",
                                               "--baud=9600",    "--protocol",
                                               "nmea",           "--version",
                                               "2.2.0 TEST",     "--navlib",
                                               "--doubles",      "low",
                                               "--debug-every",  "0",
                                               "--noise",        "0.25",
                                               "--bad-checksum", "1",
                                               "--bad-tail=0.5", "--split-writes",
                                               "--seed",         "42",
                                               "--counts",       "/tmp/c.txt",
                                               "--drovana",      "--beacon"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SimOptions& o = *parsed.options;
    EXPECT_EQ(o.link, "/dev/ttyS3");
    EXPECT_EQ(o.engine.line.baud, 9600u);
    EXPECT_EQ(o.engine.protocol, Protocol::Nmea);
    EXPECT_EQ(o.engine.version, "2.2.0 TEST");
    EXPECT_TRUE(o.engine.navLib);
    EXPECT_FALSE(o.engine.plainDoubles);
    EXPECT_EQ(o.engine.debugEverySeconds, 0u);
    EXPECT_EQ(o.faults.noise, 0.25);
    EXPECT_EQ(o.faults.badChecksum, 1.0);
    EXPECT_EQ(o.faults.badTail, 0.5);
    EXPECT_TRUE(o.faults.splitWrites);
    EXPECT_EQ(o.faults.seed, 42u);
    EXPECT_EQ(o.countsPath, "/tmp/c.txt");
    EXPECT_TRUE(o.engine.drovana);
    EXPECT_TRUE(o.engine.beacon);
}

TEST(SimOptionsTest, BadOptionsGiveOneLine) {
    const std::pair<Args, const char*> bad[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"--bogus=1"}, "unknown option --bogus=1"},
        {{"extra"}, "unexpected argument extra"},
        {{"--baud"}, "--baud needs a value"},
        {{"--navlib=1"}, "--navlib takes no value"},
        {{"--baud", "fast"}, "--baud takes a rate from 300 to 4000000"},
        {{"--baud", "100"}, "--baud takes a rate from 300 to 4000000"},
        {{"--baud", "-9600"}, "--baud takes a rate from 300 to 4000000"},
        {{"--protocol", "x"}, "--protocol takes binary or nmea"},
        {{"--doubles", "big"}, "--doubles takes plain or low"},
        {{"--noise", "1.5"}, "--noise takes a rate from 0 to 1"},
        {{"--noise", "-0.1"}, "--noise takes a rate from 0 to 1"},
        {{"--noise", "nan"}, "--noise takes a rate from 0 to 1"},
        {{"--bad-tail", ""}, "--bad-tail takes a rate from 0 to 1"},
        {{"--seed", "x1"}, "--seed takes a whole number"},
        {{"--version", ""}, "--version takes a text of 1 to 250 characters"},
        {{"--link", ""}, "--link needs a device path"},
        {{"--counts="}, "--counts needs a file path"},
        {{"--debug-every", "256"}, "--debug-every takes a number of seconds from 0 to 255"},
        {{"--start-after", "3601"}, "--start-after takes a number of seconds from 0 to 3600"},
    };
    for (const auto& [args, error] : bad) {
        const ParsedOptions parsed = parseOptions(args);
        EXPECT_FALSE(parsed.options) << args[0];
        EXPECT_EQ(parsed.error, std::string(error) + " (see --help)");
    }
}

TEST(SimOptionsTest, HelpListsEveryOptionAndTheCountsFormat) {
    const std::string text = usage();
    for (const char* option :
         {"--link", "--baud", "--protocol", "--version", "--navlib", "--doubles", "--debug-every",
          "--noise", "--bad-checksum", "--bad-tail", "--split-writes", "--seed", "--counts",
          "--drovana", "--beacon", "--help", "MID <n>: <count>"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace zeph::sim::testing
