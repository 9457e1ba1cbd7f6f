// The monitor's settings: start-up recreation of the file, the records' defaults and key names,
// and window placements.

#include "monitor/shell/settings.h"
#include "shell_test_support.h"

#include <sys/stat.h>

#include <sstream>

namespace zeph::monitor::testing {
namespace {

std::string placementText(const std::string& section, int l, int t, int r, int b) {
    return "[" + section + "]\nWplLength=44\nWplFlags=0\nWplShowCmd=5\nWplMinX=-1\nWplMinY=-1\n" +
           "WplMaxX=-1\nWplMaxY=-1\nWplNormalL=" + std::to_string(l) +
           "\nWplNormalT=" + std::to_string(t) + "\nWplNormalR=" + std::to_string(r) +
           "\nWplNormalB=" + std::to_string(b) + "\n";
}

// The whole file a start-up without a usable file leaves behind.
std::string recreatedFile() {
    std::string text = "[Main]\nNote=DO NOT EDIT BELOW!\nVersion=3.40\nOpenViews=1111110000\n"
                       "WplLength=44\nWplFlags=0\nWplShowCmd=5\nWplMinX=-1\nWplMinY=-1\n"
                       "WplMaxX=-1\nWplMaxY=-1\nWplNormalL=0\nWplNormalT=0\nWplNormalR=1260\n"
                       "WplNormalB=940\n";
    // The six views of a first start side by side in a frame that fits a 1280 x 1024 screen.
    text += placementText("VwSig", 0, 0, 540, 440);
    text += placementText("VwMap", 540, 0, 900, 440);
    text += placementText("VwRad", 900, 0, 1250, 440);
    text += placementText("VwDbg", 0, 440, 520, 870);
    text += placementText("VwResp", 520, 440, 820, 870);
    text += placementText("VwErr", 820, 440, 1250, 870);
    text += placementText("VwNav", 0, 0, 359, 171);
    text += placementText("VwDgps", 486, 0, 939, 325);
    text += placementText("VwGeod", 0, 231, 245, 621);
    text += placementText("VwDr", 245, 183, 939, 621);
    return text;
}

class SettingsStartUp : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path path = dir / "zephmon.ini";
    ProfileFile file{path};
    RecordingPrompter prompter;
};

TEST_F(SettingsStartUp, WithoutAFileCreatesExactlyTheDefaults) {
    EXPECT_TRUE(prepareSettingsFile(file, prompter));
    EXPECT_EQ(readFile(path), recreatedFile());
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(SettingsStartUp, AFileOfAnotherVersionIsReplaced) {
    for (const char* version : {"Version=3.4\n", "Version=3.400\n", "version = 3.41\n", ""}) {
        writeFile(path, std::string("[Main]\n") + version + "[DataSrc]\nSerPort=COM7\n");
        EXPECT_TRUE(prepareSettingsFile(file, prompter));
        EXPECT_EQ(readFile(path), recreatedFile()) << version;
    }
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(SettingsStartUp, AFileOfOurVersionKeepsItsValues) {
    writeFile(path, "[main]\r\nversion=3.40\r\n[DataSrc]\r\nSerPort=COM7\r\n");
    EXPECT_TRUE(prepareSettingsFile(file, prompter));
    EXPECT_EQ(readFile(path),
              "[main]\r\nversion=3.40\r\nNote=DO NOT EDIT BELOW!\r\n[DataSrc]\r\nSerPort=COM7\r\n");
    DataSourceSettings source;
    source.load(file);
    EXPECT_EQ(source.serPort, "COM7");
    EXPECT_EQ(source.serBaud, "57600");
}

TEST_F(SettingsStartUp, AFileOfOurVersionWrittenElsewhereIsNotReplaced) {
    for (const char* text : {"\xEF\xBB\xBF[Main]\r\nVersion=3.40\r\n[DataSrc]\r\nSerPort=COM7\r\n",
                             "[Main]\rVersion=3.40\r[DataSrc]\rSerPort=COM7\r"}) {
        writeFile(path, text);
        EXPECT_TRUE(prepareSettingsFile(file, prompter));
        EXPECT_EQ(file.getString("DataSrc", "SerPort", ""), "COM7") << text;
    }
}

// What cannot be read is never deleted: writes fail, so the warning comes, and defaults serve.
TEST_F(SettingsStartUp, AFolderInPlaceOfTheFileIsLeftAlone) {
    std::filesystem::create_directory(path);
    EXPECT_FALSE(prepareSettingsFile(file, prompter));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(prompter.asked.size(), 1u);
}

// A file named on the command line serves only when it is a settings file, or is not there yet.
TEST(NamedSettingsFile, IsRefusedUnlessItIsASettingsFile) {
    TempDir dir;
    writeFile(dir / "old.ini", "[main]\nnote=DO NOT EDIT BELOW!\nVersion=3.30\n");
    writeFile(dir / "bom.ini", "\xEF\xBB\xBF[Main]\r\nNote=DO NOT EDIT BELOW!\r\n");
    writeFile(dir / "foreign.ini", "[Main]\nWidth=3\nNote=mine\n[DataSrc]\nVersion=3.40\n");
    writeFile(dir / "versioned.ini", "[Main]\nversion=3.40\n[Window]\nWidth=3\n");
    writeFile(dir / "elsewhere.ini", "[Main]\nVersion=3.40\n[Log]\nNote=DO NOT EDIT BELOW!\n");
    writeFile(dir / "capture.bin", std::string("\xA0\xA2\x00\x02\x84\x00", 6));
    writeFile(dir / "empty.ini", "");
    writeFile(dir / "other.ini", "[DataSrc]\nSrc=1\n; [Main]\n");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const struct {
        std::filesystem::path path;
        const char* refusal; // nullptr: accepted
    } rows[] = {
        {dir / "new.ini", nullptr},
        {dir / "old.ini", nullptr}, // of another version: recreated as usual
        {dir / "bom.ini", nullptr},
        {dir / "capture.bin", "is not a settings file (it has no [Main] section)"},
        {dir / "empty.ini", "is not a settings file (it has no [Main] section)"},
        {dir / "other.ini", "is not a settings file (it has no [Main] section)"},
        {dir / "foreign.ini", "is not a settings file (its [Main] section is not ZephMon's)"},
        {dir / "versioned.ini", "is not a settings file (its [Main] section is not ZephMon's)"},
        {dir / "elsewhere.ini", "is not a settings file (its [Main] section is not ZephMon's)"},
        {dir / "folder", "is not a settings file (not a regular file)"},
        {dir / "fifo", "is not a settings file (not a regular file)"},
        {"/dev/null", "is not a settings file (not a regular file)"},
    };
    writeFile(dir / "locked.ini", "[Main]\n");
    ::chmod((dir / "locked.ini").c_str(), 0);
    if (::access((dir / "locked.ini").c_str(), R_OK) != 0) { // root reads it all the same
        EXPECT_EQ(refuseNamedSettingsFile(dir / "locked.ini").value_or(""),
                  "cannot read the settings file " + (dir / "locked.ini").string() +
                      ": Permission denied");
    }
    for (const auto& row : rows) {
        const std::optional<std::string> refusal = refuseNamedSettingsFile(row.path);
        if (row.refusal == nullptr) {
            EXPECT_FALSE(refusal) << row.path << ": " << *refusal;
        } else {
            EXPECT_EQ(refusal.value_or(""), row.path.string() + " " + row.refusal);
        }
    }
}

TEST_F(SettingsStartUp, AnUnwritableLocationWarnsOnceAndReadsDefaults) {
    writeFile(dir / "plain", "");
    ProfileFile unwritable(dir / "plain" / "zephmon.ini");
    EXPECT_FALSE(prepareSettingsFile(unwritable, prompter));
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0], "Warning: ZephMon cannot edit the INI file.\nCopy ZephMon "
                                 "to a writable folder to modify settings.");
    LogSettings log;
    log.load(unwritable);
    EXPECT_EQ(log, LogSettings{});
}

TEST(SettingsPath, IsTheProgramNameWithIniBesideTheProgram) {
    EXPECT_EQ(settingsPathFor("/opt/zeph/bin/zephmon"), "/opt/zeph/bin/zephmon.ini");
    EXPECT_EQ(settingsPathFor("/opt/zeph/ZephMon.exe"), "/opt/zeph/ZephMon.ini");
    EXPECT_EQ(settingsPathFor("zephmon"), "zephmon.ini");
}

// A record loaded from `text` (from a missing file when empty) and saved alone.
template <class Record> std::string loadAndSave(const std::string& text) {
    TempDir dir;
    ProfileFile in(dir / "in.ini");
    ProfileFile out(dir / "out.ini");
    if (!text.empty()) {
        writeFile(in.path(), text);
    }
    Record record;
    record.load(in);
    EXPECT_TRUE(record.save(out));
    return readFile(out.path());
}

// Every value of an INI text replaced by a number of its own: 11, 12, ...
std::string numbered(const std::string& text) {
    std::string out;
    int next = 11;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find('=');
        out += (eq == std::string::npos ? line : line.substr(0, eq + 1) + std::to_string(next++));
        out += '\n';
    }
    return out;
}

