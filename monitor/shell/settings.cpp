#include "monitor/shell/settings.h"

#include "common/text/strprintf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    {kMain, 0, 0, 1260, 940},
    {kVwSig, 0, 0, 540, 440},
    {kVwMap, 540, 0, 900, 440},
    {kVwRad, 900, 0, 1250, 440},
    {kVwDbg, 0, 440, 520, 870},
    {kVwResp, 520, 440, 820, 870},
    {kVwErr, 820, 440, 1250, 870},
    {kVwNav, 0, 0, 359, 171},
    {kVwDgps, 486, 0, 939, 325},
    {kVwGeod, 0, 231, 245, 621},
    {kVwDr, 245, 183, 939, 621},
}};

void recreate(ProfileFile& file) {
    file.clear();
    file.writeString(kMain, kNote, kNoteText);
    file.writeString(kMain, kVersionKey, kVersion);
    file.writeString(kMain, kOpenViews, kRecreatedOpenViews);
    for (const DefaultRect& r : kDefaultRects) {
        savePlacement(file, r.section, *defaultPlacement(r.section));
    }
}

// The keys of each record, listed once: the same walk reads them (with a Reader) and writes them
// back (with a Writer).
template <class R, class Io> void dataSourceKeys(R& r, Io& io) {
    io.number(kSrc, r.src)
        .text(kSerPort, r.serPort)
        .text(kSerBaud, r.serBaud)
        .text(kSerDbit, r.serDbit)
        .text(kSerPar, r.serPar)
        .text(kSerSbit, r.serSbit)
        .text(kFileName, r.fileName)
        .text(kFileType, r.fileType);
}

template <class R, class Io> void receiverInitKeys(R& r, Io& io) {
    io.text(kPosX, r.posX)
        .text(kPosY, r.posY)
        .text(kPosZ, r.posZ)
        .text(kClkOffset, r.clkOffset)
        .number(kUsePcTime, r.usePcTime)
        .number(kUtcOffset, r.utcOffset)
        .number(kWk, r.wk)
        .text(kTow, r.tow)
        .number(kChnlCnt, r.chnlCnt)
        .number(kCfgBits, r.cfgBits);
}

template <class R, class Io> void logKeys(R& r, Io& io) {
    io.text(kLogFile, r.file).text(kLogMsgs, r.msgs);
}

template <class R, class Io> void mapViewKeys(R& r, Io& io) {
    io.text(kScale, r.scale)
        .text(kLat, r.lat)
        .text(kLon, r.lon)
        .number(kRing0, r.ring0)
        .number(kRing1, r.ring1)
        .number(kRing2, r.ring2);
}

template <class R, class Io> void signalViewKeys(R& r, Io& io) {
    io.number(kGraphType, r.graphType);
}

template <class R, class Io> void radarViewKeys(R& r, Io& io) {
    io.number(kOrientation, r.orientation)
        .number(kOuterRadPos, r.outerRadPos)
        .text(kOuterRadVel, r.outerRadVel);
}

template <class R, class Io> void randKeys(R& r, Io& io) {
    io.number(kTimerDelay, r.timerDelay);
}

// The placement keys after "WplLength", which tells whether a placement was saved at all.
template <class R, class Io> void placementKeys(R& p, Io& io) {
    io.number(kWplFlags, p.flags)
        .number(kWplShowCmd, p.showCmd)
        .number(kWplMinX, p.minX)
        .number(kWplMinY, p.minY)
        .number(kWplMaxX, p.maxX)
        .number(kWplMaxY, p.maxY)
        .number(kWplNormalL, p.normalL)
        .number(kWplNormalT, p.normalT)
        .number(kWplNormalR, p.normalR)
        .number(kWplNormalB, p.normalB);
}

} // namespace

void DataSourceSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kDataSrc);
    dataSourceKeys(*this, io);
}

