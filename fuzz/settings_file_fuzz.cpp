// The monitor's settings file of any content: every record and window placement reads from it,
// a record saved into it in place reads back as it was saved, a write of one key changes no
// other key, and the start-up check leaves a file of ours.

#include "fuzz_files.h"

#include "monitor/shell/recent_files.h"
#include "monitor/shell/settings.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <tuple>

namespace {

using namespace zeph::monitor;
using zeph::fuzz::check;

struct AllSettings {
    DataSourceSettings dataSource;
    ReceiverInitSettings receiverInit;
    LogSettings log;
    MapViewSettings mapView;
    SignalViewSettings signalView;
    RadarViewSettings radarView;
    RandSettings rand;

    void load(const ProfileFile& p) {
        dataSource.load(p);
        receiverInit.load(p);
        log.load(p);
        mapView.load(p);
        signalView.load(p);
        radarView.load(p);
        rand.load(p);
    }
    bool save(ProfileFile& p) const {
        bool ok = dataSource.save(p);
        ok = receiverInit.save(p) && ok;
        ok = log.save(p) && ok;
        ok = mapView.save(p) && ok;
        ok = signalView.save(p) && ok;
        ok = radarView.save(p) && ok;
        return rand.save(p) && ok;
    }
    bool operator==(const AllSettings&) const = default;
};

AllSettings loaded(const ProfileFile& p) {
    AllSettings s;
    s.load(p);
    return s;
}

class SilentPrompter : public zeph::Prompter {
public:
    Answer ask(const std::string&, Icon, Buttons) override { return Answer::Ok; }
};

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void checkPlacements(const ProfileFile& p) {
    std::vector<std::string_view> sections(settings::kViewSections.begin(),
                                           settings::kViewSections.end());
    sections.push_back(settings::kMain);
    for (const std::string_view section : sections) {
        const auto placement = restorePlacement(p, section);
        if (!placement) {
            continue;
        }
        check(placement->length != 0, "a placement is restored only when saved");
        const NormalRect r = fitNormalRect(*placement, 1280, 1024);
        check(r.width >= 1 && r.width <= 2560 && r.height >= 1 && r.height <= 2048 &&
                  r.x >= -2560 && r.x <= 2560 && r.y >= -2048 && r.y <= 2048,
              "a restored window fits twice the desktop");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = zeph::fuzz::ScratchFolder::instance().write("zephmon.ini", data, size);
    ProfileFile profile(path);
    check(profile.readable(), "a regular file is readable");
    refuseNamedSettingsFile(path);
    checkPlacements(profile);
    {
        RecentFiles recent(profile);
        check(recent.files().size() <= settings::kRecentFileCount, "at most four recent files");
        for (size_t i = 0; i < recent.files().size(); ++i) {
            check(!recent.files()[i].empty() &&
                      std::count(recent.files().begin(), recent.files().end(), recent.files()[i]) ==
                          1,
                  "recent files are named once each");
        }
    }

    // Saved in place and read again; saving what was read changes no byte of the file.
    const AllSettings first = loaded(profile);
    check(first.save(profile), "a regular file takes the settings");
    const AllSettings second = loaded(profile);
    const std::string saved = contents(path);
    check(second.save(profile) && contents(path) == saved,
          "settings saved in place read back as saved");

    // One key written: it reads back and nothing else moves.
    check(profile.writeString(settings::kLog, settings::kLogFile, "fuzz run.gps"),
          "a regular file takes a key");
    AllSettings expected = second;
    expected.log.file = "fuzz run.gps";
    check(loaded(profile) == expected, "a write changes its key and no other");

    // The start-up check rewrites most of the file: half the inputs, by their first byte.
    if (size == 0 || (data[0] & 1) == 0) {
        return 0;
    }
    SilentPrompter prompter;
    check(prepareSettingsFile(profile, prompter), "a regular file is writable");
    check(profile.getString(settings::kMain, settings::kVersionKey, "") == settings::kVersion &&
              profile.getString(settings::kMain, settings::kNote, "") == settings::kNoteText,
          "the start-up leaves a file of ours");
    check(!refuseNamedSettingsFile(path), "a file of ours serves as a named settings file");
    return 0;
}