// Every key with its default and nothing else; and every key read back from where it is written.
TEST(SettingsRecords, DefaultsAndKeyNames) {
    const struct {
        std::string (*loadAndSave)(const std::string&);
        std::string defaults;
    } rows[] = {
        {loadAndSave<DataSourceSettings>,
         "[DataSrc]\nSrc=0\nSerPort=COM1\nSerBaud=57600\nSerDbit=8\nSerPar=NONE\nSerSbit=1\n"
         "FileName=\nFileType=Binary\n"},
        {loadAndSave<ReceiverInitSettings>,
         "[RcvrInit]\nPosX=0\nPosY=0\nPosZ=0\nClkOffset=0\nUsePcTime=0\nUtcOffset=13\nWk=0\n"
         "Tow=0\nChnlCnt=12\nCfgBits=136\n"},
        {loadAndSave<LogSettings>, "[Log]\nFile=nimbra.gps\nMsgs=" + std::string(256, '0') + "\n"},
        {loadAndSave<MapViewSettings>,
         "[VwMap]\nScale=0.3\nLat=\nLon=\nRing0=10\nRing1=20\nRing2=30\n"},
        {loadAndSave<SignalViewSettings>, "[VwSig]\nGraphType=0\n"},
        {loadAndSave<RadarViewSettings>,
         "[VwRad]\nOrientation=0\nOuterRadPos=20\nOuterRadVel=4.0\n"},
        {loadAndSave<RandSettings>, "[Rand]\nTimerDelay=1000\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.loadAndSave(""), row.defaults);
        EXPECT_EQ(row.loadAndSave(numbered(row.defaults)), numbered(row.defaults));
    }
}

class Placement : public ::testing::Test {
protected:
    TempDir dir;
    ProfileFile file{dir / "zephmon.ini"};
};

TEST_F(Placement, SavedWhileMaximisedComesBackNormalAtItsNormalRectangle) {
    const WindowPlacement maximised{44, 2, 3, -1, -1, -4, -4, 10, 20, 700, 500};
    ASSERT_TRUE(savePlacement(file, "VwMap", maximised));
    const std::optional<WindowPlacement> restored = restorePlacement(file, "vwmap");
    ASSERT_TRUE(restored);
    WindowPlacement expected = maximised;
    expected.showCmd = 1;
    EXPECT_EQ(*restored, expected);
}

TEST_F(Placement, NothingWithoutALengthAndZeroForMissingKeys) {
    writeFile(file.path(), "[VwSig]\nWplLength=0\nWplShowCmd=1\n[VwRad]\nWplShowCmd=1\n"
                           "[VwDbg]\nWplLength=44\nWplNormalR=300\n");
    EXPECT_FALSE(restorePlacement(file, "VwSig"));
    EXPECT_FALSE(restorePlacement(file, "VwRad"));
    EXPECT_FALSE(restorePlacement(file, "VwNav"));
    WindowPlacement expected;
    expected.length = 44;
    expected.normalR = 300;
    EXPECT_EQ(restorePlacement(file, "VwDbg"), expected);
}

TEST(PlacementFit, AWindowIsAtMostTwiceTheDesktopAndItsCornerWithinReach) {
    const auto rect = [](int l, int t, int r, int b) {
        WindowPlacement p;
        p.normalL = l;
        p.normalT = t;
        p.normalR = r;
        p.normalB = b;
        return fitNormalRect(p, 1280, 1024);
    };
    EXPECT_EQ(rect(10, 20, 710, 520), (NormalRect{10, 20, 700, 500}));
    EXPECT_EQ(rect(0, 0, 2000000000, 2000000000), (NormalRect{0, 0, 2560, 2048}));
    EXPECT_EQ(rect(-100, 0, 2400, 700), (NormalRect{-100, 0, 2500, 700}));
    EXPECT_EQ(rect(-2147483647, 5, 2147483647, 300), (NormalRect{-2560, 5, 2560, 295}));
    EXPECT_EQ(rect(900000, 900000, 900300, 900200), (NormalRect{2560, 2048, 300, 200}));
}

} // namespace
} // namespace zeph::monitor::testing
