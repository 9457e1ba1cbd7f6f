#include "flash/engine/compress/huffman.h"
#include "reference_decoders.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace zeph::flash {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

HuffmanAnalysis AnalyseAllUsed(HuffmanCoder& coder, const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> used(data.size(), 1);
    return coder.AnalyseHuffman(data, used);
}

uint32_t CodeValue(const HuffmanCode& code) {
    return code.bits[0];
}

TEST(HuffmanTree, JoinsTheTwoSmallestAndKeepsNewNodesBehindEqualCounts) {
    HuffmanCoder coder;
    AnalyseAllUsed(coder, Bytes("AABC")); // A 2, B 1, C 1, all others 0
    // (C + zeros) has count 1 and must stay behind B, so B is joined with it, not with C.
    EXPECT_EQ(coder.codes()['A'].length, 1u);
    EXPECT_EQ(CodeValue(coder.codes()['A']), 0b0u);
    EXPECT_EQ(coder.codes()['B'].length, 2u);
    EXPECT_EQ(CodeValue(coder.codes()['B']), 0b01u); // right, then left
    EXPECT_EQ(coder.codes()['C'].length, 3u);
    EXPECT_EQ(CodeValue(coder.codes()['C']), 0b011u);
    EXPECT_EQ(coder.codes()[0].length, 0u); // unused values get no code
    EXPECT_EQ(coder.codes()['D'].length, 0u);
    const HuffmanNode& root = coder.nodes()[kHuffmanRoot];
    EXPECT_EQ(root.count, 4u);
    EXPECT_EQ(root.left, 'A');
    EXPECT_EQ(root.right, 509);
}

TEST(HuffmanTree, DecodingTableLayoutForAKnownInput) {
    HuffmanCoder coder;
    const HuffmanAnalysis analysis = AnalyseAllUsed(coder, Bytes("AAAABBC"));
    ASSERT_TRUE(analysis.ratio);
    EXPECT_DOUBLE_EQ(*analysis.ratio, 1.0 - 11.0 / 56.0);
    EXPECT_EQ(analysis.largestBlockBits, 11u);

    const auto& table = coder.decodingTable();
    auto entry = [&](std::size_t k) {
        return std::vector<uint8_t>(table.begin() + static_cast<std::ptrdiff_t>(4 * k),
                                    table.begin() + static_cast<std::ptrdiff_t>(4 * k + 4));
    };
    // Zero-count leaves are joined from the back of the list (highest value first).
    EXPECT_EQ(entry(0), (std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 0xFF}));   // leaves 254, 255
    EXPECT_EQ(entry(1), (std::vector<uint8_t>{0xFF, 0xFD, 0x00, 0x00}));   // leaf 253, node 256
    EXPECT_EQ(entry(251), (std::vector<uint8_t>{0xFF, 0x00, 0x00, 0xFA})); // leaf 0, node 506
    EXPECT_EQ(entry(252), (std::vector<uint8_t>{0xFF, 0x43, 0x00, 0xFB})); // 'C', node 507
    EXPECT_EQ(entry(253), (std::vector<uint8_t>{0xFF, 0x42, 0x00, 0xFC})); // 'B', node 508
    EXPECT_EQ(entry(254), (std::vector<uint8_t>{0xFF, 0x41, 0x00, 0xFD})); // root: 'A', 509
}

TEST(HuffmanTree, OnlyBytesMarkedUsedAreCounted) {
    HuffmanCoder coder;
    const std::vector<uint8_t> data = Bytes("AAAAXYZ");
    const std::vector<uint8_t> used = {1, 1, 1, 1, 0, 0}; // shorter than the data
    const HuffmanAnalysis analysis = coder.AnalyseHuffman(data, used);
    ASSERT_TRUE(analysis.ratio);
    EXPECT_EQ(coder.codes()['A'].length, 1u);
    EXPECT_EQ(coder.codes()['X'].length, 0u);
    EXPECT_EQ(coder.codes()['Z'].length, 0u);
    EXPECT_DOUBLE_EQ(*analysis.ratio, 1.0 - 4.0 / 32.0);
}

