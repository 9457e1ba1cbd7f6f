#pragma once

// The code bit stream shared by the Huffman and LZSS transfer forms, and the packet payload
// that carries it.

#include <cstdint>
#include <vector>

namespace zeph::flash {

// Codes are appended least significant bit first: bit k of a code appended when the stream
// holds p bits becomes stream bit p + k, and stream bit q is bit (q mod 8) of byte q / 8.
class BitWriter {
public:
    // Appends the low `count` bits of value; count is 0..32.
    void append(uint32_t value, unsigned count);

    uint32_t bitCount() const { return bits_; }
    // (bitCount() + 7) / 8 bytes; unused bits of the last byte are 0.
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    uint32_t bits_ = 0;
};

// The number of unused bits in the last code byte: 7 - ((bits + 7) mod 8).
uint8_t PadBitCount(uint32_t bits);

// What a compressed DownloadToBuffer or DownloadAndWrite carries after its 4-byte flash
// address: the pad-bit count, then the (bits + 7) / 8 code bytes.
std::vector<uint8_t> CompressedPayload(const BitWriter& stream);

} // namespace zeph::flash
