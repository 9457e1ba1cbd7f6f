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
            recent.add(file);
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
    recent.add("relative.bin");
    EXPECT_EQ(recent.files().front(), (std::filesystem::current_path() / "relative.bin").string());
}

TEST(RecentFiles, MenuTextNumbersTheEntryAndShowsAmpersands) {
    EXPECT_EQ(recentFileMenuText(0, "/caps/a.bin"), "&1 /caps/a.bin");
    EXPECT_EQ(recentFileMenuText(3, "/caps/R&D.csv"), "&4 /caps/R&&D.csv");
}

} // namespace
} // namespace zeph::monitor::testing
