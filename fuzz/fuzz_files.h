#pragma once

// Loaders that read only from a named file get the input through a file in a folder of this
// process: in memory (/dev/shm) where there is one, so that a million runs wear no disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <unistd.h>

namespace zeph::fuzz {

// Stops the run as a finding: libFuzzer keeps the input that broke a loader's own rule.
[[noreturn]] inline void broken(const char* rule) {
    std::fprintf(stderr, "loader rule broken: %s\n", rule);
    std::abort();
}

inline void check(bool holds, const char* rule) {
    if (!holds) {
        broken(rule);
    }
}

// Cuts the input into chunks whose sizes the input itself chooses, so records fall across
// read boundaries in every way.
template <class Feed> void feedInChunks(const uint8_t* data, size_t size, Feed feed) {
    size_t at = 0;
    while (at < size) {
        const size_t chunk = 1 + data[at] % 64 * 67 % 4096;
        const size_t n = chunk < size - at ? chunk : size - at;
        feed(data + at, n);
        at += n;
    }
}

class ScratchFolder {
public:
    static ScratchFolder& instance() {
        static ScratchFolder folder;
        return folder;
    }

    std::string path(std::string_view name) const { return (dir_ / name).string(); }

    // The input as the whole content of the file `name`; its path.
    std::string write(std::string_view name, const uint8_t* data, size_t size) const {
        const std::string p = path(name);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        check(f != nullptr, "scratch file cannot be created");
        check(size == 0 || std::fwrite(data, 1, size, f) == size, "scratch file cannot be written");
        std::fclose(f);
        return p;
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    ScratchFolder() {
        std::error_code ec;
        const std::filesystem::path shm = "/dev/shm";
        const auto base =
            std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
        dir_ = base / ("zeph-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_, ec);
        check(!ec, "scratch folder cannot be created");
    }

    std::filesystem::path dir_;
};

} // namespace zeph::fuzz
