#include "flash/engine/compress/transfer_compression.h"
#include "reference_decoders.h"
#include "test_data.h"

#include <gtest/gtest.h>

namespace zeph::flash {
namespace {

struct Choice {
    TransferMethod method;
    std::string log;
};

Choice Choose(TransferMethod requested, const std::vector<uint8_t>& data,
              const std::vector<uint8_t>& used, HuffmanCoder& coder) {
    Choice c;
    c.method = ChooseTransferMethod(requested, data, used, coder,
                                    [&](const std::string& t) { c.log += t; });
    return c;
}

TEST(ChooseTransferMethod, CompressibleImageKeepsHuffman) {
    HuffmanCoder coder;
    std::vector<uint8_t> data(2048, 'A');
    data[5] = 'B';
    const Choice c = Choose(TransferMethod::Huffman, data, std::vector<uint8_t>(2048, 1), coder);
    EXPECT_EQ(c.method, TransferMethod::Huffman);
    EXPECT_EQ(c.log, "compression: 0.874939, max packet size: 129 bytes\n"
                     "Data will be compressed before transfer\n");
}

TEST(ChooseTransferMethod, AllValuesEquallyOftenSwitchesToRaw) {
    HuffmanCoder coder;
    std::vector<uint8_t> data(2048);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i);
    }
    const Choice c = Choose(TransferMethod::Huffman, data, std::vector<uint8_t>(2048, 1), coder);
    EXPECT_EQ(c.method, TransferMethod::Raw);
    EXPECT_EQ(c.log, "compression: 0.000000, max packet size: 1024 bytes\n");
    for (const HuffmanCode& code : coder.codes()) {
        EXPECT_EQ(code.length, 8u);
    }
}

TEST(ChooseTransferMethod, ImageWithoutUsedBytesSwitchesToRaw) {
    HuffmanCoder coder;
    const Choice c = Choose(TransferMethod::Huffman, std::vector<uint8_t>(1024, 0xFF),
                            std::vector<uint8_t>(1024, 0), coder);
    EXPECT_EQ(c.method, TransferMethod::Raw);
    EXPECT_EQ(c.log, "compression: 0.000000, max packet size: 0 bytes\n");
}

std::vector<uint8_t> Block(const std::vector<uint8_t>& data, std::size_t index) {
    return {data.begin() + static_cast<std::ptrdiff_t>(index * 1024),
            data.begin() + static_cast<std::ptrdiff_t>(index * 1024 + 1024)};
}

TEST(BlockCompressor, HuffmanBlockThatDoesNotShrinkGoesRaw) {
    // Seven blocks of zeros make the code; the last block holds only rare values.
    std::vector<uint8_t> data(8 * 1024, 0);
    for (std::size_t i = 7 * 1024; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(1 + i % 255);
    }
    HuffmanCoder coder;
    ASSERT_EQ(
        Choose(TransferMethod::Huffman, data, std::vector<uint8_t>(data.size(), 1), coder).method,
        TransferMethod::Huffman);
    BlockCompressor compressor(TransferMethod::Huffman, &coder);

    const CodedBlock first = compressor.Encode(0, Block(data, 0));
    EXPECT_EQ(first.form, TransferMethod::Huffman);
    EXPECT_EQ(first.bits, 1024u);
    EXPECT_EQ(first.code.size(), 128u);
    const auto decoded =
        testing::DecodeHuffmanBlock(coder.decodingTable(), first.code, first.bits, 1024);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, Block(data, 0));

    const CodedBlock last = compressor.Encode(7 * 1024, Block(data, 7));
    EXPECT_EQ(last.form, TransferMethod::Raw);
    EXPECT_TRUE(last.code.empty());
}

TEST(BlockCompressor, PartlyUsedBlockWhoseFillHasNoCodeGoesRaw) {
    std::vector<uint8_t> data(2048, 0xFF);
    std::vector<uint8_t> used(2048, 0);
    for (std::size_t i = 0; i < 1500; ++i) {
        data[i] = static_cast<uint8_t>('0' + i % 4);
        used[i] = 1;
    }
    HuffmanCoder coder;
    ASSERT_EQ(Choose(TransferMethod::Huffman, data, used, coder).method, TransferMethod::Huffman);
    BlockCompressor compressor(TransferMethod::Huffman, &coder);
    EXPECT_EQ(compressor.Encode(0, Block(data, 0)).form, TransferMethod::Huffman);
    EXPECT_EQ(compressor.Encode(1024, Block(data, 1)).form, TransferMethod::Raw);
}

TEST(BlockCompressor, LzssSendsEveryBlockCompressedEvenRandomOnes) {
    const std::vector<uint8_t> noise = testing::RandomBytes(3 * 1024, 21);
    BlockCompressor compressor(TransferMethod::Lzss, nullptr);
    testing::LzssTarget target;
    for (std::size_t i = 0; i < 3; ++i) {
        const CodedBlock coded = compressor.Encode(static_cast<uint32_t>(i * 1024), Block(noise, i),
                                                   LookAheadAfter(noise, i * 1024));
        EXPECT_EQ(coded.form, TransferMethod::Lzss);
        EXPECT_LE(coded.code.size(), 1152u); // fits the largest command payload
        EXPECT_EQ(coded.code.size(), (coded.bits + 7) / 8);
        const auto decoded = target.decode(static_cast<uint32_t>(i * 1024), coded.code, coded.bits);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, Block(noise, i));
    }
}

} // namespace
} // namespace zeph::flash
