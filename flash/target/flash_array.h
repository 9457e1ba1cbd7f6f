#pragma once

// The flash behind the target: the bytes of one chip (two side by side on a 32-bit bus),
// its sectors, erased state 0xFF, programming that can only clear bits, and sector locks.

#include "chip_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::flashsim {

struct Sector {
    uint32_t start = 0;
    uint32_t size = 0;
};

class FlashArray {
public:
    // busWidth 16 or 32; on 32 bits every sector and the whole array are twice the chip's.
    FlashArray(const ChipEntry& chip, int busWidth);

    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    const std::vector<Sector>& sectors() const { return sectors_; }
    // The sector that holds `offset`, or none outside the array.
    std::optional<size_t> sectorAt(uint32_t offset) const;
    bool contains(uint32_t offset, uint32_t length) const;

    void eraseSector(size_t index);
    void eraseAll();
    // ANDs `data` into the array at `offset` (the range must lie inside).
    void program(uint32_t offset, const uint8_t* data, size_t count);
    const uint8_t* at(uint32_t offset) const { return bytes_.data() + offset; }

    bool locked(size_t index) const { return locked_[index]; }
    void setLocked(size_t index, bool on) { locked_[index] = on; }
    void setAllLocked(bool on);

    // An existing file is the flash contents (shorter: the rest erased; longer: cut); a
    // missing one leaves the flash erased. False with `error` set when it cannot be read.
    bool load(const std::string& path, std::string& error);
    // Written beside the file a link leads to and renamed onto it, so a reader never sees half
    // an image; a longer file keeps its bytes past the flash.
    bool save(const std::string& path, std::string& error) const;

private:
    std::vector<uint8_t> bytes_;
    std::vector<Sector> sectors_;
    std::vector<bool> locked_;
};

} // namespace zeph::flashsim
