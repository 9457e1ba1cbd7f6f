#pragma once

// The File menu's list of the most recent capture files played as data source, most recent
// first, each with the format it was played in. It lives in the settings file's "Recent File
// List" section as "File1" to "File4" and "FileType1" to "FileType4" (the "FileType" values of
// the data source); the section appears only once a capture has been played, so a new settings
// file holds nothing but its defaults.

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
    // The format entry `index` was played in; empty when the list does not say (a list kept
    // before formats were).
    const std::string& fileType(size_t index) const { return types_.at(index); }
    // Puts the file first (as an absolute path) with its format, dropping the oldest beyond four;
    // saved at once.
    void add(const std::string& file, const std::string& fileType);
    // Drops the file from the list; saved at once.
    void remove(const std::string& file);

private:
    bool drop(const std::string& file); // true when it was listed
    void save();

    ProfileFile& profile_;
    std::vector<std::string> files_;
    std::vector<std::string> types_; // by entry
    size_t keysWritten_ = 0;         // "File<n>" keys holding a name, which a shorter list empties
};

// The menu text of entry `index` (from 0): "&1 " and the name, with '&' doubled so that it shows.
std::string recentFileMenuText(size_t index, const std::string& file);

} // namespace zeph::monitor
