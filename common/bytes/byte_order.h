#pragma once

// Multi-byte values at a byte pointer, in an explicit byte order. The receiver and the flash
// target speak big-endian; the engine's pipe records and the dashboard's settings record are
// little-endian. The caller keeps the bounds: `p` must hold the value's bytes.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zeph {

constexpr uint16_t readBe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

constexpr uint32_t readBe32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

constexpr uint16_t readLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[1] << 8 | p[0]);
}

constexpr uint32_t readLe32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

constexpr void writeBe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

constexpr void writeBe32(uint8_t* p, uint32_t v) {
    writeBe16(p, static_cast<uint16_t>(v >> 16));
    writeBe16(p + 2, static_cast<uint16_t>(v));
}

constexpr void writeLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

constexpr void writeLe32(uint8_t* p, uint32_t v) {
    writeLe16(p, static_cast<uint16_t>(v));
    writeLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

// The value at offset `at` of a received message or reply whose length the caller checked.
inline uint16_t readBe16(std::span<const uint8_t> bytes, size_t at) {
    assert(at + 2 <= bytes.size());
    return readBe16(bytes.data() + at);
}

inline uint32_t readBe32(std::span<const uint8_t> bytes, size_t at) {
    assert(at + 4 <= bytes.size());
    return readBe32(bytes.data() + at);
}

inline void appendBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

inline void appendBe32(std::vector<uint8_t>& out, uint32_t v) {
    appendBe16(out, static_cast<uint16_t>(v >> 16));
    appendBe16(out, static_cast<uint16_t>(v));
}

} // namespace zeph
