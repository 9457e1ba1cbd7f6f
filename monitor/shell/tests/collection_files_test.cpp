// Almanac and ephemeris files: saving a complete collection, and loading a file and sending it.

#include "monitor/shell/collection_files.h"

#include "common/testing/file_size_limit.h"
#include "monitor/commands/almanac_file.h"
#include "monitor/shell/tests/scripted_prompter.h"
#include "monitor/shell/tests/shell_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <functional>

namespace zeph::monitor {
namespace {

using testing::readFile;
using testing::writeFile;

class RecordingOutput : public CommandOutput {
public:
    void sendBinary(const uint8_t* payload, size_t length) override {
        sent.emplace_back(payload, payload + length);
    }
    void writeRaw(const uint8_t*, size_t) override { ADD_FAILURE() << "raw bytes written"; }
    std::vector<std::vector<uint8_t>> sent;
};

const std::string kHeader = "//\n// Ephemeris Collection Time(UTC): whenever\n//\n//\n//\n";

// `lines` ephemeris lines; line n starts with `first(n)`.
std::string ephemerisLines(int lines, const std::function<int(int)>& first) {
    std::string text;
    for (int n = 1; n <= lines; ++n) {
        text += std::to_string(first(n));
        for (int k = 1; k < kEphemerisWords; ++k) {
            text += ", " + std::to_string(n * 1000 + k);
        }
        text += '\n';
    }
    return text;
}

class CollectionFilesTest : public ::testing::Test {
protected:
    zeph::testing::TempDir dir;
    testing::ScriptedPrompter prompter;
    CollectionFiles files{prompter};
    RecordingOutput output;
};

TEST_F(CollectionFilesTest, ACompleteCollectionIsSavedOnceToThePolledName) {
    ProgramState state;
    state.almanac[0][0] = 0xFFFF;
    state.ephemeris[31][44] = 0xFFFF;
    const std::time_t at = 1031270400; // Fri Sep  6 00:00:00 2002 UTC

    files.save(Collection::Almanac, state, at); // played from a capture: no poll asked for it
    EXPECT_TRUE(prompter.asked.empty());

    const std::string almanac = (dir / "almanac.alm").string();
    const std::string ephemeris = (dir / "ephemris.eph").string();
    files.setPending(Collection::Almanac, almanac);
    files.setPending(Collection::Ephemeris, ephemeris);
    files.save(Collection::Almanac, state, at);
    files.save(Collection::Ephemeris, state, at);
    EXPECT_EQ(readFile(almanac), almanacFileText(state.almanac, at));
    EXPECT_TRUE(readFile(almanac).starts_with("//\n// Almanac Collection Time(UTC): Fri Sep  6 "
                                              "00:00:00 2002\n//\n//\n//\n-1, 0, 0,"));
    EXPECT_TRUE(readFile(ephemeris).ends_with(", 0, 65535\n"));
    EXPECT_EQ(prompter.asked,
              (std::vector<std::string>{"Almanac Data Written to:\n\n" + almanac,
                                        "Ephemeris Data Written to:\n\n" + ephemeris}));
    EXPECT_EQ(files.pending(Collection::Almanac), "");

    // A file that cannot be created is told, and its name waits for the next collection.
    const std::string nowhere = (dir / "missing" / "almanac.alm").string();
    files.setPending(Collection::Almanac, nowhere);
    files.save(Collection::Almanac, state, at);
    EXPECT_EQ(prompter.asked.back(), "Cannot open almanac file!");
    EXPECT_EQ(files.pending(Collection::Almanac), nowhere);

    // A disk that fills while the file is written: the old file stays whole, nothing is said
    // to be written, and the name waits.
    testing::writeFile(almanac, "the old almanac\n");
    files.setPending(Collection::Almanac, almanac);
    {
        zeph::testing::FileSizeLimit full(64);
        files.save(Collection::Almanac, state, at);
    }
    EXPECT_TRUE(prompter.asked.back().starts_with("Cannot write almanac file!\n"))
        << prompter.asked.back();
    EXPECT_EQ(readFile(almanac), "the old almanac\n");
    EXPECT_EQ(files.pending(Collection::Almanac), almanac);
}

TEST_F(CollectionFilesTest, SetEphemerisSendsEachNumberedSatelliteUpToAFormatError) {
    struct Case {
        const char* what;
        std::string text;
        size_t sent;
        bool error;
    };
    const Case cases[] = {
        {"third line 0", kHeader + ephemerisLines(32, [](int n) { return n == 3 ? 0 : n; }), 31,
         false},
        {"20 lines", kHeader + ephemerisLines(20, [](int n) { return n; }), 20, true},
        {"six comment lines", "//\n" + kHeader + ephemerisLines(32, [](int n) { return n; }), 0,
         true},
        {"header only", kHeader, 0, true},
    };
    for (const Case& c : cases) {
        const auto file = dir / "ephemris.eph";
        writeFile(file, c.text);
        output.sent.clear();
        prompter.asked.clear();
        EXPECT_EQ(files.sendEphemeris(file.string(), output), static_cast<int>(c.sent)) << c.what;
        ASSERT_EQ(output.sent.size(), c.sent) << c.what;
        EXPECT_EQ(prompter.asked, c.error ? std::vector<std::string>{kEphemerisFormatError}
                                          : std::vector<std::string>{})
            << c.what;
        if (c.sent == 31) {
            // MID 149 and the line's 45 words big-endian; the line of satellite 0 is skipped.
            EXPECT_EQ(output.sent[2].size(), 91u);
            EXPECT_EQ(output.sent[2][0], 149);
            EXPECT_EQ(output.sent[2][2], 4); // the fourth line's satellite
            EXPECT_EQ(output.sent[2][89] << 8 | output.sent[2][90], 4044);
        }
    }
    // A folder or a file that is gone reads as a format error.
    EXPECT_EQ(files.sendEphemeris(dir.folder().string(), output), 0);
    EXPECT_EQ(prompter.asked.back(), kEphemerisFormatError);
}

TEST_F(CollectionFilesTest, SetAlmanacSendsTheWholeFileOrNothing) {
    AlmanacTable table{};
    table[31][13] = 0x8001;
    const auto file = dir / "almanac.alm";
    writeFile(file, almanacFileText(table, 0));
    ASSERT_TRUE(files.sendAlmanac(file.string(), output));
    ASSERT_EQ(output.sent.size(), 1u);
    ASSERT_EQ(output.sent[0].size(), 897u);
    EXPECT_EQ(output.sent[0][0], 130);
    EXPECT_EQ(output.sent[0][895], 0x80);
    EXPECT_EQ(output.sent[0][896], 0x01);

    std::string text = almanacFileText(table, 0);
    text.erase(text.rfind(", 0"), 3); // the last line one value short
    writeFile(file, text);
    EXPECT_FALSE(files.sendAlmanac(file.string(), output));
    EXPECT_EQ(output.sent.size(), 1u);
    EXPECT_EQ(prompter.asked, std::vector<std::string>{kAlmanacFormatError});
}

// The save dialog stays open on a name the file cannot be written under.
TEST(CollectionFileDialogs, TheSaveDialogRefusesReadOnlyFilesAndMissingFolders) {
    zeph::testing::TempDir dir;
    writeFile(dir / "kept.alm", "");
    writeFile(dir / "locked.alm", "");
    std::filesystem::permissions(dir / "locked.alm", std::filesystem::perms::owner_read);
    const struct {
        std::string name;
        bool refused;
    } cases[] = {
        {dir.path("new.alm"), false},   {dir.path("kept.alm"), false},
        {dir.path("locked.alm"), true}, {dir.path("missing/new.alm"), true},
        {dir.folder().string(), true},  {"/dev/full", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(saveNameRefusal(Collection::Almanac, c.name) != nullptr, c.refused) << c.name;
    }
    EXPECT_STREQ(saveNameRefusal(Collection::Ephemeris, dir.path("locked.alm")),
                 "Cannot open ephemeris file!");
}

TEST(CollectionFileDialogs, AChoiceTheSystemCannotTakeEndsInTheDialogError) {
    testing::ScriptedPrompter prompter;
    struct Case {
        ChosenFile chosen;
        std::string name;
        const char* message;
    };
    const Case cases[] = {
        {{"/tmp/almanac.alm", 0}, "/tmp/almanac.alm", nullptr},
        {{"", 0}, "", nullptr}, // cancelled
        {{"", 0x3001}, "", "CFileDialog Extended Error:0x3001"},
        {{"/tmp/" + std::string(300, 'a') + ".alm", 0}, "", "CFileDialog Extended Error:0x3002"},
        {{"/" + std::string(5000, 'a'), 0}, "", "CFileDialog Extended Error:0x3003"},
    };
    for (const Case& c : cases) {
        prompter.asked.clear();
        EXPECT_EQ(acceptChosenFile(c.chosen, prompter), c.name);
        EXPECT_EQ(prompter.asked,
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    }
}

} // namespace
} // namespace zeph::monitor
