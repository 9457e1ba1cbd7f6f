#pragma once

// Flash and image contents for the programming runs against flashsim: seeded random bytes,
// text-like bytes both coded transfer forms can shrink, and laying pieces into a flash picture.

#include <algorithm>
#include <cstdint>
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

} // namespace zeph::flash::e2e