bool DataSourceSettings::save(ProfileFile& profile) const {
    Writer io(profile, kDataSrc);
    dataSourceKeys(*this, io);
    return io.ok();
}

void ReceiverInitSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kRcvrInit);
    receiverInitKeys(*this, io);
}

bool ReceiverInitSettings::save(ProfileFile& profile) const {
    Writer io(profile, kRcvrInit);
    receiverInitKeys(*this, io);
    return io.ok();
}

void LogSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kLog);
    logKeys(*this, io);
}

bool LogSettings::save(ProfileFile& profile) const {
    Writer io(profile, kLog);
    logKeys(*this, io);
    return io.ok();
}

void MapViewSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kVwMap);
    mapViewKeys(*this, io);
}

bool MapViewSettings::save(ProfileFile& profile) const {
    Writer io(profile, kVwMap);
    mapViewKeys(*this, io);
    return io.ok();
}

void SignalViewSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kVwSig);
    signalViewKeys(*this, io);
}

bool SignalViewSettings::save(ProfileFile& profile) const {
    Writer io(profile, kVwSig);
    signalViewKeys(*this, io);
    return io.ok();
}

void RadarViewSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kVwRad);
    radarViewKeys(*this, io);
}

bool RadarViewSettings::save(ProfileFile& profile) const {
    Writer io(profile, kVwRad);
    radarViewKeys(*this, io);
    return io.ok();
}

void RandSettings::load(const ProfileFile& profile) {
    const Reader io(profile, kRand);
    randKeys(*this, io);
}

bool RandSettings::save(ProfileFile& profile) const {
    Writer io(profile, kRand);
    randKeys(*this, io);
    return io.ok();
}

bool savePlacement(ProfileFile& file, std::string_view section, const WindowPlacement& p) {
    Writer io(file, section);
    io.number(kWplLength, p.length);
    placementKeys(p, io);
    return io.ok();
}

NormalRect fitNormalRect(const WindowPlacement& p, int desktopWidth, int desktopHeight) {
    const auto fit = [](int low, int high, int desktop) {
        const long long reach = 2LL * desktop;
        const long long extent =
            std::clamp<long long>(static_cast<long long>(high) - low, 1, reach);
        const long long start = std::clamp<long long>(low, -reach, reach);
        return std::pair{static_cast<int>(start), static_cast<int>(extent)};
    };
    const auto [x, width] = fit(p.normalL, p.normalR, desktopWidth);
    const auto [y, height] = fit(p.normalT, p.normalB, desktopHeight);
    return {x, y, width, height};
}

std::optional<WindowPlacement> restorePlacement(const ProfileFile& file, std::string_view section) {
    WindowPlacement p;
    const Reader io(file, section);
    io.number(kWplLength, p.length);
    if (p.length == 0) {
        return std::nullopt;
    }
    placementKeys(p, io);
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
    // A file that cannot be read may hold anything: it is never deleted.
    if (file.readable() && file.getString(kMain, kVersionKey, "") != kVersion) {
        recreate(file);
    }
    return writable;
}

std::optional<std::string> refuseNamedSettingsFile(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        return strprintf("cannot read the settings file %s: %s", path.c_str(),
                         std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return path.string() + " is not a settings file (not a regular file)";
    }
    // Opened only to learn whether it can be read: the content is read with the profile rules.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return strprintf("cannot read the settings file %s: %s", path.c_str(),
                         std::strerror(errno));
    }
    ::close(fd);
    const ProfileFile file(path);
    if (!file.hasSection(kMain)) {
        return path.string() + " is not a settings file (it has no [Main] section)";
    }
    // Another program's file may have a [Main] section, with a Version too; every file the
    // monitor wrote has our note, which the start-up writes before anything else.
    if (file.getString(kMain, kNote, "") != kNoteText) {
        return path.string() + " is not a settings file (its [Main] section is not ZephMon's)";
    }
    return std::nullopt;
}

} // namespace zeph::monitor
