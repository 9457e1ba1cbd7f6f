#pragma once

// Flash and image contents for the programming runs against flashsim: seeded random bytes,
// text-like bytes both coded transfer forms can shrink, laying pieces into a flash picture, and
// S-record files.

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace zeph::flash::e2e {

using Bytes = std::vector<uint8_t>;

inline Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes out(n);
    for (uint8_t& b : out) {
        b = static_cast<uint8_t>(random());
    }
    return out;
}

// Text-like bytes, so that both coded forms have something to gain.
inline Bytes textBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    const std::string letters = "eeeettaaoinnsrh  ";
    Bytes out(n);
    for (uint8_t& b : out) {
        b = static_cast<uint8_t>(letters[random() % letters.size()]);
    }
    return out;
}

inline void fill(Bytes& bytes, uint32_t from, uint32_t to, uint8_t value) {
    std::fill(bytes.begin() + from, bytes.begin() + to, value);
}

inline void lay(Bytes& bytes, uint32_t at, const Bytes& piece) {
    std::copy(piece.begin(), piece.end(), bytes.begin() + at);
}

// S3 records of 32 data bytes for each area, then the S7 end record.
inline std::string sRecords(const std::vector<std::pair<uint32_t, Bytes>>& areas) {
    std::string out;
    char text[16];
    for (const auto& [address, bytes] : areas) {
        for (size_t at = 0; at < bytes.size(); at += 32) {
            const size_t n = std::min<size_t>(32, bytes.size() - at);
            const auto a = static_cast<uint32_t>(address + at);
            Bytes record = {static_cast<uint8_t>(n + 5)};
            appendBe32(record, a);
            record.insert(record.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
            unsigned sum = 0;
            out += "S3";
            for (uint8_t b : record) {
                sum += b;
                std::snprintf(text, sizeof text, "%02X", b);
                out += text;
            }
            std::snprintf(text, sizeof text, "%02X\n", ~sum & 0xFFu);
            out += text;
        }
    }
    return out + "S70500000000FA\n";
}

} // namespace zeph::flash::e2e
