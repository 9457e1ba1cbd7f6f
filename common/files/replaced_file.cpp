#include "replaced_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zeph::files {
namespace {

constexpr int kMaxLinks = 40; // as the kernel allows in one path

std::string folderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The file the links from `path` lead to, which need not exist; none after too many links.
std::optional<std::string> followLinks(std::string path) {
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        std::vector<char> link(PATH_MAX + 1);
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (n < 0) {
            return path;
        }
        const std::string to(link.data(), static_cast<size_t>(n));
        path = to.starts_with('/') ? to : folderOf(path) + "/" + to;
    }
    errno = ELOOP;
    return std::nullopt;
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies what `from` holds past `offset` to the end of `to`.
bool copyTail(const std::string& from, off_t offset, int to) {
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeAll(to, buffer, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
        offset += n;
    }
    ::close(fd);
    return ok;
}

} // namespace

std::optional<ReplacedFile> ReplacedFile::open(const std::string& path, std::string& error) {
    const auto fail = [&](const char* reason) {
        error = "cannot write " + path + ": " + reason;
        return std::nullopt;
    };
    const std::optional<std::string> target = followLinks(path);
    if (!target) {
        return fail(std::strerror(errno));
    }
    struct stat st {};
    if (::stat(target->c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            return fail("not a regular file");
        }
        if (::faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) != 0) {
            return fail(std::strerror(errno));
        }
    } else if (errno != ENOENT) {
        return fail(std::strerror(errno));
    }
    // The new contents are made beside the file, so its folder must take a new file.
    if (::faccessat(AT_FDCWD, folderOf(*target).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return fail(std::strerror(errno));
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return ReplacedFile(path, *target, 0666 & ~mask);
}

bool ReplacedFile::reserve(std::size_t bytes, std::string& error) const {
    const std::filesystem::path target(target_);
    std::string scratch = folderOf(target_) + "/." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
    if (fd < 0) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
        return false;
    }
    const int reason = bytes == 0 ? 0 : ::posix_fallocate(fd, 0, static_cast<off_t>(bytes));
    ::close(fd);
    ::unlink(scratch.c_str());
    if (reason != 0 && reason != EOPNOTSUPP && reason != ENOSYS) {
        error = "cannot write " + path_ + ": " + std::strerror(reason);
        return false;
    }
    return true;
}

bool ReplacedFile::write(std::string_view content, bool keepLonger, std::string& error) const {
    const auto fail = [&](const char* reason) {
        error = "cannot write " + path_ + ": " + reason;
        return false;
    };
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        return fail("not a regular file");
    }
    const std::filesystem::path target(target_);
    std::string temporary = folderOf(target_) + "/." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return fail(std::strerror(errno));
    }
    int reason = 0; // the first step that failed
    const auto check = [&reason](bool good) {
        if (!good && reason == 0) {
            reason = errno != 0 ? errno : EIO;
        }
    };
    errno = 0;
    // The replacement keeps the file's permissions and, where allowed, its owner.
    check(::fchmod(fd, exists ? st.st_mode & 07777 : newMode_) == 0);
    if (exists && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
        [[maybe_unused]] const int owned = ::fchown(fd, st.st_uid, st.st_gid);
        errno = 0;
    }
    if (reason == 0) {
        check(writeAll(fd, content.data(), content.size()));
    }
    if (reason == 0 && keepLonger && exists && st.st_size > static_cast<off_t>(content.size())) {
        check(copyTail(target_, static_cast<off_t>(content.size()), fd));
    }
    check(::close(fd) == 0);
    if (reason == 0) {
        check(::rename(temporary.c_str(), target_.c_str()) == 0);
    }
    if (reason != 0) {
        ::unlink(temporary.c_str());
        return fail(std::strerror(reason));
    }
    return true;
}

} // namespace zeph::files
