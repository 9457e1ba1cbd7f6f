#include "monitor/shell/capture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace zeph::monitor {

bool opensAsCapture(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    // A terminal is a receiver's line, read as a serial source: as a capture it would hold the
    // program in a read until the receiver speaks.
    const bool playable = ::fstat(fd, &st) == 0 &&
                          (S_ISREG(st.st_mode) || (S_ISCHR(st.st_mode) && ::isatty(fd) == 0));
    ::close(fd);
    return playable;
}

std::string absoluteFileName(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(name, ec);
    return ec ? name : path.lexically_normal().string();
}

} // namespace zeph::monitor
