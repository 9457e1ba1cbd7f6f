#pragma once

// The CRC16 that the host and the target compute over flash contents to verify a programmed
// range.

#include <cstdint>
#include <span>

namespace zeph::flash {

inline constexpr uint16_t kCrcStart = 0xFFFF;

// CRC-16 with the reflected polynomial 0xA001 (0x8005 bit-reversed) and no final XOR, starting
// from `crc`, so that a range may be checked in pieces.
uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc = kCrcStart);

} // namespace zeph::flash
