#include "flash/engine/run/program_folder.h"

#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace zeph::flash {

namespace {

std::string folderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string executablePath() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) {
        return {};
    }
    path.resize(static_cast<size_t>(n));
    return path;
}

// A bare program name was found through PATH: the first PATH folder that holds it.
std::string searchPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr || name.empty()) {
        return {};
    }
    std::string_view rest(path);
    while (true) {
        const size_t colon = rest.find(':');
        std::string dir = withSeparator(std::string(rest.substr(0, colon)));
        if (!dir.empty() && access((dir + std::string(name)).c_str(), X_OK) == 0) {
            return dir;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(colon + 1);
    }
}

} // namespace

std::string withSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

std::string programFolder(const char* argv0) {
    if (const char* chosen = std::getenv(kBurnFolderVariable); chosen != nullptr && *chosen) {
        return withSeparator(chosen);
    }
    if (const std::string exe = executablePath(); !exe.empty()) {
        return folderOf(exe);
    }
    const std::string_view arg = argv0 != nullptr ? argv0 : "";
    if (const std::string dir = folderOf(arg); !dir.empty()) {
        return dir;
    }
    return searchPath(arg);
}

} // namespace zeph::flash
