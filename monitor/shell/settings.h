#pragma once

// The monitor's persistent settings: the sections and keys of the settings file, the records that
// read them with their defaults and write them back, window placements, and the start-up check
// that recreates a file of another version.

#include "common/prompt/prompter.h"
#include "common/version/version.h"
#include "monitor/shell/profile_file.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

namespace settings {

constexpr std::string_view kVersion = ZEPHMON_VERSION;

constexpr std::string_view kMain = "Main";
constexpr std::string_view kNote = "Note";
constexpr std::string_view kVersionKey = "Version";
constexpr std::string_view kOpenViews = "OpenViews";
constexpr std::string_view kNoteText = "DO NOT EDIT BELOW!";
constexpr std::string_view kRecreatedOpenViews = "1111110000";

constexpr std::string_view kDataSrc = "DataSrc";
constexpr std::string_view kSrc = "Src";
constexpr std::string_view kSerPort = "SerPort";
constexpr std::string_view kSerBaud = "SerBaud";
constexpr std::string_view kSerDbit = "SerDbit";
constexpr std::string_view kSerPar = "SerPar";
constexpr std::string_view kSerSbit = "SerSbit";
constexpr std::string_view kFileName = "FileName";
constexpr std::string_view kFileType = "FileType";

constexpr std::string_view kRcvrInit = "RcvrInit";
constexpr std::string_view kPosX = "PosX";
constexpr std::string_view kPosY = "PosY";
constexpr std::string_view kPosZ = "PosZ";
constexpr std::string_view kClkOffset = "ClkOffset";
constexpr std::string_view kUsePcTime = "UsePcTime";
constexpr std::string_view kUtcOffset = "UtcOffset";
constexpr std::string_view kWk = "Wk";
constexpr std::string_view kTow = "Tow";
constexpr std::string_view kChnlCnt = "ChnlCnt";
constexpr std::string_view kCfgBits = "CfgBits";

constexpr std::string_view kLog = "Log";
constexpr std::string_view kLogFile = "File";
constexpr std::string_view kLogMsgs = "Msgs";

constexpr std::string_view kVwSig = "VwSig";
constexpr std::string_view kVwMap = "VwMap";
constexpr std::string_view kVwRad = "VwRad";
constexpr std::string_view kVwDbg = "VwDbg";
constexpr std::string_view kVwResp = "VwResp";
constexpr std::string_view kVwErr = "VwErr";
constexpr std::string_view kVwNav = "VwNav";
constexpr std::string_view kVwDgps = "VwDgps";
constexpr std::string_view kVwGeod = "VwGeod";
constexpr std::string_view kVwDr = "VwDr";

constexpr std::string_view kScale = "Scale";
constexpr std::string_view kLat = "Lat";
constexpr std::string_view kLon = "Lon";
constexpr std::string_view kRing0 = "Ring0";
constexpr std::string_view kRing1 = "Ring1";
constexpr std::string_view kRing2 = "Ring2";
constexpr std::string_view kGraphType = "GraphType";
constexpr std::string_view kOrientation = "Orientation";
constexpr std::string_view kOuterRadPos = "OuterRadPos";
constexpr std::string_view kOuterRadVel = "OuterRadVel";

constexpr std::string_view kRand = "Rand";
constexpr std::string_view kTimerDelay = "TimerDelay";

constexpr std::string_view kWplLength = "WplLength";
constexpr std::string_view kWplFlags = "WplFlags";
constexpr std::string_view kWplShowCmd = "WplShowCmd";
constexpr std::string_view kWplMinX = "WplMinX";
constexpr std::string_view kWplMinY = "WplMinY";
constexpr std::string_view kWplMaxX = "WplMaxX";
constexpr std::string_view kWplMaxY = "WplMaxY";
constexpr std::string_view kWplNormalL = "WplNormalL";
constexpr std::string_view kWplNormalT = "WplNormalT";
constexpr std::string_view kWplNormalR = "WplNormalR";
constexpr std::string_view kWplNormalB = "WplNormalB";

// The view sections by view slot of the main frame: 0 Signal, 1 Map, 2 Radar, 3 Debug,
// 4 Response, 5 Error, 6 Navigation, 7 DGPS, 8 Geodetic Nav, 9 Drovana.
constexpr size_t kViewSlotCount = 10;
constexpr std::array<std::string_view, kViewSlotCount> kViewSections = {
    kVwSig, kVwMap, kVwRad, kVwDbg, kVwResp, kVwErr, kVwNav, kVwDgps, kVwGeod, kVwDr};

constexpr size_t kMsgsLength = 256; // one selection character per MID 0 to 255

constexpr const char* kReadOnlyWarning =
    "Warning: ZephMon cannot edit the INI file.\nCopy ZephMon to a writable folder to modify "
    "settings.";

} // namespace settings

