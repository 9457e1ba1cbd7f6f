#pragma once

// The target's side of the wire rules: the packet checksum, the CRC16 over flash and the
// framing of a reply packet.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zeph::flashsim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

// The 8-bit sum of the bytes, negated: a packet including its checksum sums to 0.
uint8_t negatedSum(const uint8_t* bytes, size_t count);
// CRC16 as the target computes it over flash: reflected polynomial 0xA001, no final XOR,
// continuing from `crc` so a range can be taken in pieces.
uint16_t crc16(const uint8_t* bytes, size_t count, uint16_t crc);

// Length (2, big-endian), payload, checksum.
Bytes framePacket(const Bytes& payload);

} // namespace zeph::flashsim
