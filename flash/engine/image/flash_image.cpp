#include "flash/engine/image/flash_image.h"

#include "common/text/strprintf.h"
#include "flash/engine/image/image_records.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

namespace zeph::flash {

namespace {

constexpr uint32_t kBlockMask = kImageBlockSize - 1;

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& fileName) {
    // Only a regular file has an end to read to: a device never ends, a FIFO blocks the open
    // and a directory fails the read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec)) {
        return std::nullopt;
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::string_view asText(const std::vector<uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void say(const VerboseLog& log, const std::string& text) {
    if (log) {
        log(text);
    }
}

bool isTextFormat(ImageFormat format) {
    return format == ImageFormat::MotorolaS || format == ImageFormat::IntelHex;
}

// Marks the file bytes [address, address + size) as used; false when they do not lie inside
// the buffer (the file changed between the passes).
bool markUsed(FlashImage& image, uint32_t address, uint64_t size, const uint8_t* bytes) {
    if (address < image.alignedLow ||
        static_cast<uint64_t>(address - image.alignedLow) + size > image.bufferSize) {
        return false;
    }
    const size_t at = address - image.alignedLow;
    std::copy(bytes, bytes + size, image.data.begin() + static_cast<std::ptrdiff_t>(at));
    std::fill_n(image.usageMap.begin() + static_cast<std::ptrdiff_t>(at), size, uint8_t{1});
    if (size > 0) {
        const size_t first = at / kImageBlockSize;
        const size_t last = (at + size - 1) / kImageBlockSize;
        std::fill(image.blockMap.begin() + static_cast<std::ptrdiff_t>(first),
                  image.blockMap.begin() + static_cast<std::ptrdiff_t>(last) + 1, uint8_t{1});
    }
    return true;
}

// The aligned limits and the data buffer, shared by both modes.
std::optional<FatalError> allocateData(FlashImage& image, const VerboseLog& log) {
    if (image.lowAddr > image.hiAddr || image.lowAddr < 0) {
        // Nothing to program (a text file without data records) or an unusable range.
        return fatalError(24);
    }
    image.imageLength = static_cast<uint32_t>(image.hiAddr - image.lowAddr) + 1;
    image.alignedLow = static_cast<uint32_t>(image.lowAddr) & ~kBlockMask;
    image.alignedHigh = static_cast<uint32_t>(image.hiAddr) | kBlockMask;
    image.bufferSize = image.alignedHigh - image.alignedLow + 1;
    say(log, strprintf("Adjusted image limits: LowAddr = 0x%08x HiAddr = 0x%08x\n",
                       image.alignedLow, image.alignedHigh));
    try {
        image.data.assign(image.bufferSize, 0xFF);
    } catch (const std::bad_alloc&) {
        image.data = {};
        return fatalError(24);
    }
    return std::nullopt;
}

} // namespace

const char* formatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::MotorolaS:
        return "Motorola-S";
    case ImageFormat::IntelHex:
        return "Intel-Hex";
    case ImageFormat::Binary:
        return "Binary";
    case ImageFormat::Axf:
        return "Axf";
    }
    return "Binary";
}

const char* formatReportName(ImageFormat format) {
    switch (format) {
    case ImageFormat::MotorolaS:
        return "S-MOTOROLA";
    case ImageFormat::IntelHex:
        return "HEX-INTEL";
    case ImageFormat::Binary:
        return "BINARY";
    case ImageFormat::Axf:
        return "AXF";
    }
    return "BINARY";
}

std::optional<FatalError> DetectFormat(const std::string& fileName, ImageFormat& format,
                                       const VerboseLog& log) {
    const auto bytes = readWholeFile(fileName);
    if (!bytes) {
        return fatalErrorWithName(5, fileName);
    }
    say(log, "Input file successfully opened.\n");
    if (!bytes->empty() && (*bytes)[0] == 'S') {
        format = ImageFormat::MotorolaS;
    } else if (!bytes->empty() && (*bytes)[0] == ':') {
        format = ImageFormat::IntelHex;
    } else {
        format = isAxf(*bytes) ? ImageFormat::Axf : ImageFormat::Binary;
    }
    say(log, strprintf("Input file is in %s format.\n", formatName(format)));
    return std::nullopt;
}

