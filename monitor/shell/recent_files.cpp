#include "monitor/shell/recent_files.h"

#include <algorithm>
#include <filesystem>

namespace zeph::monitor {
namespace {

std::string keyOf(size_t index) {
    return "File" + std::to_string(index + 1);
}

} // namespace

RecentFiles::RecentFiles(ProfileFile& profile) : profile_(profile) {
    for (size_t i = 0; i < settings::kRecentFileCount; ++i) {
        const std::string file = profile_.getString(settings::kRecentFileList, keyOf(i), "");
        if (!file.empty()) {
            keysWritten_ = i + 1;
            if (std::find(files_.begin(), files_.end(), file) == files_.end()) {
                files_.push_back(file);
            }
        }
    }
}

void RecentFiles::add(const std::string& file) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(file, ec);
    const std::string name = ec ? file : path.lexically_normal().string();
    std::erase(files_, name);
    files_.insert(files_.begin(), name);
    if (files_.size() > settings::kRecentFileCount) {
        files_.resize(settings::kRecentFileCount);
    }
    save();
}

void RecentFiles::remove(const std::string& file) {
    if (std::erase(files_, file) > 0) {
        save();
    }
}

void RecentFiles::save() {
    const size_t keys = std::max(keysWritten_, files_.size());
    for (size_t i = 0; i < keys; ++i) {
        profile_.writeString(settings::kRecentFileList, keyOf(i),
                             i < files_.size() ? files_[i] : "");
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
