#pragma once

// Compressed blocks for the tests, built from the stream rules alone: codes appended least
// significant bit first, LZSS literals and matches, and two Huffman decoding tables.

#include "flash/target/wire_rules.h"

#include "common/bytes/byte_order.h"

#include <cstddef>
#include <cstdint>

namespace zeph::flashsim::testing {

class CodeWriter {
public:
    // Appends the low `count` bits of `value`, bit 0 first.
    void append(uint32_t value, unsigned count) {
        for (unsigned k = 0; k < count; ++k, ++bits_) {
            if (bits_ % 8 == 0) {
                bytes_.push_back(0);
            }
            bytes_.back() =
                static_cast<uint8_t>(bytes_.back() | ((value >> k) & 1U) << (bits_ % 8));
        }
    }
    void literal(uint8_t byte) { append(1U | static_cast<uint32_t>(byte) << 1, 9); }
    void match(uint32_t position, uint32_t length) {
        append(position << 1 | (length - 2) << 11, 15);
    }

    const Bytes& bytes() const { return bytes_; }
    uint8_t padBits() const { return static_cast<uint8_t>(7 - (bits_ + 7) % 8); }
    // A compressed download command: code, flash address, pad-bit count, code bytes.
    Bytes command(uint8_t code, uint32_t address) const {
        Bytes payload{code};
        appendBe32(payload, address);
        payload.push_back(padBits());
        for (uint8_t byte : bytes_) {
            payload.push_back(byte);
        }
        return payload;
    }

private:
    Bytes bytes_;
    size_t bits_ = 0;
};

// One table entry: left and right child, each big-endian signed 16-bit.
inline void setEntry(Bytes& table, size_t entry, int left, int right) {
    writeBe16(&table[4 * entry], static_cast<uint16_t>(left));
    writeBe16(&table[4 * entry + 2], static_cast<uint16_t>(right));
}

// A tree of eight levels: entries 0..127 pair the leaves 2i and 2i + 1, each next level pairs
// two entries of the level below, entry 254 is the root. The code of byte x is then its bits
// from bit 7 down to bit 0, so a block's stream is its bytes with their bits reversed.
inline Bytes eightBitTable() {
    Bytes table(1020, 0);
    size_t below = 0; // first entry of the level below
    size_t next = 128;
    for (size_t i = 0; i < 128; ++i) {
        setEntry(table, i, static_cast<int>(2 * i) - 256, static_cast<int>(2 * i + 1) - 256);
    }
    for (size_t width = 64; width >= 1; width /= 2) {
        for (size_t i = 0; i < width; ++i) {
            setEntry(table, next + i, static_cast<int>(below + 2 * i),
                     static_cast<int>(below + 2 * i + 1));
        }
        below = next;
        next += width;
    }
    return table;
}

inline uint8_t reversedBits(uint8_t byte) {
    uint8_t out = 0;
    for (int k = 0; k < 8; ++k) {
        out = static_cast<uint8_t>(out | ((byte >> k) & 1) << (7 - k));
    }
    return out;
}

} // namespace zeph::flashsim::testing
