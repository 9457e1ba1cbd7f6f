#include "flash/engine/compress/huffman.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <vector>

namespace zeph::flash {

HuffmanAnalysis HuffmanCoder::AnalyseHuffman(std::span<const uint8_t> data,
                                             std::span<const uint8_t> usageMap) {
    std::array<uint32_t, kHuffmanLeafCount> counts{};
    uint64_t usedBytes = 0;
    const std::size_t counted = std::min(data.size(), usageMap.size());
    for (std::size_t i = 0; i < counted; ++i) {
        if (usageMap[i] == 1) {
            ++counts[data[i]];
            ++usedBytes;
        }
    }
    buildTree(counts);
    codes_ = {};
    HuffmanCode path;
    assignCodes(kHuffmanRoot, 0, path);
    fillTable();

    HuffmanAnalysis result;
    if (usedBytes > 0) {
        uint64_t codeBits = 0;
        for (std::size_t v = 0; v < kHuffmanLeafCount; ++v) {
            codeBits += static_cast<uint64_t>(counts[v]) * codes_[v].length;
        }
        result.ratio = 1.0 - static_cast<double>(codeBits) / (8.0 * static_cast<double>(usedBytes));
    }
    for (std::size_t start = 0; start < data.size(); start += kHuffmanWindow) {
        const std::size_t end = std::min(data.size(), start + kHuffmanWindow);
        uint64_t bits = 0;
        for (std::size_t i = start; i < end; ++i) {
            bits += codes_[data[i]].length;
        }
        result.largestBlockBits = std::max(result.largestBlockBits, static_cast<uint32_t>(bits));
    }
    return result;
}

// The working list is kept by descending count; each step joins its last two entries and
// moves the new node forward past every entry with a smaller count only, so it stays behind
// entries with an equal count. Equal leaf counts keep ascending byte order.
void HuffmanCoder::buildTree(const std::array<uint32_t, kHuffmanLeafCount>& counts) {
    for (std::size_t v = 0; v < kHuffmanLeafCount; ++v) {
        nodes_[v] = HuffmanNode{counts[v], -1, -1, static_cast<uint32_t>(v)};
    }
    std::vector<int> list(kHuffmanLeafCount);
    for (std::size_t v = 0; v < kHuffmanLeafCount; ++v) {
        list[v] = static_cast<int>(v);
    }
    std::stable_sort(list.begin(), list.end(),
                     [&](int a, int b) { return nodes_[a].count > nodes_[b].count; });

    for (std::size_t k = 0; k + 1 < kHuffmanLeafCount; ++k) {
        const int last = list.back();
        list.pop_back();
        const int secondLast = list.back();
        list.pop_back();
        const std::size_t id = kHuffmanLeafCount + k;
        HuffmanNode& node = nodes_[id];
        node.count = nodes_[secondLast].count + nodes_[last].count;
        node.left = static_cast<int16_t>(nodes_[secondLast].id);
        node.right = static_cast<int16_t>(nodes_[last].id);
        node.id = static_cast<uint32_t>(id);

        std::size_t at = list.size();
        while (at > 0 && nodes_[list[at - 1]].count < node.count) {
            --at;
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), static_cast<int>(id));
    }
}

void HuffmanCoder::assignCodes(int node, uint32_t depth, HuffmanCode& path) {
    const HuffmanNode& n = nodes_[static_cast<std::size_t>(node)];
    if (n.left < 0 && n.right < 0) {
        if (n.count > 0) {
            codes_[static_cast<std::size_t>(node)] = path;
            codes_[static_cast<std::size_t>(node)].length = depth;
        }
        return;
    }
    // The tree has 256 leaves, so depth stays below 256 and fits the eight code words.
    const uint32_t word = depth / 32;
    const uint32_t mask = 1u << (depth % 32);
    path.bits[word] &= ~mask;
    assignCodes(n.left, depth + 1, path);
    path.bits[word] |= mask;
    assignCodes(n.right, depth + 1, path);
    path.bits[word] &= ~mask;
}

void HuffmanCoder::fillTable() {
    auto put = [&](std::size_t at, int16_t child) {
        writeBe16(&table_[at], static_cast<uint16_t>(child - 256));
    };
    for (std::size_t k = 0; k + kHuffmanLeafCount < kHuffmanNodeCount; ++k) {
        const HuffmanNode& n = nodes_[kHuffmanLeafCount + k];
        put(4 * k, n.left);
        put(4 * k + 2, n.right);
    }
}

std::optional<uint32_t> HuffmanCoder::EncodeHuffman(std::span<const uint8_t> block,
                                                    BitWriter& out) const {
    for (uint8_t b : block) {
        if (codes_[b].length == 0) {
            return std::nullopt;
        }
    }
    const uint32_t start = out.bitCount();
    for (uint8_t b : block) {
        const HuffmanCode& code = codes_[b];
        for (uint32_t done = 0; done < code.length; done += 32) {
            out.append(code.bits[done / 32], std::min<uint32_t>(32, code.length - done));
        }
    }
    return out.bitCount() - start;
}

} // namespace zeph::flash
