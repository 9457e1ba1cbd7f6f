#pragma once

// The settings file: a text file of "[Section]" lines and "Key=Value" lines. Sections and keys
// match without regard to case; lines end in LF, CR LF or CR, after an optional UTF-8 byte-order
// mark. A write changes one line (or appends one) and leaves every other line as it was,
// comments and unknown lines included.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace zeph::monitor {

class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // The value of the key, without blanks around it (and without one pair of enclosing quotes);
    // `fallback` when the file, the section or the key is missing.
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The leading decimal number of the value, sign allowed, like atoi; `fallback` when the key is
    // missing or its value does not start with a number.
    int getInt(std::string_view section, std::string_view key, int fallback) const;

    // Replaces the key's line in place, or appends the key to the end of its section, or appends
    // the section to the file; added lines end as the file's first line does. The file itself is
    // rewritten, so it keeps its links, its mode and its owner, and a file in a folder that takes
    // no new files can still be written. False when the file cannot be written: it is read-only,
    // or missing where no file can be made.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);

    // Whether the file can be read: a regular file that opens, or none at all (it reads as
    // empty). A folder, a device or a FIFO is never read.
    bool readable() const;
    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // Empties the file in place. True when it is empty afterwards (also when there was none). A
    // read-only file is kept, like its writes fail: read-only protects the settings as a whole;
    // and so is a file that cannot be read.
    bool clear();

private:
    std::filesystem::path path_;
};

} // namespace zeph::monitor
