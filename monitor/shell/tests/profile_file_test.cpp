// The settings file format: case-blind lookup, values as read, and writes that change one line
// and leave every other byte of the file alone.

#include "monitor/shell/profile_file.h"
#include "shell_test_support.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace zeph::monitor::testing {
namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path path = dir / "zephmon.ini";
    ProfileFile file{path};
};

TEST_F(ProfileFileTest, ReadsSectionsAndKeysWithoutCaseAndTrimsValues) {
    writeFile(path, "Lat=9\r\n[DataSrc]\r\n  SerPort = COM3  \r\nSerBaud=\n;Lat=8\n[VwMap]\n"
                    "Lat=\"51.5\"\nLon='-0.1'\nLat=7\nRing0=44\r\n");
    EXPECT_EQ(file.getString("datasrc", "SERPORT", "x"), "COM3");
    EXPECT_EQ(file.getString("DataSrc", "SerBaud", "57600"), ""); // present but empty
    EXPECT_EQ(file.getString("VWMAP", "lat", ""), "51.5");        // the first of two
    EXPECT_EQ(file.getString("VwMap", "Lon", ""), "-0.1");
    EXPECT_EQ(file.getInt("VwMap", "Ring0", 0), 44);
    EXPECT_EQ(file.getString("DataSrc", "Lat", "none"), "none"); // a comment is no key
    EXPECT_EQ(file.getString("", "Lat", "none"), "none");        // nor a line before any section
}

TEST_F(ProfileFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(file.getString("Main", "Version", "none"), "none");
    EXPECT_EQ(file.getInt("Main", "WplLength", 7), 7);
    writeFile(path, "[Main]\nVersion=3.40\n[Log]\n");
    EXPECT_EQ(file.getString("Other", "Version", "none"), "none");
    EXPECT_EQ(file.getString("Log", "Version", "none"), "none"); // a key of another section
    EXPECT_EQ(file.getString("Main", "Note", "none"), "none");
}

// Files written elsewhere: a byte-order mark before the first section, lines that end in CR LF
// or in a carriage return alone. All read; a write keeps the mark and the file's own line end.
TEST_F(ProfileFileTest, ReadsAByteOrderMarkAndCarriageReturnLineEnds) {
    const struct {
        const char* before;
        const char* after;
    } rows[] = {
        {"\xEF\xBB\xBF[Main]\r\nVersion=3.40\r\n[DataSrc]\r\nSerPort=COM7\r\n",
         "\xEF\xBB\xBF[Main]\r\nVersion=3.40\r\nNote=x\r\n[DataSrc]\r\nSerPort=COM7\r\n"},
        {"[Main]\rVersion=3.40\r[DataSrc]\rSerPort=COM7\r",
         "[Main]\rVersion=3.40\rNote=x\r[DataSrc]\rSerPort=COM7\r"},
        {"\xEF\xBB\xBFVersion=1\r[Main]\rVersion=3.40\r[DataSrc]\rSerPort=COM7",
         "\xEF\xBB\xBFVersion=1\r[Main]\rVersion=3.40\rNote=x\r[DataSrc]\rSerPort=COM7"},
    };
    for (const auto& row : rows) {
        writeFile(path, row.before);
        EXPECT_EQ(file.getString("Main", "Version", ""), "3.40") << row.before;
        EXPECT_EQ(file.getString("DataSrc", "SerPort", ""), "COM7") << row.before;
        ASSERT_TRUE(file.writeString("Main", "Note", "x"));
        EXPECT_EQ(readFile(path), row.after);
    }
}

TEST_F(ProfileFileTest, IntegersTakeTheLeadingNumberOrTheDefault) {
    const struct {
        const char* text;
        int expected;
    } rows[] = {{"12", 12},
                {"-1", -1},
                {"42abc", 42},
                {"abc", 99},
                {"", 99},
                {"0x10", 0},
                {"99999999999", INT_MAX},
                {"-99999999999", INT_MIN}};
    for (const auto& row : rows) {
        writeFile(path, std::string("[S]\nK=") + row.text + "\n");
        EXPECT_EQ(file.getInt("S", "K", 99), row.expected) << "value \"" << row.text << '"';
    }
}

TEST_F(ProfileFileTest, ReplacesAValueInPlaceAndKeepsEveryOtherByte) {
    const std::string before = "; written by hand\r\n"
                               "[Main]\r\n"
                               "Note=DO NOT EDIT BELOW!\r\n"
                               "\r\n"
                               "[DataSrc]\n"
                               "  serport = COM1\r\n"
                               "odd line without equals\n"
                               "SerBaud=57600\n"
                               "[Other]\n"
                               "SerPort=COM5";
    writeFile(path, before);
    ASSERT_TRUE(file.writeString("DATASRC", "SerPort", "COM9"));
    EXPECT_EQ(readFile(path), "; written by hand\r\n"
                              "[Main]\r\n"
                              "Note=DO NOT EDIT BELOW!\r\n"
                              "\r\n"
                              "[DataSrc]\n"
                              "serport=COM9\r\n"
                              "odd line without equals\n"
                              "SerBaud=57600\n"
                              "[Other]\n"
                              "SerPort=COM5");
    EXPECT_EQ(file.getString("DataSrc", "SerPort", ""), "COM9");
    EXPECT_EQ(file.getString("Other", "SerPort", ""), "COM5");
}

