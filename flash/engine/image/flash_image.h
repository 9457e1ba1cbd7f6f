#pragma once

// FlashImage: the RAM copy of the flash range a data file covers, with maps of which bytes and
// which 1 KiB blocks hold file data. A file is read in two passes: DetectFormat and ScanRange
// find the format and the address range before the chip is known; PlaceImage applies the chip's
// range rules and allocates the buffers; LoadImage then fills them.
//
// Every step returns the fatal error it met (number and message), or nothing on success.

#include "flash/engine/errors/error_texts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zeph::flash {

enum class ImageFormat : uint8_t { MotorolaS = 0, IntelHex = 1, Binary = 2, Axf = 3 };

// "Motorola-S", "Intel-Hex", "Binary", "Axf": the name in verbose messages.
const char* formatName(ImageFormat format);
// "S-MOTOROLA", "HEX-INTEL", "BINARY", "AXF": the name in the input-file record.
const char* formatReportName(ImageFormat format);

inline constexpr uint32_t kImageBlockSize = 1024;
// Chip-select ranges sit at 0x40000000 and up; an AXF image may also be linked for the
// chip's alias this far below.
inline constexpr uint32_t kLowChipRangeDistance = 0x40000000;

struct AxfSegment {
    uint32_t address = 0;
    uint32_t size = 0;
    uint32_t fileOffset = 0;
};

struct FlashImage {
    ImageFormat format = ImageFormat::Binary;
    int32_t lowAddr = 0; // lowest address holding file data
    int32_t hiAddr = 0;  // highest address holding file data
    uint32_t imageLength = 0;
    uint32_t alignedLow = 0;  // lowAddr with its low 10 bits cleared
    uint32_t alignedHigh = 0; // hiAddr with its low 10 bits set
    uint32_t bufferSize = 0;
    std::vector<uint8_t> data;        // 0xFF where the file gave nothing
    std::vector<uint8_t> usageMap;    // 1 per byte the file gave
    std::vector<uint8_t> blockMap;    // 1 per 1 KiB block holding a file byte
    std::vector<AxfSegment> segments; // AXF only, by ascending address
    // AXF addresses are processor addresses; this is subtracted to get chip offsets.
    uint32_t placementBase = 0;

    // The chip offset of data[0].
    uint32_t startOffset() const { return alignedLow - placementBase; }
};

using VerboseLog = std::function<void(const std::string&)>;

// Error 5 when the file cannot be opened.
std::optional<FatalError> DetectFormat(const std::string& fileName, ImageFormat& format,
                                       const VerboseLog& log = {});

// First pass for image.format: lowAddr, hiAddr, imageLength and (AXF) segments. Error 6.
std::optional<FatalError> ScanRange(const std::string& fileName, FlashImage& image,
                                    const VerboseLog& log = {});

// Programming mode, once the chip is known: range and placement rules (errors 23, 33), the
// aligned limits and the buffers (errors 24, 25). chipSize is the size on the bus (already
// doubled on a 32-bit bus); flashBase is the chip-select base plus the chip offset.
std::optional<FatalError> PlaceImage(FlashImage& image, uint32_t chipSize, uint32_t flashBase,
                                     const VerboseLog& log = {});

// Read mode: the range [from, to] of a binary image; only data is allocated (errors 23, 24).
std::optional<FatalError> PrepareReadImage(FlashImage& image, int32_t from, int32_t to,
                                           uint32_t chipSize, const VerboseLog& log = {});

// Second pass: fills data, usageMap and blockMap from the file. Error 26.
std::optional<FatalError> LoadImage(const std::string& fileName, FlashImage& image,
                                    const VerboseLog& log = {});

} // namespace zeph::flash
