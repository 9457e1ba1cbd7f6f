#pragma once

// A scratch folder of the test's own, removed with everything in it when the object goes.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zeph::testing {

// The folder is new and unique (mkdtemp under $TMPDIR or /tmp), so cases running at the same
// time, in one program or in several, never share a file. Its name carries the running test's
// name, to tell leftovers apart.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path operator/(std::string_view name) const { return folder_ / name; }
    // The path of `name` in the folder; an empty name gives the folder with a trailing '/'.
    std::string path(std::string_view name) const { return (folder_ / name).string(); }

    // Writes a whole file into the folder; returns its path.
    std::string write(std::string_view name, std::string_view content) const;
    std::string write(std::string_view name, std::span<const uint8_t> content) const;

private:
    std::filesystem::path folder_;
};

} // namespace zeph::testing
