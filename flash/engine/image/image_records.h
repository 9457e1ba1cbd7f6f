#pragma once

// The text record formats (Motorola S-record, Intel HEX) and the ARM ELF header, parsed from
// the file's bytes with every field bounds-checked.

#include "flash/engine/image/flash_image.h"

#include <span>
#include <string_view>

namespace zeph::flash {

// The highest address an image byte may have: LowAddr and HiAddr are signed 32-bit.
inline constexpr uint64_t kMaxImageAddress = 0x7FFFFFFF;

using DataRecordHandler = std::function<bool(uint32_t address, std::span<const uint8_t> bytes)>;

// Calls `onData` for each data record with at least one byte, in file order, until an end
// record or the end of the text. False when a record is bad, a record reaches past
// kMaxImageAddress, or `onData` returns false.
bool walkTextRecords(std::string_view text, ImageFormat format, const DataRecordHandler& onData);

// The ARM executable test on the file's bytes.
bool isAxf(std::span<const uint8_t> file);

// The loadable segments (non-zero file size) by ascending address; nothing when the program
// header table lies outside the file, no segment has data, or a segment reaches past
// kMaxImageAddress.
std::optional<std::vector<AxfSegment>> readAxfSegments(std::span<const uint8_t> file);

} // namespace zeph::flash
