#pragma once

// Block contents for the compression tests.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zeph::flash::testing {

inline std::vector<uint8_t> RandomBytes(std::size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(size);
    for (auto& b : out) {
        b = static_cast<uint8_t>(gen() & 0xFF);
    }
    return out;
}

inline std::vector<uint8_t> TextBytes(std::size_t size) {
    static const char* const words[] = {
        "receiver ", "satellite ", "almanac ", "the ",  "flash ",   "sector ",   "block ",
        "of ",       "and ",       "clock\n",  "time ", "status, ", "position ", "buffer. "};
    std::mt19937 gen(7);
    std::string text;
    while (text.size() < size) {
        text += words[gen() % 14];
    }
    return {text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)};
}

// Little-endian 32-bit instruction words: loads, moves, branches and returns with small
// varying fields, as a compiled image has them.
inline std::vector<uint8_t> ArmLikeBytes(std::size_t size) {
    static const uint32_t opcodes[] = {0xE59F0000, 0xE3A01000, 0xE5801000, 0xEB000000,
                                       0xE12FFF1E, 0xE92D4010, 0xE8BD8010, 0xE1A00004};
    std::mt19937 gen(11);
    std::vector<uint8_t> out;
    while (out.size() < size) {
        uint32_t word = opcodes[gen() % 8];
        if ((word & 0x0F000000) == 0x0B000000) {
            word |= static_cast<uint32_t>(gen()) & 0x3FF;
        } else if (word != 0xE12FFF1E) {
            word |= static_cast<uint32_t>(gen()) & 0x3F;
        }
        for (int i = 0; i < 4 && out.size() < size; ++i) {
            out.push_back(static_cast<uint8_t>(word >> (8 * i)));
        }
    }
    return out;
}

} // namespace zeph::flash::testing
