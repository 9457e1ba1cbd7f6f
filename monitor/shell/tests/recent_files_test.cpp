// The recent capture files: most recent first, four at most, each once, and the section keys
// that hold them.

#include "monitor/shell/recent_files.h"
#include "shell_test_support.h"

namespace zeph::monitor::testing {
namespace {

TEST(RecentFiles, KeepsTheFourMostRecentFirstEachOnce) {
    const struct {
        std::vector<std::string> added;
        std::vector<std::string> listed;
    } rows[] = {
        {{"/c/a"}, {"/c/a"}},
        {{"/c/a", "/c/b", "/c/a"}, {"/c/a", "/c/b"}},
        {{"/c/a", "/c/b", "/c/c", "/c/d", "/c/e"}, {"/c/e", "/c/d", "/c/c", "/c/b"}},
        {{"/c/a", "/c/b", "/c/c", "/c/d", "/c/b"}, {"/c/b", "/c/d", "/c/c", "/c/a"}},
        {{"/c/x/../a", "/c//a"}, {"/c/a"}},
    };
    for (const auto& row : rows) {
        TempDir dir;
        ProfileFile profile(dir / "zephmon.ini");
        RecentFiles recent(profile);
        for (const std::string& file : row.added) {
            recent.add(file, "Binary");
        }
        EXPECT_EQ(recent.files(), row.listed);
        EXPECT_EQ(RecentFiles(profile).files(), row.listed) << "read back from the file";
    }
}

TEST(RecentFiles, LivesInItsOwnSectionAndEmptiesKeysItNoLongerNeeds) {
    TempDir dir;
    ProfileFile profile(dir / "zephmon.ini");
    writeFile(profile.path(), "[Main]\nVersion=3.40\n[Recent File List]\nFile1=/c/a\nFile2=\n"
                              "File3=/c/b\nFile4=/c/a\n");
    RecentFiles recent(profile);
    EXPECT_EQ(recent.files(), (std::vector<std::string>{"/c/a", "/c/b"}));
    recent.remove("/c/a");
    EXPECT_EQ(readFile(profile.path()), "[Main]\nVersion=3.40\n[Recent File List]\nFile1=/c/b\n"
                                        "File2=\nFile3=\nFile4=\n");
    recent.add("relative.bin", "Binary");
    EXPECT_EQ(recent.files().front(), (std::filesystem::current_path() / "relative.bin").string());
}

// Each entry keeps the format it was played in, beside its name; a list kept without formats
// reads with none.
TEST(RecentFiles, RemembersTheFormatOfEachEntry) {
    TempDir dir;
    ProfileFile profile(dir / "zephmon.ini");
    writeFile(profile.path(), "[Recent File List]\nFile1=/c/old\n");
    RecentFiles recent(profile);
    EXPECT_EQ(recent.fileType(0), "");
    recent.add("/c/a.csv", "CSV");
    recent.add("/c/b.bin", "Binary");
    recent.add("/c/a.csv", "CSV");
    EXPECT_EQ(readFile(profile.path()), "[Recent File List]\nFile1=/c/a.csv\nFileType1=CSV\n"
                                        "File2=/c/b.bin\nFileType2=Binary\nFile3=/c/old\n");
    const RecentFiles read(profile);
    EXPECT_EQ(read.files(), (std::vector<std::string>{"/c/a.csv", "/c/b.bin", "/c/old"}));
    EXPECT_EQ(std::vector<std::string>({read.fileType(0), read.fileType(1), read.fileType(2)}),
              (std::vector<std::string>{"CSV", "Binary", ""}));
}

TEST(RecentFiles, MenuTextNumbersTheEntryAndShowsAmpersands) {
    EXPECT_EQ(recentFileMenuText(0, "/caps/a.bin"), "&1 /caps/a.bin");
    EXPECT_EQ(recentFileMenuText(3, "/caps/R&D.csv"), "&4 /caps/R&&D.csv");
}

} // namespace
} // namespace zeph::monitor::testing
