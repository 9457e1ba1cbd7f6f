#include "flash/frontend/core/front_options.h"

#include <gtest/gtest.h>

namespace zeph::burnfront {
namespace {

using Words = std::vector<std::string>;

TEST(InvocationLine, QuotesGroupWordsAndAnOpenQuoteFails) {
    struct Case {
        const char* line;
        std::optional<Words> words;
    };
    const Case cases[] = {
        {"a.s  -l 2", Words{"a.s", "-l", "2"}},
        {"\"my image.s\" -r", Words{"my image.s", "-r"}},
        {"'say \"hi\"' \"it's\"", Words{"say \"hi\"", "it's"}},
        {"pre\"fix suf\"fix", Words{"prefix suffix"}},
        {"\"\" x", Words{"", "x"}},
        {"a.s \"-l 2", std::nullopt},
        {"a.s '", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitInvocationLine(c.line), c.words) << c.line;
    }
}

TEST(InvocationLine, ArgumentsWithBlanksComeBackWhole) {
    const Words words = {"/tmp/a b/image.s", "-o", "0x20000", "say \"hi\" there", ""};
    EXPECT_EQ(splitInvocationLine(invocationLine(words)), words);
    // A lone quote inside an argument is still the line's syntax.
    EXPECT_EQ(parseInvocation({"a\"b"}).refusal, kInvocationError);
}

TEST(FrontOptions, EveryRefusalNamesTheValueOrWord) {
    struct Case {
        Words words;
        const char* refusal;
    };
    const Case cases[] = {
        {{"-l", "33"}, "Line 33 not recognized!\nProgram will terminate."},
        {{"-l", "0"}, "Line 0 not recognized!\nProgram will terminate."},
        {{"-l", "0x2"}, "Line 0x2 not recognized!\nProgram will terminate."},
        {{"-b", "9600"}, "Speed 9600 not recognized!\nProgram will terminate."},
        {{"-o", "12k"}, "Chip offset 12k not recognized!\nProgram will terminate."},
        {{"-c", "8"}, "Chip select 8 not recognized!\nProgram will terminate.\n"},
        {{"-c", "-1"}, "Chip select -1 not recognized!\nProgram will terminate.\n"},
        {{"-r", "-f", "zero"}, "From address zero is not recognized!\nProgram will terminate."},
        {{"-t", "0x"}, "To address 0x is not recognized!\nProgram will terminate."},
        {{"-cm", "3"}, "Compression method 3 is not recognized\n"},
        {{"-pcs", "GPS"}, "Processor clock source GPS is not recognized\n"},
        {{"-pcd", "3"}, "Processor clock divider 3 is not recognized\n"},
        {{"-x"}, "Option -x not recognized!\nProgram will terminate."},
        {{"-h"}, "Option -h not recognized!\nProgram will terminate."},
        {{"a.s", "b.s"}, "Multiple files specified!\nProgram will terminate."},
        {{"a.s", "-L"}, "Option -L needs a value!\nProgram will terminate."},
    };
    for (const Case& c : cases) {
        const FrontOptionsResult r = parseFrontOptions(c.words);
        EXPECT_FALSE(r.options.has_value()) << c.refusal;
        EXPECT_EQ(r.refusal, c.refusal);
    }
}

TEST(FrontOptions, ValuesAreTakenAsTypedAndNamesWithoutCase) {
    const FrontOptionsResult r = parseFrontOptions(
        {"-L",  "12", "-B",   "307200", "-o",   "0x020000", "-C",     "0x7", "-U",
         "-E",  "-R", "-f",   "010",    "-T",   "0xFF",     "-AE",    "-aX", "-Sr",
         "-cm", "0",  "-pcs", "acq",    "-pcd", "4",        "out.bin"});
    ASSERT_TRUE(r.options) << r.refusal;
    const FrontOptions& o = *r.options;
    EXPECT_EQ(o.line, 12);
    EXPECT_EQ(o.baudRate, "307200");
    EXPECT_EQ(o.chipOffset, "0x020000");
    EXPECT_EQ(o.chipSelect, 7);
    EXPECT_EQ(o.erase, EraseMode::WholeChip); // -e wins though -u came first
    EXPECT_TRUE(o.read && o.autoExecute && o.autoExit && o.saveResult && o.clockAcq);
    EXPECT_EQ(o.fromAddress, "010");
    EXPECT_EQ(o.toAddress, "0xFF");
    EXPECT_EQ(o.compression, 0);
    EXPECT_EQ(o.clockDivider, 4);
    EXPECT_EQ(o.dataFile, "out.bin");

    EXPECT_EQ(parseFrontOptions({"-u"}).options->erase, EraseMode::Update);
    const FrontOptions defaults = *parseFrontOptions({}).options;
    EXPECT_EQ(defaults.line, 0);
    EXPECT_EQ(defaults.chipOffset, "0");
    EXPECT_EQ(defaults.erase, EraseMode::RelevantSectors);

    // Every option taken above is explained by the help.
    const std::string help = helpText();
    for (const char* option : {"-l", "-b", "-o", "-c", "-e", "-u", "-r", "-f", "-t", "-ae", "-ax",
                               "-sr", "-cm", "-pcs", "-pcd"}) {
        EXPECT_NE(help.find(std::string(" ") + option + " "), std::string::npos) << option;
    }
}

} // namespace
} // namespace zeph::burnfront