// Each record reads all of its keys with their defaults, or writes all of them back; save is
// false when any write failed.

struct DataSourceSettings {
    int src = 0; // 0 serial, 1 file, 2 generator
    std::string serPort = "COM1";
    std::string serBaud = "57600";
    std::string serDbit = "8";
    std::string serPar = "NONE";
    std::string serSbit = "1";
    std::string fileName;
    std::string fileType = "Binary"; // "CSV" selects the text source

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const DataSourceSettings&) const = default;
};

struct ReceiverInitSettings {
    std::string posX = "0"; // initial ECEF position, metres
    std::string posY = "0";
    std::string posZ = "0";
    std::string clkOffset = "0";
    int usePcTime = 0;
    int utcOffset = 13; // seconds added to UTC for the PC-clock GPS time
    int wk = 0;
    std::string tow = "0";
    int chnlCnt = 12;
    int cfgBits = 136; // reset configuration bits 0x88

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const ReceiverInitSettings&) const = default;
};

struct LogSettings {
    std::string file = "nimbra.gps";
    std::string msgs = std::string(settings::kMsgsLength, '0'); // '1' at index n logs MID n

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const LogSettings&) const = default;
};

struct MapViewSettings {
    std::string scale = "0.3";
    std::string lat;
    std::string lon;
    int ring0 = 10;
    int ring1 = 20;
    int ring2 = 30;

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const MapViewSettings&) const = default;
};

struct SignalViewSettings {
    int graphType = 0;

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const SignalViewSettings&) const = default;
};

struct RadarViewSettings {
    int orientation = 0;
    int outerRadPos = 20;
    std::string outerRadVel = "4.0";

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const RadarViewSettings&) const = default;
};

struct RandSettings {
    int timerDelay = 1000; // kept for the playback sources

    void load(const ProfileFile& profile);
    bool save(ProfileFile& profile) const;
    bool operator==(const RandSettings&) const = default;
};

// The fields of a window placement as they are stored, one "Wpl*" key each.
struct WindowPlacement {
    static constexpr int kLength = 44;
    static constexpr int kShowNormal = 1;
    static constexpr int kShowMinimised = 2;
    static constexpr int kShowMaximised = 3;
    static constexpr int kShow = 5;
    static constexpr int kMinimise = 6;
    static constexpr int kShowMinimisedNoActive = 7;

    int length = 0;
    int flags = 0;
    int showCmd = 0;
    int minX = 0;
    int minY = 0;
    int maxX = 0;
    int maxY = 0;
    int normalL = 0;
    int normalT = 0;
    int normalR = 0;
    int normalB = 0;

    bool operator==(const WindowPlacement&) const = default;
    // The show commands that leave a window minimised.
    bool minimised() const {
        return showCmd == kShowMinimised || showCmd == kMinimise ||
               showCmd == kShowMinimisedNoActive;
    }
};

bool savePlacement(ProfileFile& file, std::string_view section, const WindowPlacement& placement);
// Nothing when "WplLength" is missing or 0; otherwise missing keys read as 0 and a maximised
// window comes back as a normal one at its normal rectangle.
std::optional<WindowPlacement> restorePlacement(const ProfileFile& file, std::string_view section);

// A remembered normal rectangle as a window may take it on a desktop of the given size: at most
// twice the desktop's width and height, and its corner within that distance of the origin. A
// window may reach past the desktop's edges, but a damaged or hand-edited file cannot ask for one
// that no pixmap can back.
struct NormalRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const NormalRect&) const = default;
};
NormalRect fitNormalRect(const WindowPlacement& placement, int desktopWidth, int desktopHeight);

// The placement written for a section when the file is recreated; nothing for a section that is
// neither "Main" nor a view section.
std::optional<WindowPlacement> defaultPlacement(std::string_view section);

// "<folder>/<program name without extension>.ini".
std::filesystem::path settingsPathFor(const std::filesystem::path& executablePath);

// Start-up: writes the note (warning once through the prompter when the file cannot be written,
// and going on), then recreates the file with its defaults unless its version is ours. Returns
// whether the file is writable.
bool prepareSettingsFile(ProfileFile& file, Prompter& prompter);

// A settings file named on the command line, unlike the program's own, is not replaced when it
// is no settings file: the one-line reason it is refused (it is not a regular file, it cannot be
// read, it has no "[Main]" section, or one without our "Note"); nothing when it may serve, or does
// not exist yet.
std::optional<std::string> refuseNamedSettingsFile(const std::filesystem::path& path);

} // namespace zeph::monitor
