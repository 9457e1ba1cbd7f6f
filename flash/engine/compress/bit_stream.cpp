#include "flash/engine/compress/bit_stream.h"

namespace zeph::flash {

void BitWriter::append(uint32_t value, unsigned count) {
    for (unsigned k = 0; k < count && k < 32; ++k) {
        const unsigned inByte = bits_ % 8;
        if (inByte == 0) {
            bytes_.resize(bytes_.size() + 1, 0);
        }
        if ((value >> k) & 1u) {
            bytes_.back() = static_cast<uint8_t>(bytes_.back() | (1u << inByte));
        }
        ++bits_;
    }
}

uint8_t PadBitCount(uint32_t bits) {
    return static_cast<uint8_t>(7 - (bits + 7) % 8);
}

std::vector<uint8_t> CompressedPayload(const BitWriter& stream) {
    std::vector<uint8_t> payload(stream.bytes().size() + 1);
    payload[0] = PadBitCount(stream.bitCount());
    for (std::size_t i = 0; i < stream.bytes().size(); ++i) {
        payload[i + 1] = stream.bytes()[i];
    }
    return payload;
}

} // namespace zeph::flash