TEST(HuffmanTree, LargestBlockIsTheCostliestAlignedWindow) {
    std::vector<uint8_t> data(3000, 'A');
    for (std::size_t i = 1024; i < 1034; ++i) {
        data[i] = 'B'; // the second window holds the rare bytes
    }
    HuffmanCoder coder;
    const HuffmanAnalysis analysis = AnalyseAllUsed(coder, data);
    ASSERT_EQ(coder.codes()['A'].length, 1u);
    ASSERT_EQ(coder.codes()['B'].length, 2u);
    EXPECT_EQ(analysis.largestBlockBits, 1014u + 20u);
}

TEST(EncodeHuffman, PinnedBitsOfASmallBlock) {
    HuffmanCoder coder;
    AnalyseAllUsed(coder, Bytes("AAAABBC"));
    std::vector<uint8_t> block(1024, 'A');
    block[1] = 'B';
    block[2] = 'C';
    BitWriter out;
    const auto bits = coder.EncodeHuffman(block, out);
    ASSERT_TRUE(bits);
    EXPECT_EQ(*bits, 1027u); // 1 + 2 + 3 + 1021
    ASSERT_EQ(out.bytes().size(), 129u);
    EXPECT_EQ(out.bytes()[0], 0x1A); // 0 | 1 0 | 1 1 0 | 0 0
    for (std::size_t i = 1; i < out.bytes().size(); ++i) {
        EXPECT_EQ(out.bytes()[i], 0) << i;
    }
}

TEST(HuffmanTree, CodesLongerThanOneWordRoundTrip) {
    // Fibonacci counts make the deepest tree: the rarest value's code needs two words.
    std::vector<uint8_t> data;
    uint32_t count = 1;
    uint32_t next = 1;
    for (uint8_t v = 0; v < 34; ++v) {
        data.resize(data.size() + count, v);
        next += std::exchange(count, next);
    }
    HuffmanCoder coder;
    AnalyseAllUsed(coder, data);
    ASSERT_GT(coder.codes()[0].length, 32u);
    std::vector<uint8_t> block(1024, 33);
    for (uint8_t v = 0; v < 34; ++v) {
        block[v * 30u] = v;
    }
    BitWriter out;
    const auto bits = coder.EncodeHuffman(block, out);
    ASSERT_TRUE(bits);
    EXPECT_EQ(testing::DecodeHuffmanBlock(coder.decodingTable(), out.bytes(), *bits, 1024), block);
}

struct HuffmanRoundTrip {
    const char* name;
    std::vector<uint8_t> data;
};

class HuffmanRoundTripTest : public ::testing::TestWithParam<HuffmanRoundTrip> {};

TEST_P(HuffmanRoundTripTest, EveryBlockDecodesThroughTheSentTable) {
    const std::vector<uint8_t>& data = GetParam().data;
    HuffmanCoder coder;
    AnalyseAllUsed(coder, data);
    for (std::size_t at = 0; at < data.size(); at += 1024) {
        const auto block = std::span(data).subspan(at, 1024);
        BitWriter out;
        const auto bits = coder.EncodeHuffman(block, out);
        ASSERT_TRUE(bits);
        const auto decoded =
            testing::DecodeHuffmanBlock(coder.decodingTable(), out.bytes(), *bits, 1024);
        ASSERT_TRUE(decoded) << "block at " << at;
        EXPECT_TRUE(std::equal(block.begin(), block.end(), decoded->begin())) << at;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contents, HuffmanRoundTripTest,
    ::testing::Values(HuffmanRoundTrip{"Random", testing::RandomBytes(4096, 1)},
                      HuffmanRoundTrip{"Text", testing::TextBytes(4096)},
                      HuffmanRoundTrip{"ArmCode", testing::ArmLikeBytes(4096)},
                      HuffmanRoundTrip{"Zeros", std::vector<uint8_t>(1024, 0)}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace zeph::flash
