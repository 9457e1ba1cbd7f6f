// The monitor's settings: start-up recreation of the file, the records' defaults and key names,
// and window placements.

#include "monitor/shell/settings.h"
#include "shell_test_support.h"

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
                       "WplMaxX=-1\nWplMaxY=-1\nWplNormalL=-1\nWplNormalT=-1\nWplNormalR=950\n"
                       "WplNormalB=700\n";
    text += placementText("VwSig", 0, 0, 452, 343);
    text += placementText("VwMap", 452, 0, 798, 343);
    text += placementText("VwRad", 798, 0, 1020, 240);
    text += placementText("VwDbg", 0, 343, 570, 621);
    text += placementText("VwResp", 570, 343, 798, 621);
    text += placementText("VwErr", 798, 240, 939, 621);
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
              "[main]\r\nversion=3.40\r\nNote=DO NOT EDIT BELOW!\n[DataSrc]\r\nSerPort=COM7\r\n");
    DataSourceSettings source;
    source.load(file);
    EXPECT_EQ(source.serPort, "COM7");
    EXPECT_EQ(source.serBaud, "57600");
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

} // namespace
} // namespace zeph::monitor::testing
