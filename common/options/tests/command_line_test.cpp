#include "common/options/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zeph {
namespace {

using Strings = std::vector<std::string>;

constexpr OptionSpec kOptions[] = {{"--help"}, {"-h"}, {"--seed", true}, {"--rate", true}};

// What the scanner hands on, "name=value" or the operand, then "error: " and the refusal.
Strings scan(const Strings& args, const ScanRules& rules) {
    Strings seen;
    CommandLine line(args, rules);
    while (const auto arg = line.next()) {
        seen.push_back(arg->name.empty() ? arg->value : arg->name + "=" + arg->value);
    }
    if (!line.error().empty()) {
        seen.push_back("error: " + line.error());
    }
    return seen;
}

TEST(CommandLine, HandsOnOptionsOperandsAndOneRefusal) {
    const ScanRules separate{.options = kOptions};
    const ScanRules joined{.options = kOptions, .inlineValues = true, .maxOperands = 1};
    const ScanRules ownMissing{.options = kOptions,
                               .maxOperands = 1,
                               .unknown = "unknown option %s (see --help)",
                               .unexpected = "unexpected argument %s (see --help)",
                               .needsValue = ""};
    struct Row {
        Strings args;
        const ScanRules& rules;
        Strings seen;
    };
    const Row rows[] = {
        {{}, separate, {}},
        {{"--help", "-h", "--seed", "-5", "--rate", ""},
         separate,
         {"--help=", "-h=", "--seed=-5", "--rate="}},
        {{"--seed=5"}, separate, {"error: unknown option --seed=5"}},
        {{"--seed=5", "--rate=a=b", "-", "--seed", "--help"},
         joined,
         {"--seed=5", "--rate=a=b", "-", "--seed=--help"}},
        {{"--help=1", "--seed", "1"}, joined, {"error: --help takes no value"}},
        {{"--bogus=1"}, joined, {"error: unknown option --bogus=1"}},
        {{"--help", "--seed"}, separate, {"--help=", "error: --seed needs a value"}},
        {{"--seed"}, ownMissing, {"--seed="}},
        {{"file", "--help", "more"},
         ownMissing,
         {"file", "--help=", "error: unexpected argument more (see --help)"}},
        {{"extra"}, separate, {"error: unexpected argument extra"}},
        {{"-x", "--help"}, joined, {"error: unknown option -x"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(scan(row.args, row.rules), row.seen) << ::testing::PrintToString(row.args);
    }
}

TEST(CommandLine, NumbersTakeOnlyTheirDigitsWithinTheRange) {
    struct Row {
        const char* text;
        Radix radix;
        std::optional<int64_t> value;
    };
    const Row rows[] = {
        {"0", Radix::Decimal, 0},    {"-1", Radix::Decimal, -1}, {"300", Radix::Decimal, 300},
        {"301", Radix::Decimal, {}}, {"-2", Radix::Decimal, {}}, {"", Radix::Decimal, {}},
        {" 5", Radix::Decimal, {}},  {"+5", Radix::Decimal, {}}, {"5x", Radix::Decimal, {}},
        {"010", Radix::Decimal, 10}, {"010", Radix::C, 8},       {"0x1F", Radix::C, 31},
        {"0X1f", Radix::C, 31},      {"0x", Radix::C, {}},       {"08", Radix::C, {}},
        {"0x-1", Radix::C, {}},      {"0", Radix::C, 0},         {"0x12D", Radix::C, {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(parseNumber<int64_t>(row.text, -1, 300, row.radix), row.value) << row.text;
    }
    EXPECT_EQ(parseNumber<uint64_t>("18446744073709551615", 0, UINT64_MAX), UINT64_MAX);
    EXPECT_EQ(parseNumber<uint64_t>("18446744073709551616", 0, UINT64_MAX), std::nullopt);
    EXPECT_EQ(parseNumber<uint32_t>("-0", 0, 5), std::nullopt);
}

TEST(CommandLine, RealsStayWithinTheRange) {
    EXPECT_EQ(parseReal("0.25", 0, 1), 0.25);
    EXPECT_EQ(parseReal("1e0", 0, 1), 1.0);
    EXPECT_EQ(parseReal(".5", 0, 1), 0.5);
    for (const char* bad : {"", "1.5", "-0.1", "nan", "inf", "0.5x", " 0.5"}) {
        EXPECT_EQ(parseReal(bad, 0, 1), std::nullopt) << bad;
    }
}

} // namespace
} // namespace zeph