std::optional<FatalError> ScanRange(const std::string& fileName, FlashImage& image,
                                    const VerboseLog& log) {
    const auto bytes = readWholeFile(fileName);
    if (!bytes) {
        return fatalError(6);
    }
    image.segments.clear();
    if (isTextFormat(image.format)) {
        int32_t low = INT32_MAX;
        int32_t high = 0;
        const bool ok = walkTextRecords(
            asText(*bytes), image.format, [&](uint32_t address, std::span<const uint8_t> data) {
                const auto last =
                    static_cast<int32_t>(address + static_cast<uint32_t>(data.size()) - 1);
                low = std::min(low, static_cast<int32_t>(address));
                high = std::max(high, last);
                return true;
            });
        if (!ok) {
            return fatalError(6);
        }
        image.lowAddr = low;
        image.hiAddr = high;
    } else if (image.format == ImageFormat::Binary) {
        if (bytes->size() > kMaxImageAddress + 1) {
            return fatalError(6);
        }
        image.lowAddr = 0;
        image.hiAddr = static_cast<int32_t>(bytes->size()) - 1;
    } else {
        auto segments = readAxfSegments(*bytes);
        if (!segments) {
            return fatalError(6);
        }
        image.segments = std::move(*segments);
        image.lowAddr = static_cast<int32_t>(image.segments.front().address);
        // The highest end over all segments: a lower segment may reach past the last one.
        uint32_t high = 0;
        for (const AxfSegment& s : image.segments) {
            high = std::max(high, s.address + s.size - 1);
        }
        image.hiAddr = static_cast<int32_t>(high);
    }
    image.imageLength = static_cast<uint32_t>(image.hiAddr - image.lowAddr) + 1;
    say(log, strprintf("Input file preprocessed. LowAddr = 0x%08x HiAddr = 0x%08x\n",
                       static_cast<uint32_t>(image.lowAddr), static_cast<uint32_t>(image.hiAddr)));
    return std::nullopt;
}

std::optional<FatalError> PlaceImage(FlashImage& image, uint32_t chipSize, uint32_t flashBase,
                                     const VerboseLog& log) {
    image.placementBase = 0;
    if (image.format == ImageFormat::Axf) {
        const int64_t low = image.lowAddr;
        const int64_t high = image.hiAddr;
        const int64_t highFirst = flashBase;
        const int64_t lowFirst = highFirst - kLowChipRangeDistance;
        const auto inside = [&](int64_t first) {
            return low >= first && high <= first + static_cast<int64_t>(chipSize) - 1;
        };
        if (inside(highFirst)) {
            image.placementBase = flashBase;
        } else if (inside(lowFirst)) {
            image.placementBase = flashBase - kLowChipRangeDistance;
        } else {
            return axfPlacementError(
                static_cast<uint32_t>(image.lowAddr), static_cast<uint32_t>(image.hiAddr),
                static_cast<uint32_t>(lowFirst), static_cast<uint32_t>(lowFirst + chipSize - 1),
                static_cast<uint32_t>(highFirst), static_cast<uint32_t>(highFirst + chipSize - 1));
        }
    } else if (static_cast<int64_t>(image.hiAddr) >= static_cast<int64_t>(chipSize)) {
        return highAddressError(static_cast<uint32_t>(image.hiAddr) + 1, chipSize);
    }
    if (auto error = allocateData(image, log)) {
        return error;
    }
    try {
        image.usageMap.assign(image.bufferSize, 0);
        image.blockMap.assign(image.bufferSize / kImageBlockSize, 0);
    } catch (const std::bad_alloc&) {
        image.usageMap = {};
        image.blockMap = {};
        return fatalError(25);
    }
    say(log, "Read buffer successfully allocated.\n");
    return std::nullopt;
}

std::optional<FatalError> PrepareReadImage(FlashImage& image, int32_t from, int32_t to,
                                           uint32_t chipSize, const VerboseLog& log) {
    image = FlashImage{};
    image.format = ImageFormat::Binary;
    image.lowAddr = from;
    image.hiAddr = to;
    if (static_cast<int64_t>(to) >= static_cast<int64_t>(chipSize)) {
        return highAddressError(static_cast<uint32_t>(to) + 1, chipSize);
    }
    if (auto error = allocateData(image, log)) {
        return error;
    }
    say(log, "Read buffer successfully allocated.\n");
    return std::nullopt;
}

std::optional<FatalError> LoadImage(const std::string& fileName, FlashImage& image,
                                    const VerboseLog& log) {
    if (image.data.size() != image.bufferSize || image.usageMap.size() != image.bufferSize ||
        image.blockMap.size() != image.bufferSize / kImageBlockSize) {
        return fatalError(26);
    }
    const auto bytes = readWholeFile(fileName);
    if (!bytes) {
        return fatalError(26);
    }
    bool ok = true;
    if (isTextFormat(image.format)) {
        ok = walkTextRecords(asText(*bytes), image.format,
                             [&](uint32_t address, std::span<const uint8_t> data) {
                                 return markUsed(image, address, data.size(), data.data());
                             });
    } else if (image.format == ImageFormat::Binary) {
        ok = bytes->size() >= image.imageLength &&
             markUsed(image, 0, image.imageLength, bytes->data());
    } else {
        for (const AxfSegment& s : image.segments) {
            if (static_cast<uint64_t>(s.fileOffset) + s.size > bytes->size() ||
                !markUsed(image, s.address, s.size, bytes->data() + s.fileOffset)) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        return fatalError(26);
    }
    say(log, "Read buffer successfully filled.\n");
    say(log, "Input file closed.\n");
    return std::nullopt;
}

} // namespace zeph::flash
