#pragma once

// The static Huffman transfer form (method 1): one code built from the whole image, its
// decoding table for SendHuffmanTable, and the per-block encoder.

#include "flash/engine/compress/bit_stream.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zeph::flash {

inline constexpr std::size_t kHuffmanLeafCount = 256;
inline constexpr std::size_t kHuffmanNodeCount = 511; // leaves 0..255, internal 256..510
inline constexpr int kHuffmanRoot = 510;
inline constexpr std::size_t kHuffmanDecodingTableSize = 1020; // 255 entries of 4 bytes
inline constexpr std::size_t kHuffmanWindow = 1024; // block size for the largest-block figure

struct HuffmanNode {
    uint32_t count = 0;
    int16_t left = -1;
    int16_t right = -1;
    uint32_t id = 0;
};

// Bit i of the code is the branch taken at depth i from the root (0 left, 1 right), kept in
// bit (i mod 32) of bits[i / 32]. Length 0: the byte value has no code.
struct HuffmanCode {
    uint32_t length = 0;
    std::array<uint32_t, 8> bits{};

    bool bit(uint32_t i) const { return (bits[i / 32] >> (i % 32)) & 1u; }
};

struct HuffmanAnalysis {
    std::optional<double> ratio; // none when the image uses no byte at all
    uint32_t largestBlockBits = 0;
};

class HuffmanCoder {
public:
    // Builds the code from the bytes whose usageMap entry is 1 (a missing entry counts as 0).
    HuffmanAnalysis AnalyseHuffman(std::span<const uint8_t> data,
                                   std::span<const uint8_t> usageMap);

    // Appends the code of every byte of block in order and returns the bits added. A block
    // holding a byte value without a code (one that never occurs among the image bytes, such
    // as the fill of a partly used block) cannot be sent in this form: nothing is appended
    // and the result is empty.
    std::optional<uint32_t> EncodeHuffman(std::span<const uint8_t> block, BitWriter& out) const;

    const std::array<HuffmanNode, kHuffmanNodeCount>& nodes() const { return nodes_; }
    const std::array<HuffmanCode, kHuffmanLeafCount>& codes() const { return codes_; }
    // Entry k (4 bytes) for node 256 + k: left - 256, right - 256, each big-endian signed
    // 16-bit. v >= 0 is entry v; v < 0 is the leaf for byte value v + 256. Root: entry 254.
    const std::array<uint8_t, kHuffmanDecodingTableSize>& decodingTable() const { return table_; }

private:
    void buildTree(const std::array<uint32_t, kHuffmanLeafCount>& counts);
    void assignCodes(int node, uint32_t depth, HuffmanCode& path);
    void fillTable();

    std::array<HuffmanNode, kHuffmanNodeCount> nodes_{};
    std::array<HuffmanCode, kHuffmanLeafCount> codes_{};
    std::array<uint8_t, kHuffmanDecodingTableSize> table_{};
};

} // namespace zeph::flash
