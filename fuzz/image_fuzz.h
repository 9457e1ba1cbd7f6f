#pragma once

// One data file through both passes of the image loader, the format forced to the target's
// own so that every input reaches that format's reader: detection, the range scan, placement
// on a chip and the load. What the load gives is checked against the file itself.

#include "fuzz_files.h"

#include "flash/engine/image/flash_image.h"
#include "flash/engine/image/image_records.h"

#include <algorithm>
#include <map>
#include <span>
#include <string_view>

namespace zeph::flash::fuzz {

using zeph::fuzz::check;

// A 1 MiB chip on chip select 0: big enough for any image a fuzzed file can describe in full,
// small enough that a run stays fast.
inline constexpr uint32_t kChipSize = 0x100000;
inline constexpr uint32_t kFlashBase = 0x40000000;

// Every byte the file gives, by processor address, the later record of two winning.
inline std::map<uint32_t, uint8_t> fileBytes(const FlashImage& image,
                                             std::span<const uint8_t> file) {
    std::map<uint32_t, uint8_t> bytes;
    const auto put = [&](uint32_t address, std::span<const uint8_t> data) {
        for (size_t i = 0; i < data.size(); ++i) {
            bytes[address + static_cast<uint32_t>(i)] = data[i];
        }
        return true;
    };
    if (image.format == ImageFormat::MotorolaS || image.format == ImageFormat::IntelHex) {
        const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
        walkTextRecords(text, image.format, put);
    } else if (image.format == ImageFormat::Binary) {
        put(0, file);
    } else {
        for (const AxfSegment& s : image.segments) {
            put(s.address, file.subspan(s.fileOffset, s.size));
        }
    }
    return bytes;
}

// Runs over every byte of the buffer, so it is kept out of the coverage counters: counting
// these loops would slow each run many times over and guide the fuzzer nowhere.
__attribute__((no_sanitize("coverage"))) inline void checkLoaded(const FlashImage& image,
                                                                 std::span<const uint8_t> file) {
    check(image.data.size() == image.bufferSize && image.usageMap.size() == image.bufferSize &&
              image.blockMap.size() * kImageBlockSize == image.bufferSize,
          "the buffers cover the aligned range");
    check(image.alignedLow % kImageBlockSize == 0 && image.bufferSize % kImageBlockSize == 0 &&
              static_cast<uint32_t>(image.lowAddr) >= image.alignedLow &&
              static_cast<uint64_t>(static_cast<uint32_t>(image.hiAddr)) <
                  uint64_t{image.alignedLow} + image.bufferSize,
          "the aligned range holds the file's range");
    check(image.startOffset() + uint64_t{image.bufferSize} <= kChipSize,
          "a placed image lies inside the chip");
    const uint8_t* usage = image.usageMap.data();
    const uint8_t* bytes = image.data.data();
    const auto expected = fileBytes(image, file);
    for (const auto& [address, byte] : expected) {
        const uint64_t at = uint64_t{address} - image.alignedLow;
        check(address >= image.alignedLow && at < image.bufferSize,
              "every byte of the file is in the buffer");
        check(usage[at] == 1 && bytes[at] == byte, "the buffer holds the file's bytes");
    }
    size_t used = 0;
    for (size_t i = 0; i < image.bufferSize; ++i) {
        check(usage[i] <= 1 && (usage[i] == 1 || bytes[i] == 0xFF),
              "the buffer holds 0xFF where the file gives nothing");
        used += usage[i];
    }
    check(used == expected.size(), "the usage map marks the file's bytes and no others");
    check(usage[static_cast<uint32_t>(image.lowAddr) - image.alignedLow] == 1 &&
              usage[static_cast<uint32_t>(image.hiAddr) - image.alignedLow] == 1,
          "the range ends on file bytes");
    for (size_t b = 0; b < image.blockMap.size(); ++b) {
        uint8_t any = 0;
        for (size_t i = b * kImageBlockSize; i < (b + 1) * kImageBlockSize; ++i) {
            any |= usage[i];
        }
        check(image.blockMap[b] == any, "the block map marks blocks with file bytes");
    }
}

inline int fuzzImage(ImageFormat format, const char* fileName, const uint8_t* data, size_t size) {
    const std::string path = zeph::fuzz::ScratchFolder::instance().write(fileName, data, size);
    const std::span<const uint8_t> file(data, size);
    ImageFormat detected = ImageFormat::Binary;
    check(!DetectFormat(path, detected), "a data file opens");
    const ImageFormat byFirst = size > 0 && data[0] == 'S'   ? ImageFormat::MotorolaS
                                : size > 0 && data[0] == ':' ? ImageFormat::IntelHex
                                : isAxf(file)                ? ImageFormat::Axf
                                                             : ImageFormat::Binary;
    check(detected == byFirst, "the format is told by the first byte or the ELF header");

    FlashImage image;
    image.format = format;
    if (ScanRange(path, image)) {
        return 0;
    }
    if (image.lowAddr >= 0 && image.hiAddr >= image.lowAddr) {
        check(image.imageLength == static_cast<uint32_t>(image.hiAddr - image.lowAddr) + 1,
              "the image length spans the range");
    }
    if (PlaceImage(image, kChipSize, kFlashBase)) {
        return 0;
    }
    const auto loadError = LoadImage(path, image);
    bool short_ = false;
    for (const AxfSegment& s : image.segments) {
        short_ = short_ || uint64_t{s.fileOffset} + s.size > size;
    }
    // Only an executable whose segment reaches past its end fails the second pass.
    check(loadError.has_value() == short_, "a file the first pass took loads");
    if (!loadError) {
        checkLoaded(image, file);
    }
    return 0;
}

} // namespace zeph::flash::fuzz
