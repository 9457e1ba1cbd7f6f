#include "wire_writer.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace zeph::sim {

PayloadWriter& PayloadWriter::u8(uint32_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    return *this;
}

PayloadWriter& PayloadWriter::u16(uint32_t v) {
    appendBe16(bytes_, static_cast<uint16_t>(v));
    return *this;
}

PayloadWriter& PayloadWriter::u32(uint32_t v) {
    appendBe32(bytes_, v);
    return *this;
}

PayloadWriter& PayloadWriter::f32(float v) {
    return u32(std::bit_cast<uint32_t>(v));
}

PayloadWriter& PayloadWriter::f64(double v, bool lowWordFirst) {
    const auto bits = std::bit_cast<uint64_t>(v);
    const auto high = static_cast<uint32_t>(bits >> 32);
    const auto low = static_cast<uint32_t>(bits);
    return lowWordFirst ? u32(low).u32(high) : u32(high).u32(low);
}

PayloadWriter& PayloadWriter::text(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
}

PayloadWriter& PayloadWriter::fill(size_t n, uint8_t v) {
    bytes_.insert(bytes_.end(), n, v);
    return *this;
}

Bytes frame(const Bytes& payload) {
    unsigned sum = 0;
    for (uint8_t b : payload) {
        sum += b;
    }
    const size_t n = payload.size();
    Bytes out(n + 8);
    out[0] = 0xA0;
    out[1] = 0xA2;
    writeBe16(&out[2], static_cast<uint16_t>(n));
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
    writeBe16(&out[n + 4], static_cast<uint16_t>(sum));
    out[n + 6] = 0xB0;
    out[n + 7] = 0xB3;
    return out;
}

std::string sentence(std::string_view body) {
    uint8_t x = 0;
    for (char c : body) {
        x = static_cast<uint8_t>(x ^ static_cast<uint8_t>(c));
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", x);
    return "$" + std::string(body) + tail;
}

} // namespace zeph::sim