TEST_F(ProfileFileTest, AppendsANewKeyAtTheEndOfItsSection) {
    writeFile(path, "[Main]\nNote=x\n; about the next one\n\n[Empty]\n[Log]\nFile=a.gps");
    ASSERT_TRUE(file.writeInt("main", "WplLength", 44));
    ASSERT_TRUE(file.writeString("Empty", "Version", "3.40"));
    ASSERT_TRUE(file.writeString("Log", "Msgs", "01"));
    EXPECT_EQ(readFile(path), "[Main]\nNote=x\n; about the next one\nWplLength=44\n\n"
                              "[Empty]\nVersion=3.40\n[Log]\nFile=a.gps\nMsgs=01\n");
}

TEST_F(ProfileFileTest, AppendsANewSectionAtTheEndOfTheFile) {
    writeFile(path, "[Main]\r\nNote=x");
    ASSERT_TRUE(file.writeString("VwMap", "Scale", "0.3"));
    ASSERT_TRUE(file.writeInt("VwMap", "Ring0", -10));
    EXPECT_EQ(readFile(path), "[Main]\r\nNote=x\r\n[VwMap]\r\nScale=0.3\r\nRing0=-10\r\n");
    EXPECT_EQ(file.getInt("VwMap", "Ring0", 0), -10);
}

TEST_F(ProfileFileTest, CreatesAMissingFileAndLeavesNoTemporaryFileBehind) {
    ASSERT_TRUE(file.writeString("Main", "Note", "DO NOT EDIT BELOW!"));
    EXPECT_EQ(readFile(path), "[Main]\nNote=DO NOT EDIT BELOW!\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.folder())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

// The file itself is rewritten, as a profile write does: a link stays a link to it, and the
// file keeps its inode, mode and owner, also when a new version empties it.
TEST_F(ProfileFileTest, WritesTheFileInPlace) {
    const std::filesystem::path real = dir / "real.ini";
    writeFile(real, "[Main]\nVersion=3.40\n");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    const uid_t owner = ::geteuid() == 0 ? 4321 : ::geteuid(); // only root gives files away
    ASSERT_EQ(::chown(real.c_str(), owner, static_cast<gid_t>(-1)), 0);
    std::filesystem::create_symlink("real.ini", path);
    struct stat before {};
    ASSERT_EQ(::stat(real.c_str(), &before), 0);

    ASSERT_TRUE(file.writeString("Main", "Note", "x"));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readFile(real), "[Main]\nVersion=3.40\nNote=x\n");
    ASSERT_TRUE(file.writeString("Main", "Version", "3"));
    EXPECT_EQ(readFile(real), "[Main]\nVersion=3\nNote=x\n");
    ASSERT_TRUE(file.clear());
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readFile(real), "");
    struct stat after {};
    ASSERT_EQ(::stat(real.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(after.st_uid, owner);
}

// A folder that takes no new files (read-only, and immutable where this user may write it
// anyway) still lets its settings file be written.
TEST_F(ProfileFileTest, AFolderThatTakesNoNewFilesKeepsItsFileWritable) {
    writeFile(path, "[Main]\n");
    struct FolderLock {
        explicit FolderLock(const std::filesystem::path& where)
            : folder(where), fd(::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
            ::chmod(folder.c_str(), 0555);
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                int locked = flags | FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &locked);
            }
        }
        ~FolderLock() {
            if (fd >= 0) {
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
                ::close(fd);
            }
            ::chmod(folder.c_str(), 0700);
        }
        std::filesystem::path folder;
        int fd;
        int flags = 0;
    } lock(dir.folder());
    if (::mkdir((dir / "probe").c_str(), 0700) == 0) {
        GTEST_SKIP() << "this folder takes new files whatever its mode";
    }
    ASSERT_TRUE(file.writeString("Main", "Note", "x"));
    EXPECT_EQ(readFile(path), "[Main]\nNote=x\n");
}

TEST_F(ProfileFileTest, WriteFailsWhereNoFileCanBeWritten) {
    // A folder that is a regular file stops every user, root included.
    writeFile(dir / "plain", "");
    ProfileFile nowhere(dir / "plain" / "zephmon.ini");
    EXPECT_FALSE(nowhere.writeString("Main", "Note", "x"));
    EXPECT_FALSE(nowhere.writeInt("Main", "WplLength", 44));
    EXPECT_EQ(nowhere.getString("Main", "Note", "default"), "default");
    EXPECT_TRUE(nowhere.clear()); // nothing there to empty
}

TEST_F(ProfileFileTest, ReadOnlyFileIsReadButNeitherWrittenNorEmptied) {
    writeFile(path, "[Main]\nVersion=3.40\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::access(path.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user may write read-only files";
    }
    EXPECT_FALSE(file.writeString("Main", "Version", "3.41"));
    EXPECT_FALSE(file.clear());
    EXPECT_EQ(file.getString("Main", "Version", ""), "3.40");
}

} // namespace
} // namespace zeph::monitor::testing
