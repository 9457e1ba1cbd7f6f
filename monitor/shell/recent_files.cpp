#include "monitor/shell/recent_files.h"

#include "monitor/shell/capture_file.h"

#include <algorithm>

namespace zeph::monitor {
namespace {

std::string fileKey(size_t index) {
    return "File" + std::to_string(index + 1);
}

std::string typeKey(size_t index) {
    return "FileType" + std::to_string(index + 1);
}

} // namespace

RecentFiles::RecentFiles(ProfileFile& profile) : profile_(profile) {
    for (size_t i = 0; i < settings::kRecentFileCount; ++i) {
        const std::string file = profile_.getString(settings::kRecentFileList, fileKey(i), "");
        if (!file.empty()) {
            keysWritten_ = i + 1;
            if (std::find(files_.begin(), files_.end(), file) == files_.end()) {
                files_.push_back(file);
                types_.push_back(profile_.getString(settings::kRecentFileList, typeKey(i), ""));
            }
        }
    }
}

void RecentFiles::add(const std::string& file, const std::string& fileType) {
    const std::string name = absoluteFileName(file);
    drop(name);
    files_.insert(files_.begin(), name);
    types_.insert(types_.begin(), fileType);
    if (files_.size() > settings::kRecentFileCount) {
        files_.resize(settings::kRecentFileCount);
        types_.resize(settings::kRecentFileCount);
    }
    save();
}

void RecentFiles::remove(const std::string& file) {
    if (drop(file)) {
        save();
    }
}

bool RecentFiles::drop(const std::string& file) {
    const auto found = std::find(files_.begin(), files_.end(), file);
    if (found == files_.end()) {
        return false;
    }
    types_.erase(types_.begin() + (found - files_.begin()));
    files_.erase(found);
    return true;
}

// A list without formats keeps none until an entry gets one.
void RecentFiles::save() {
    const size_t keys = std::max(keysWritten_, files_.size());
    for (size_t i = 0; i < keys; ++i) {
        const bool listed = i < files_.size();
        profile_.writeString(settings::kRecentFileList, fileKey(i), listed ? files_[i] : "");
        const std::string type = listed ? types_[i] : "";
        if (!type.empty() || profile_.hasKey(settings::kRecentFileList, typeKey(i))) {
            profile_.writeString(settings::kRecentFileList, typeKey(i), type);
        }
    }
    keysWritten_ = files_.size();
}

std::string recentFileMenuText(size_t index, const std::string& file) {
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (const char c : file) {
        text += c;
        if (c == '&') {
            text += '&';
        }
    }
    return text;
}

} // namespace zeph::monitor
