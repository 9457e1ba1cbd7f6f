// The "Data Source Setup" rules the dialog tests do not reach: defaults, the cases of a file that
// cannot be opened, exactly what OK writes; and the file dialog filters.

#include "monitor/shell/data_source_setup.h"
#include "monitor/shell/file_filter.h"
#include "shell_test_support.h"

namespace zeph::monitor::testing {
namespace {

using Field = DataSourceSetup::Field;

class DataSourceSetupTest : public ::testing::Test {
protected:
    TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
};

TEST_F(DataSourceSetupTest, LoadsTheFiveKeysWithTheirDefaults) {
    EXPECT_EQ(DataSourceSetup(profile).entries(),
              (DataSourceEntries{0, "COM1", "57600", "", "Binary"}));
    ASSERT_TRUE(profile.writeInt("DataSrc", "Src", 2));
    ASSERT_TRUE(profile.writeString("DataSrc", "FileType", ""));
    EXPECT_EQ(DataSourceSetup(profile).entries(), (DataSourceEntries{2, "COM1", "57600", "", ""}));
}

TEST_F(DataSourceSetupTest, EmptyFieldsAreNamedInOrderWithTheirTexts) {
    struct Case {
        DataSourceEntries entries;
        const char* text;
        Field focus;
    };
    const Case cases[] = {
        {{kSourceSerial, "", "", "", ""},
         "A serial port is required to load measured data from a serial connection. Return to "
         "data source setup.",
         Field::Port},
        {{kSourceSerial, "COM2", "", "", ""},
         "A baud rate is required to load measured data from a serial connection. Return to data "
         "source setup.",
         Field::Baud},
        {{kSourceFile, "", "", "", ""},
         "A file name is required to load measured data from a file.",
         Field::FileName},
    };
    for (const Case& c : cases) {
        const auto failure = DataSourceSetup::check(c.entries);
        ASSERT_TRUE(failure) << c.text;
        EXPECT_STREQ(failure->message, c.text);
        EXPECT_EQ(failure->focus, c.focus);
    }
}

TEST_F(DataSourceSetupTest, FileChecksComeInOrderAndOnlyForTheFileChoice) {
    const auto check = [](const std::string& name, const std::string& type) {
        return DataSourceSetup::check({kSourceFile, "", "", name, type});
    };
    // A missing file and a folder both fail the open check before the type is looked at.
    for (const std::string& name : {(dir / "missing.bin").string(), dir.folder().string()}) {
        const auto failure = check(name, "");
        ASSERT_TRUE(failure) << name;
        EXPECT_STREQ(failure->message, "A problem occurred with opening the specified file.");
        EXPECT_EQ(failure->focus, Field::FileName);
    }
    const auto capture = dir / "capture.bin";
    writeFile(capture, "\xA0\xA2");
    const auto failure = check(capture.string(), "");
    ASSERT_TRUE(failure);
    EXPECT_STREQ(failure->message, "A file type is required to load measured data from a file.");
    EXPECT_EQ(failure->focus, Field::Format);
    EXPECT_FALSE(check(capture.string(), "Binary"));

    // Neither the generator nor an unknown "Src" is checked; serial ignores the file fields.
    EXPECT_FALSE(DataSourceSetup::check({kSourceRandom, "", "", "", ""}));
    EXPECT_FALSE(DataSourceSetup::check({7, "", "", "", ""}));
    EXPECT_FALSE(DataSourceSetup::check({kSourceSerial, "COM2", "9600", "", ""}));
}

TEST_F(DataSourceSetupTest, OkWritesExactlyTheFiveKeys) {
    DataSourceSetup setup(profile);
    EXPECT_TRUE(setup.accept({kSourceRandom, "COM3", "4800", "a.bin", "CSV"}, prompter).accepted);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(readFile(profile.path()),
              "[DataSrc]\nSrc=2\nSerPort=COM3\nSerBaud=4800\nFileName=a.bin\nFileType=CSV\n");

    // A capture named relative to the working folder is stored by its absolute name.
    writeFile(dir / "b.bin", "\xA0\xA2");
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.folder());
    const bool accepted =
        setup.accept({kSourceFile, "COM3", "4800", "b.bin", "Binary"}, prompter).accepted;
    std::filesystem::current_path(before);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(profile.getString("DataSrc", "FileName", ""), (dir / "b.bin").string());
    EXPECT_EQ(setup.entries().fileName, (dir / "b.bin").string());
}

TEST(FileFilterTest, PairsBecomeNameFiltersWithAnyFileMatchingEveryName) {
    EXPECT_EQ(nameFilters("All Files (*.*)|*.*||"), std::vector<std::string>{"All Files (*)"});
    EXPECT_EQ(
        nameFilters("GPS Files (*.gps)|*.gps|Log Files (*.log)|*.log|All Files (*.*)|*.*||"),
        (std::vector<std::string>{"GPS Files (*.gps)", "Log Files (*.log)", "All Files (*)"}));
    EXPECT_EQ(nameFilters("Captures|*.bin;*.gps"),
              std::vector<std::string>{"Captures (*.bin *.gps)"});
    EXPECT_TRUE(nameFilters("").empty());
}

} // namespace
} // namespace zeph::monitor::testing
