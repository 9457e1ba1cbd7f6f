#include "flash/target/flashsim_options.h"

#include <gtest/gtest.h>

namespace zeph::flashsim {
namespace {

TEST(FlashsimOptions, DefaultsPlayOneChipOnA16BitBus) {
    const ParsedOptions parsed = parseOptions({});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const TargetConfig& t = parsed.options->target;
    EXPECT_EQ(t.variant, 0x21);
    EXPECT_EQ(t.busWidth, 16);
    EXPECT_EQ(t.chipCount, 1);
    EXPECT_EQ(t.eraseUs, 20'000u);
    EXPECT_EQ(t.programUs, 2'000u);
    EXPECT_TRUE(t.chipEraseSupported);
    EXPECT_FALSE(t.faults.errorAt);
    EXPECT_TRUE(parsed.options->link.empty());
}

TEST(FlashsimOptions, ValuesInBothFormsAndCNumbers) {
    const ParsedOptions parsed = parseOptions(
        {"--bus=32",      "--variant",       "0x23",       "--error-at",       "0x1C00",
         "--erase-ms=0",  "--program-ms",    "5",          "--nak-rate",       "0.25",
         "--seed=7",      "--no-chip-erase", "--chip",     "SST39VF1601",      "--flash",
         "/tmp/f.bin",    "--link",          "/dev/ttyS1", "--quiet-reset-ms", "0",
         "--faults-from", "params"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const FlashsimOptions& o = *parsed.options;
    EXPECT_EQ(o.target.busWidth, 32);
    EXPECT_EQ(o.target.chipCount, 2); // two 16-bit chips side by side
    EXPECT_EQ(o.target.variant, 0x23);
    EXPECT_EQ(o.target.faults.errorAt, 0x1C00u);
    EXPECT_EQ(o.target.eraseUs, 0u);
    EXPECT_EQ(o.target.programUs, 5'000u);
    EXPECT_DOUBLE_EQ(o.target.faults.nakRate, 0.25);
    EXPECT_EQ(o.target.faults.seed, 7u);
    EXPECT_FALSE(o.target.chipEraseSupported);
    EXPECT_EQ(o.chipName, "SST39VF1601");
    EXPECT_EQ(o.target.flashPath, "/tmp/f.bin");
    EXPECT_EQ(o.link, "/dev/ttyS1");
    EXPECT_EQ(o.target.quietResetUs, 0u);
    EXPECT_EQ(o.target.faults.from, FaultStart::Params);
    EXPECT_EQ(parseOptions({}).options->target.faults.from, FaultStart::Run);
    EXPECT_EQ(parseOptions({}).options->target.quietResetUs, kQuietResetUs);
    EXPECT_EQ(parseOptions({"--bus", "32", "--chips", "1"}).options->target.chipCount, 1);
}

TEST(FlashsimOptions, ASecondChipNameImpliesTwoChips) {
    const ParsedOptions parsed = parseOptions({"--chip", "MX29LV400CB", "--chip2=SST39VF1601"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->chipName, "MX29LV400CB");
    EXPECT_EQ(parsed.options->chip2Name, "SST39VF1601");
    EXPECT_EQ(parsed.options->target.busWidth, 16);
    EXPECT_EQ(parsed.options->target.chipCount, 2);
    EXPECT_EQ(parseOptions({"--chips", "2", "--chip2", "X"}).options->target.chipCount, 2);
    EXPECT_TRUE(parseOptions({}).options->chip2Name.empty());
}

TEST(FlashsimOptions, BadOptionsGiveOneLine) {
    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"--bus", "8"}, "bad value for --bus: 8"},
        {{"--chips", "3"}, "bad value for --chips: 3"},
        {{"--variant", "256"}, "bad value for --variant: 256"},
        {{"--variant", "0400"}, "bad value for --variant: 0400"},
        {{"--nak-rate", "2"}, "bad value for --nak-rate: 2"},
        {{"--drop-rate", "x"}, "bad value for --drop-rate: x"},
        {{"--erase-ms", "-1"}, "bad value for --erase-ms: -1"},
        {{"--seed", "0x100000000"}, "bad value for --seed: 0x100000000"},
        {{"--chip2", ""}, "bad value for --chip2: "},
        {{"--faults-from", "later"}, "bad value for --faults-from: later"},
        {{"--error-at"}, "option --error-at needs a value"},
        {{"--help=yes"}, "option --help takes no value"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"--frobnicate=1"}, "unknown option --frobnicate=1"},
        {{"-h"}, "unknown option -h"},
        {{"extra"}, "unexpected argument extra"},
        {{"--chip2", "X", "--chips", "1"},
         "--chip2 plays a second chip, which --chips 1 leaves out"},
    };
    for (const auto& [args, error] : bad) {
        const ParsedOptions parsed = parseOptions(args);
        EXPECT_FALSE(parsed.options) << args[0];
        EXPECT_EQ(parsed.error, std::string(error) + " (see --help)");
    }
}

TEST(FlashsimOptions, HelpNamesEveryOption) {
    const std::string text = usage();
    for (const char* name :
         {"--link", "--chiplist", "--chip ", "--chip2", "--chips", "--bus", "--variant",
          "--erase-ms", "--program-ms", "--no-chip-erase", "--flash", "--nak-rate",
          "--corrupt-rate", "--drop-rate", "--error-at", "--seed", "--help", "LZSS"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

} // namespace
} // namespace zeph::flashsim
