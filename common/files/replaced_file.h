#pragma once

// A file rewritten whole: a simulator's counts and flash image, a saved almanac, ephemeris or
// command file. A symbolic link is followed to the file it names, and that file is rewritten. Each
// write goes to a new file beside it, renamed onto it with its permissions, so a reader sees the
// old contents or the new, never a mix, and a write that fails (a full disk) leaves the old file as
// it was; nothing but that file is created or replaced.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zeph::files {

class ReplacedFile {
public:
    // Checks, creating nothing, that `path` leads to a regular file or to none, that the file
    // can be written and that a file can be made beside it. None with `error` set (one line,
    // naming `path`) otherwise.
    static std::optional<ReplacedFile> open(const std::string& path, std::string& error);

    // Where the links lead.
    const std::string& target() const { return target_; }

    // Whether `bytes` fit beside the file now: a scratch file there is given that much room and
    // removed again, so a long job that ends in write() learns of a full disk before it starts.
    // A file system that cannot reserve room counts as one that has it. False with `error` set.
    bool reserve(std::size_t bytes, std::string& error) const;

    // Replaces the file's contents with `content`. With `keepLonger` the bytes of the file past
    // the end of `content` stay, so the file never gets shorter. False with `error` set.
    bool write(std::string_view content, bool keepLonger, std::string& error) const;

private:
    ReplacedFile(std::string path, std::string target, mode_t newMode)
        : path_(std::move(path)), target_(std::move(target)), newMode_(newMode) {}

    std::string path_;   // as given, for messages
    std::string target_; // the file the links lead to
    mode_t newMode_;     // the permissions of a file made new, after the umask
};

} // namespace zeph::files
