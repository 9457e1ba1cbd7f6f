#include "monitor/shell/settings.h"

namespace zeph::monitor {

using namespace settings;

namespace {

// Writes every pair even after a failure, as each owner would; true when all succeeded.
class Writer {
public:
    Writer(ProfileFile& file, std::string_view section) : file_(file), section_(section) {}
    Writer& text(std::string_view key, std::string_view value) {
        ok_ = file_.writeString(section_, key, value) && ok_;
        return *this;
    }
    Writer& number(std::string_view key, int value) {
        ok_ = file_.writeInt(section_, key, value) && ok_;
        return *this;
    }
    bool ok() const { return ok_; }

private:
    ProfileFile& file_;
    std::string_view section_;
    bool ok_ = true;
};

// Reads each key with the value the record holds as its default.
class Reader {
public:
    Reader(const ProfileFile& file, std::string_view section) : file_(file), section_(section) {}
    const Reader& text(std::string_view key, std::string& value) const {
        value = file_.getString(section_, key, value);
        return *this;
    }
    const Reader& number(std::string_view key, int& value) const {
        value = file_.getInt(section_, key, value);
        return *this;
    }

private:
    const ProfileFile& file_;
    std::string_view section_;
};

struct DefaultRect {
    std::string_view section;
    int left, top, right, bottom;
};

constexpr std::array<DefaultRect, 1 + kViewSlotCount> kDefaultRects = {{
    {kMain, -1, -1, 950, 700},
    {kVwSig, 0, 0, 452, 343},
    {kVwMap, 452, 0, 798, 343},
    {kVwRad, 798, 0, 1020, 240},
    {kVwDbg, 0, 343, 570, 621},
    {kVwResp, 570, 343, 798, 621},
    {kVwErr, 798, 240, 939, 621},
    {kVwNav, 0, 0, 359, 171},
    {kVwDgps, 486, 0, 939, 325},
    {kVwGeod, 0, 231, 245, 621},
    {kVwDr, 245, 183, 939, 621},
}};

void recreate(ProfileFile& file) {
    file.remove();
    file.writeString(kMain, kNote, kNoteText);
    file.writeString(kMain, kVersionKey, kVersion);
    file.writeString(kMain, kOpenViews, kRecreatedOpenViews);
    for (const DefaultRect& r : kDefaultRects) {
        savePlacement(file, r.section, *defaultPlacement(r.section));
    }
}

} // namespace

void DataSourceSettings::load(const ProfileFile& profile) {
    Reader(profile, kDataSrc)
        .number(kSrc, src)
        .text(kSerPort, serPort)
        .text(kSerBaud, serBaud)
        .text(kSerDbit, serDbit)
        .text(kSerPar, serPar)
        .text(kSerSbit, serSbit)
        .text(kFileName, fileName)
        .text(kFileType, fileType);
}

bool DataSourceSettings::save(ProfileFile& profile) const {
    return Writer(profile, kDataSrc)
        .number(kSrc, src)
        .text(kSerPort, serPort)
        .text(kSerBaud, serBaud)
        .text(kSerDbit, serDbit)
        .text(kSerPar, serPar)
        .text(kSerSbit, serSbit)
        .text(kFileName, fileName)
        .text(kFileType, fileType)
        .ok();
}

void ReceiverInitSettings::load(const ProfileFile& profile) {
    Reader(profile, kRcvrInit)
        .text(kPosX, posX)
        .text(kPosY, posY)
        .text(kPosZ, posZ)
        .text(kClkOffset, clkOffset)
        .number(kUsePcTime, usePcTime)
        .number(kUtcOffset, utcOffset)
        .number(kWk, wk)
        .text(kTow, tow)
        .number(kChnlCnt, chnlCnt)
        .number(kCfgBits, cfgBits);
}

bool ReceiverInitSettings::save(ProfileFile& profile) const {
    return Writer(profile, kRcvrInit)
        .text(kPosX, posX)
        .text(kPosY, posY)
        .text(kPosZ, posZ)
        .text(kClkOffset, clkOffset)
        .number(kUsePcTime, usePcTime)
        .number(kUtcOffset, utcOffset)
        .number(kWk, wk)
        .text(kTow, tow)
        .number(kChnlCnt, chnlCnt)
        .number(kCfgBits, cfgBits)
        .ok();
}

void LogSettings::load(const ProfileFile& profile) {
    Reader(profile, kLog).text(kLogFile, file).text(kLogMsgs, msgs);
}

bool LogSettings::save(ProfileFile& profile) const {
    return Writer(profile, kLog).text(kLogFile, file).text(kLogMsgs, msgs).ok();
}

void MapViewSettings::load(const ProfileFile& profile) {
    Reader(profile, kVwMap)
        .text(kScale, scale)
        .text(kLat, lat)
        .text(kLon, lon)
        .number(kRing0, ring0)
        .number(kRing1, ring1)
        .number(kRing2, ring2);
}

bool MapViewSettings::save(ProfileFile& profile) const {
    return Writer(profile, kVwMap)
        .text(kScale, scale)
        .text(kLat, lat)
        .text(kLon, lon)
        .number(kRing0, ring0)
        .number(kRing1, ring1)
        .number(kRing2, ring2)
        .ok();
}

void SignalViewSettings::load(const ProfileFile& profile) {
    Reader(profile, kVwSig).number(kGraphType, graphType);
}

bool SignalViewSettings::save(ProfileFile& profile) const {
    return Writer(profile, kVwSig).number(kGraphType, graphType).ok();
}

void RadarViewSettings::load(const ProfileFile& profile) {
    Reader(profile, kVwRad)
        .number(kOrientation, orientation)
        .number(kOuterRadPos, outerRadPos)
        .text(kOuterRadVel, outerRadVel);
}

bool RadarViewSettings::save(ProfileFile& profile) const {
    return Writer(profile, kVwRad)
        .number(kOrientation, orientation)
        .number(kOuterRadPos, outerRadPos)
        .text(kOuterRadVel, outerRadVel)
        .ok();
}

void RandSettings::load(const ProfileFile& profile) {
    Reader(profile, kRand).number(kTimerDelay, timerDelay);
}

bool RandSettings::save(ProfileFile& profile) const {
    return Writer(profile, kRand).number(kTimerDelay, timerDelay).ok();
}

bool savePlacement(ProfileFile& file, std::string_view section, const WindowPlacement& p) {
    return Writer(file, section)
        .number(kWplLength, p.length)
        .number(kWplFlags, p.flags)
        .number(kWplShowCmd, p.showCmd)
        .number(kWplMinX, p.minX)
        .number(kWplMinY, p.minY)
        .number(kWplMaxX, p.maxX)
        .number(kWplMaxY, p.maxY)
        .number(kWplNormalL, p.normalL)
        .number(kWplNormalT, p.normalT)
        .number(kWplNormalR, p.normalR)
        .number(kWplNormalB, p.normalB)
        .ok();
}

std::optional<WindowPlacement> restorePlacement(const ProfileFile& file, std::string_view section) {
    WindowPlacement p;
    Reader(file, section).number(kWplLength, p.length);
    if (p.length == 0) {
        return std::nullopt;
    }
    Reader(file, section)
        .number(kWplFlags, p.flags)
        .number(kWplShowCmd, p.showCmd)
        .number(kWplMinX, p.minX)
        .number(kWplMinY, p.minY)
        .number(kWplMaxX, p.maxX)
        .number(kWplMaxY, p.maxY)
        .number(kWplNormalL, p.normalL)
        .number(kWplNormalT, p.normalT)
        .number(kWplNormalR, p.normalR)
        .number(kWplNormalB, p.normalB);
    // A window closed while maximised opens as a normal window.
    if (p.showCmd == WindowPlacement::kShowMaximised) {
        p.showCmd = WindowPlacement::kShowNormal;
    }
    return p;
}

std::optional<WindowPlacement> defaultPlacement(std::string_view section) {
    for (const DefaultRect& r : kDefaultRects) {
        if (r.section == section) {
            return WindowPlacement{WindowPlacement::kLength,
                                   0,
                                   WindowPlacement::kShow,
                                   -1,
                                   -1,
                                   -1,
                                   -1,
                                   r.left,
                                   r.top,
                                   r.right,
                                   r.bottom};
        }
    }
    return std::nullopt;
}

std::filesystem::path settingsPathFor(const std::filesystem::path& executablePath) {
    std::filesystem::path ini = executablePath.stem();
    ini += ".ini";
    return executablePath.parent_path() / ini;
}

bool prepareSettingsFile(ProfileFile& file, Prompter& prompter) {
    const bool writable = file.writeString(kMain, kNote, kNoteText);
    if (!writable) {
        prompter.tell(kReadOnlyWarning, Prompter::Icon::Warning);
    }
    if (file.getString(kMain, kVersionKey, "") != kVersion) {
        recreate(file);
    }
    return writable;
}

} // namespace zeph::monitor
