#pragma once

// Decoders for the tests, written from the stream rules alone (nothing shared with the
// encoders), in the way the target decodes what the host sends.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zeph::flash::testing {

// Reads a stream least significant bit first; fails once `bits` are used up.
class CodeReader {
public:
    CodeReader(const std::vector<uint8_t>& bytes, uint32_t bits) : bytes_(bytes), bits_(bits) {}

    bool read(unsigned count, uint32_t& value) {
        value = 0;
        for (unsigned k = 0; k < count; ++k) {
            if (pos_ >= bits_ || pos_ / 8 >= bytes_.size()) {
                return false;
            }
            value |= static_cast<uint32_t>((bytes_[pos_ / 8] >> (pos_ % 8)) & 1u) << k;
            ++pos_;
        }
        return true;
    }
    bool atEnd() const { return pos_ == bits_; }

private:
    const std::vector<uint8_t>& bytes_;
    uint32_t bits_;
    uint32_t pos_ = 0;
};

// Walks the 1020-byte table from entry 254 for each of `count` bytes.
inline std::optional<std::vector<uint8_t>>
DecodeHuffmanBlock(const std::array<uint8_t, 1020>& table, const std::vector<uint8_t>& code,
                   uint32_t bits, std::size_t count) {
    CodeReader in(code, bits);
    std::vector<uint8_t> out;
    while (out.size() < count) {
        int entry = 254;
        for (;;) {
            uint32_t branch = 0;
            if (!in.read(1, branch)) {
                return std::nullopt;
            }
            const std::size_t at = static_cast<std::size_t>(entry) * 4 + (branch ? 2 : 0);
            const auto v =
                static_cast<int16_t>(static_cast<uint16_t>(table[at] << 8 | table[at + 1]));
            if (v < 0) {
                out.push_back(static_cast<uint8_t>(v + 256));
                break;
            }
            if (v > 254) {
                return std::nullopt;
            }
            entry = v;
        }
    }
    if (!in.atEnd()) {
        return std::nullopt;
    }
    return out;
}

// The target's LZSS side: keeps its ring from block to block and starts a fresh stream at
// r = 1 unless the block's address is the previous block's plus 1024. Any code that reads a
// ring byte not written in the current stream, overruns the block or leaves bits unused
// fails the block.
class LzssTarget {
public:
    std::optional<std::vector<uint8_t>> decode(uint32_t address, const std::vector<uint8_t>& code,
                                               uint32_t bits) {
        if (!started_ || address != last_ + 1024) {
            r_ = 1;
            written_.fill(false);
        }
        started_ = true;
        last_ = address;
        CodeReader in(code, bits);
        std::vector<uint8_t> out;
        while (out.size() < 1024) {
            uint32_t flag = 0;
            if (!in.read(1, flag)) {
                return std::nullopt;
            }
            if (flag == 1) {
                uint32_t byte = 0;
                if (!in.read(8, byte)) {
                    return std::nullopt;
                }
                put(static_cast<uint8_t>(byte), out);
                continue;
            }
            uint32_t source = 0;
            uint32_t length = 0;
            if (!in.read(10, source) || !in.read(4, length)) {
                return std::nullopt;
            }
            length += 2;
            if (out.size() + length > 1024) {
                return std::nullopt;
            }
            for (uint32_t k = 0; k < length; ++k) {
                const uint32_t from = (source + k) % 1024;
                if (!written_[from]) {
                    return std::nullopt;
                }
                put(ring_[from], out);
            }
        }
        if (!in.atEnd()) {
            return std::nullopt;
        }
        return out;
    }

private:
    void put(uint8_t byte, std::vector<uint8_t>& out) {
        ring_[r_] = byte;
        written_[r_] = true;
        r_ = (r_ + 1) % 1024;
        out.push_back(byte);
    }

    std::array<uint8_t, 1024> ring_{};
    std::array<bool, 1024> written_{};
    uint32_t r_ = 1;
    uint32_t last_ = 0;
    bool started_ = false;
};

} // namespace zeph::flash::testing
