#pragma once

// The target's Huffman decoder. The host sends the code tree once per run (SendHuffmanTable)
// as 255 entries of 4 bytes, entry k for internal node 256 + k: the left child, then the right
// child, each as a big-endian signed 16-bit value v. v in 0..254 is internal node 256 + v
// (entry v); v in -256..-1 is the leaf for byte value v + 256. The root is entry 254. A code
// bit 0 takes the left branch, 1 the right one.

#include "code_bits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zeph::flashsim {

constexpr size_t kHuffmanTableSize = 1020;

class HuffmanDecoder {
public:
    // Takes the decoding table; false (and the old table kept) when it is not 1020 bytes.
    bool setTable(const uint8_t* table, size_t size);
    bool hasTable() const { return hasTable_; }
    void forgetTable() { hasTable_ = false; }

    // Decodes one block: exactly 1024 codes that use up every stream bit. Returns "" on
    // success, else why the stream is malformed (`out` is then partly written).
    std::string decode(CodeBits bits, DecodedBlock& out) const;

private:
    static constexpr size_t kEntries = kHuffmanTableSize / 4;
    std::array<std::array<int16_t, 2>, kEntries> entries_{};
    bool hasTable_ = false;
};

} // namespace zeph::flashsim
