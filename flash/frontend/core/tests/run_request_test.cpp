#include "flash/frontend/core/run_request.h"

#include "scripted_prompter.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include <sys/stat.h>

namespace zeph::burnfront {
namespace {

using Args = std::vector<std::string>;
using Answer = Prompter::Answer;

struct Files {
    std::set<std::string> present;
    std::vector<std::string> removed;
    OutputFileOps ops() {
        return {[this](const std::string& p) {
                    return present.count(p) > 0 ? PathKind::RegularFile : PathKind::Missing;
                },
                [this](const std::string& p) { removed.push_back(p); }};
    }
};

RunSettings programming() {
    RunSettings s;
    s.port = "COM1";
    s.dataFile = "image.s";
    return s;
}

RunSettings reading(const char* from, const char* to) {
    RunSettings s = programming();
    s.programming = false;
    s.dataFile = "out.bin";
    s.fromAddress = from;
    s.toAddress = to;
    return s;
}

struct Case {
    const char* name;
    RunSettings settings;
    std::vector<Answer> answers;
    std::optional<Args> args;
    std::vector<std::string> shown;
};

TEST(PrepareRun, ChecksTextsQuestionsAndTheCommandLine) {
    const char* suspicious = "Suspicious chip offset value.\nDo you want to continue?";
    auto with = [](RunSettings s, auto change) {
        change(s);
        return s;
    };
    const Case cases[] = {
        {"defaults carry no -b -c -o -cm -pcs -pcd",
         programming(),
         {},
         Args{"image.s", "-l", "1"},
         {}},
        {"no file",
         with(programming(), [](RunSettings& s) { s.dataFile.clear(); }),
         {},
         std::nullopt,
         {"Data file not specified"}},
        {"0x10000 asks, No stops",
         with(programming(), [](RunSettings& s) { s.chipOffset = "0x10000"; }),
         {Answer::No},
         std::nullopt,
         {suspicious}},
        {"0x10000 asks, Yes goes on",
         with(programming(), [](RunSettings& s) { s.chipOffset = "0x10000"; }),
         {Answer::Yes},
         Args{"image.s", "-l", "1", "-o", "0x10000"},
         {suspicious}},
        {"0x20000 does not ask",
         with(programming(), [](RunSettings& s) { s.chipOffset = "0x20000"; }),
         {},
         Args{"image.s", "-l", "1", "-o", "0x20000"},
         {}},
        {"0 written as 00 adds no -o",
         with(programming(), [](RunSettings& s) { s.chipOffset = "00"; }),
         {},
         Args{"image.s", "-l", "1"},
         {}},
        {"empty offset",
         with(programming(), [](RunSettings& s) { s.chipOffset.clear(); }),
         {},
         std::nullopt,
         {"Invalid chip offset"}},
        {"negative offset",
         with(programming(), [](RunSettings& s) { s.chipOffset = "-131072"; }),
         {},
         std::nullopt,
         {"Invalid chip offset"}},
        {"offset not a number",
         with(programming(), [](RunSettings& s) { s.chipOffset = "1M"; }),
         {},
         std::nullopt,
         {"Invalid chip offset"}},
        {"every choice off its default, in order",
         with(programming(),
              [](RunSettings& s) {
                  s.port = "COM12";
                  s.baudRate = "307200";
                  s.chipSelect = 3;
                  s.chipOffset = "0x40000";
                  s.erase = EraseMode::Update;
                  s.compression = 1;
                  s.clockAcq = true;
                  s.clockDivider = 4;
                  s.saveResult = true;
              }),
         {},
         Args{"image.s", "-l", "12", "-b", "307200", "-c", "3", "-o", "0x40000", "-u", "-cm", "1",
              "-pcs", "acq", "-pcd", "4", "-sr"},
         {}},
        {"whole chip",
         with(programming(), [](RunSettings& s) { s.erase = EraseMode::WholeChip; }),
         {},
         Args{"image.s", "-l", "1", "-e"},
         {}},
        {"a read keeps its texts as typed",
         reading("0x100", "0777"),
         {},
         Args{"out.bin", "-l", "1", "-r", "-f", "0x100", "-t", "0777"},
         {}},
        {"a read ignores the erase radios",
         with(reading("0", "0"), [](RunSettings& s) { s.erase = EraseMode::WholeChip; }),
         {},
         Args{"out.bin", "-l", "1", "-r", "-f", "0", "-t", "0"},
         {}},
        {"end below start",
         reading("0x100", "0xFF"),
         {},
         std::nullopt,
         {"End address lower than start address"}},
        {"bad start", reading("", "0xFF"), {}, std::nullopt, {"Invalid start address"}},
        {"bad end", reading("0", "ten"), {}, std::nullopt, {"Invalid end address"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPrompter prompter;
        prompter.answers.assign(c.answers.begin(), c.answers.end());
        Files files;
        EXPECT_EQ(prepareRun(c.settings, prompter, files.ops()), c.args);
        EXPECT_EQ(prompter.shown, c.shown);
        EXPECT_TRUE(prompter.answers.empty());
        EXPECT_TRUE(files.removed.empty());
    }
}

TEST(PrepareRun, AnExistingOutputFileIsReplacedOnlyWhenTheUserSaysYes) {
    const std::string question = "out.bin already exists.\nDo you want to replace it?";
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        ScriptedPrompter prompter;
        prompter.answers = {answer};
        Files files;
        files.present = {"out.bin"};
        const auto args = prepareRun(reading("0", "1"), prompter, files.ops());
        EXPECT_EQ(prompter.shown, std::vector<std::string>{question});
        EXPECT_EQ(args.has_value(), answer == Answer::Yes);
        EXPECT_EQ(files.removed.size(), answer == Answer::Yes ? 1u : 0u);
    }
    // Programming never asks about the file it reads.
    ScriptedPrompter prompter;
    Files files;
    files.present = {"image.s"};
    EXPECT_TRUE(prepareRun(programming(), prompter, files.ops()));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(PrepareRun, AReadNeverReplacesWhatIsNotARegularFile) {
    zeph::testing::TempDir dir;
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir.path("folder");
    std::filesystem::create_directory(folder);
    for (const std::string& path : {fifo, folder}) {
        ScriptedPrompter prompter;
        prompter.answers = {Answer::Yes};
        RunSettings s = reading("0", "1");
        s.dataFile = path;
        EXPECT_FALSE(prepareRun(s, prompter, OutputFileOps::system())) << path;
        EXPECT_EQ(prompter.shown,
                  std::vector<std::string>{path + " is not a regular file and cannot be replaced.\n"
                                                  "Please choose another output file."});
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
    }
    // A regular file is still replaced after Yes.
    ScriptedPrompter prompter;
    prompter.answers = {Answer::Yes};
    RunSettings s = reading("0", "1");
    s.dataFile = dir.write("old.bin", "old");
    EXPECT_TRUE(prepareRun(s, prompter, OutputFileOps::system()));
    EXPECT_FALSE(std::filesystem::exists(s.dataFile));
}

} // namespace
} // namespace zeph::burnfront
