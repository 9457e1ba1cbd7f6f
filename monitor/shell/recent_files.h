#pragma once

// The File menu's list of the most recent capture files played as data source, most recent
// first. It lives in the settings file's "Recent File List" section as "File1" to "File4"; the
// section appears only once a capture has been played, so a new settings file holds nothing but
// its defaults.

#include "monitor/shell/profile_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

namespace settings {
constexpr std::string_view kRecentFileList = "Recent File List";
constexpr size_t kRecentFileCount = 4;
} // namespace settings

class RecentFiles {
public:
    // Reads the list: empty keys are skipped, a name listed twice counts once.
    explicit RecentFiles(ProfileFile& profile);

    const std::vector<std::string>& files() const { return files_; }
    // Puts the file first (as an absolute path), dropping the oldest beyond four; saved at once.
    void add(const std::string& file);
    // Drops the file from the list; saved at once.
    void remove(const std::string& file);

private:
    void save();

    ProfileFile& profile_;
    std::vector<std::string> files_;
    size_t keysWritten_ = 0; // "File<n>" keys holding a name, which a shorter list empties
};

// The menu text of entry `index` (from 0): "&1 " and the name, with '&' doubled so that it shows.
std::string recentFileMenuText(size_t index, const std::string& file);

} // namespace zeph::monitor
