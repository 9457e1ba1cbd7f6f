#include "huffman_decoder.h"

#include "common/bytes/byte_order.h"

namespace zeph::flashsim {

bool HuffmanDecoder::setTable(const uint8_t* table, size_t size) {
    if (size != kHuffmanTableSize) {
        return false;
    }
    for (size_t k = 0; k < kEntries; ++k) {
        for (size_t side = 0; side < 2; ++side) {
            const uint8_t* field = table + 4 * k + 2 * side;
            entries_[k][side] = static_cast<int16_t>(readBe16(field));
        }
    }
    hasTable_ = true;
    return true;
}

std::string HuffmanDecoder::decode(CodeBits bits, DecodedBlock& out) const {
    if (!hasTable_) {
        return "Huffman block before any decoding table";
    }
    for (size_t i = 0; i < out.size(); ++i) {
        size_t entry = kEntries - 1;
        // A path through the 255 internal nodes is at most 255 branches long; a longer one
        // goes round a loop in a damaged table.
        for (size_t depth = 0;; ++depth) {
            if (bits.remaining() == 0) {
                return "Huffman stream ends after " + std::to_string(i) + " of 1024 bytes";
            }
            if (depth == kEntries) {
                return "Huffman code " + std::to_string(i) +
                       " is longer than any path of the table";
            }
            const int value = entries_[entry][bits.take(1)];
            if (value < 0 && value >= -256) {
                out[i] = static_cast<uint8_t>(value + 256);
                break;
            }
            if (value < 0 || static_cast<size_t>(value) >= kEntries) {
                return "Huffman code " + std::to_string(i) + " has no entry in the table";
            }
            entry = static_cast<size_t>(value);
        }
    }
    if (bits.remaining() != 0) {
        return "Huffman stream has " + std::to_string(bits.remaining()) +
               " bits left after 1024 bytes";
    }
    return "";
}

} // namespace zeph::flashsim
