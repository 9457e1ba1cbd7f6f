#include "flash_array.h"

#include "common/files/replaced_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zeph::flashsim {

FlashArray::FlashArray(const ChipEntry& chip, int busWidth) {
    const uint32_t factor = busWidth == 32 ? 2 : 1;
    uint32_t start = 0;
    for (const SectorGroup& group : chip.sectorGroups) {
        for (uint32_t i = 0; i < group.count; ++i) {
            sectors_.push_back({start, group.size * factor});
            start += group.size * factor;
        }
    }
    bytes_.assign(start, 0xFF);
    locked_.assign(sectors_.size(), false);
}

std::optional<size_t> FlashArray::sectorAt(uint32_t offset) const {
    const auto after =
        std::upper_bound(sectors_.begin(), sectors_.end(), offset,
                         [](uint32_t value, const Sector& sector) { return value < sector.start; });
    if (after == sectors_.begin() || offset >= size()) {
        return std::nullopt;
    }
    return static_cast<size_t>(after - sectors_.begin()) - 1;
}

bool FlashArray::contains(uint32_t offset, uint32_t length) const {
    return offset <= size() && length <= size() - offset;
}

void FlashArray::eraseSector(size_t index) {
    const Sector& sector = sectors_[index];
    std::fill_n(bytes_.begin() + sector.start, sector.size, uint8_t{0xFF});
}

void FlashArray::eraseAll() {
    std::fill(bytes_.begin(), bytes_.end(), uint8_t{0xFF});
}

void FlashArray::program(uint32_t offset, const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        bytes_[offset + i] &= data[i];
    }
}

void FlashArray::setAllLocked(bool on) {
    std::fill(locked_.begin(), locked_.end(), on);
}

bool FlashArray::load(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) {
            return true;
        }
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const size_t n = std::fread(bytes_.data(), 1, bytes_.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    std::fill(bytes_.begin() + static_cast<long>(n), bytes_.end(), uint8_t{0xFF});
    return true;
}

bool FlashArray::save(const std::string& path, std::string& error) const {
    const auto file = files::ReplacedFile::open(path, error);
    return file && file->write(std::string_view(reinterpret_cast<const char*>(bytes_.data()),
                                                bytes_.size()),
                               true, error);
}

} // namespace zeph::flashsim
