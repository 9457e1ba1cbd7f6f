// The target's Huffman and LZSS decoders against streams made by hand from the stream rules.

#include "code_writer.h"
#include "flash/target/huffman_decoder.h"
#include "flash/target/lzss_decoder.h"

#include <gtest/gtest.h>

namespace zeph::flashsim::testing {
namespace {

CodeBits bitsOf(const Bytes& bytes, uint8_t pad) {
    return *CodeBits::make(bytes.data(), bytes.size(), pad);
}

CodeBits bitsOf(const CodeWriter& w) {
    return bitsOf(w.bytes(), w.padBits());
}

// Root: left the leaf 'A', right entry 0; entry 0: left 'B', right 'C'. Codes: A 0, B 10,
// C 11. Every other entry points nowhere.
Bytes threeLeafTable() {
    Bytes table(1020, 0);
    for (size_t k = 0; k < 255; ++k) {
        setEntry(table, k, -32768, -32768);
    }
    setEntry(table, 254, 'A' - 256, 0);
    setEntry(table, 0, 'B' - 256, 'C' - 256);
    return table;
}

// A, B, C, A, 1019 times A, C: 1027 bits, so 129 bytes with 5 pad bits.
Bytes threeLeafStream() {
    Bytes stream(129, 0x00);
    stream[0] = 0x1A;   // 0 | 10 | 11 | 0, first bit lowest
    stream[128] = 0x06; // the last C on stream bits 1025 and 1026
    return stream;
}

TEST(Huffman, HandMadeCodesDecodeInStreamBitOrder) {
    HuffmanDecoder decoder;
    const Bytes table = threeLeafTable();
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));
    DecodedBlock out{};
    ASSERT_EQ(decoder.decode(bitsOf(threeLeafStream(), 5), out), "");
    DecodedBlock expected;
    expected.fill('A');
    expected[1] = 'B';
    expected[2] = 'C';
    expected[1023] = 'C';
    EXPECT_EQ(out, expected);
}

TEST(Huffman, FullTableOfEightBitCodes) {
    HuffmanDecoder decoder;
    const Bytes table = eightBitTable();
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));
    DecodedBlock expected;
    Bytes stream;
    for (size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<uint8_t>(i * 37 + i / 256);
        stream.push_back(reversedBits(expected[i]));
    }
    DecodedBlock out{};
    ASSERT_EQ(decoder.decode(bitsOf(stream, 0), out), "");
    EXPECT_EQ(out, expected);
}

TEST(Huffman, MalformedStreamsAndTablesAreRejected) {
    HuffmanDecoder decoder;
    DecodedBlock out{};
    EXPECT_NE(decoder.decode(bitsOf(threeLeafStream(), 5), out), "") << "no table yet";
    Bytes table = threeLeafTable();
    EXPECT_FALSE(decoder.setTable(table.data(), 1016));
    EXPECT_FALSE(decoder.hasTable());
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));

    EXPECT_NE(decoder.decode(bitsOf(threeLeafStream(), 4), out).find("left"), std::string::npos)
        << "one bit beyond the pad is left over";
    EXPECT_NE(decoder.decode(bitsOf(threeLeafStream(), 6), out).find("ends"), std::string::npos)
        << "the last code is cut short";
    EXPECT_FALSE(CodeBits::make(threeLeafStream().data(), 129, 8));

    setEntry(table, 0, 'B' - 256, 255); // C's path leads past the table
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));
    EXPECT_NE(decoder.decode(bitsOf(threeLeafStream(), 5), out).find("no entry"),
              std::string::npos);
    setEntry(table, 0, 'B' - 256, -257); // below the leaves
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));
    EXPECT_NE(decoder.decode(bitsOf(threeLeafStream(), 5), out).find("no entry"),
              std::string::npos);
    setEntry(table, 0, 'B' - 256, 0); // a loop: 1s never reach a leaf
    ASSERT_TRUE(decoder.setTable(table.data(), table.size()));
    EXPECT_NE(decoder.decode(bitsOf(Bytes(200, 0xFF), 0), out), "");
}

TEST(Lzss, LiteralThenMatchesThatRepeatTheirOwnBytes) {
    CodeWriter w;
    w.literal(0x5A); // at r = 1
    for (int i = 0; i < 60; ++i) {
        w.match(1, 17);
    }
    w.match(1, 3);
    ASSERT_GE(w.bytes().size(), 3U);
    EXPECT_EQ(Bytes(w.bytes().begin(), w.bytes().begin() + 3), (Bytes{0xB5, 0x04, 0xF0}));
    LzssDecoder decoder;
    DecodedBlock out{};
    ASSERT_EQ(decoder.decode(0x1000, bitsOf(w), out), "");
    DecodedBlock expected;
    expected.fill(0x5A);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(decoder.position(), 1U);
}

uint8_t literalAt(size_t i) {
    return static_cast<uint8_t>(i * 13 + 7);
}

TEST(Lzss, MatchesCrossTheRingStartAndTheStreamGoesOnInTheNextBlock) {
    CodeWriter first; // 1015 literals fill ring positions 1..1015
    for (size_t i = 0; i < 1015; ++i) {
        first.literal(literalAt(i));
    }
    first.match(1, 9); // written to 1016..1023 and 0
    CodeWriter second;
    second.match(1020, 8); // reads 1020..1023, 0, then 1..3 it has just overwritten
    for (size_t i = 0; i < 1016; ++i) {
        second.literal(0xEE);
    }
    LzssDecoder decoder;
    DecodedBlock out{};
    ASSERT_EQ(decoder.decode(0x2000, bitsOf(first), out), "");
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(out[1015 + i], literalAt(i)) << i;
    }
    ASSERT_EQ(decoder.decode(0x2400, bitsOf(second), out), "");
    const Bytes start(out.begin(), out.begin() + 9);
    EXPECT_EQ(start, (Bytes{literalAt(4), literalAt(5), literalAt(6), literalAt(7), literalAt(8),
                            literalAt(4), literalAt(5), literalAt(6), 0xEE}));
}

// 1024 literals: fills the whole ring.
CodeWriter literalBlock() {
    CodeWriter w;
    for (size_t i = 0; i < 1024; ++i) {
        w.literal(literalAt(i));
    }
    return w;
}

// Copies from 512 positions back, starting at ring position 513, which only a continued
// stream holds; decoded after literalBlock() it gives that block's second half twice.
CodeWriter dependentBlock() {
    CodeWriter w;
    for (uint32_t i = 0; i < 64; ++i) {
        w.match((513 + 16 * i) % 1024, 16);
    }
    return w;
}

TEST(Lzss, ABlockExactly1024PastThePreviousContinuesTheStream) {
    LzssDecoder decoder;
    DecodedBlock out{};
    ASSERT_EQ(decoder.decode(0x1000, bitsOf(literalBlock()), out), "");
    ASSERT_EQ(decoder.decode(0x1400, bitsOf(dependentBlock()), out), "");
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], literalAt(512 + i % 512)) << i;
    }
}

TEST(Lzss, AnyOtherAddressStartsAFreshStream) {
    DecodedBlock out{};
    const auto after = [&](std::initializer_list<uint32_t> literalAddresses, uint32_t address) {
        LzssDecoder decoder;
        for (uint32_t at : literalAddresses) {
            EXPECT_EQ(decoder.decode(at, bitsOf(literalBlock()), out), "");
        }
        return decoder.decode(address, bitsOf(dependentBlock()), out);
    };
    EXPECT_NE(after({}, 0x1400), "") << "the first block of a run";
    EXPECT_NE(after({0x1000}, 0x1800), "") << "a gap";
    EXPECT_NE(after({0x1000}, 0x1000), "") << "the same block again";
    EXPECT_NE(after({0x1400}, 0x1000), "") << "a block before the previous one";
    EXPECT_NE(after({0x1000, 0x1400}, 0x1400), "") << "the previous block sent again";
    // Send order decides, not which addresses came before.
    EXPECT_EQ(after({0x1000, 0x1400, 0x0C00}, 0x1000), "");
    EXPECT_NE(after({0x1000, 0x1400, 0x0C00}, 0x1800), "");

    LzssDecoder decoder;
    ASSERT_EQ(decoder.decode(0x1000, bitsOf(literalBlock()), out), "");
    decoder.reset(); // a new run
    EXPECT_NE(decoder.decode(0x1400, bitsOf(dependentBlock()), out), "");
}

TEST(Lzss, MalformedStreamsAreRejectedAndEndTheStream) {
    LzssDecoder decoder;
    DecodedBlock out{};
    const auto decode = [&](const CodeWriter& w) { return decoder.decode(0x1000, bitsOf(w), out); };
    CodeWriter shortBlock;
    for (size_t i = 0; i < 1023; ++i) {
        shortBlock.literal(1);
    }
    EXPECT_NE(decode(shortBlock).find("ends after 1023"), std::string::npos);
    CodeWriter longBlock = shortBlock;
    longBlock.match(1, 2);
    EXPECT_NE(decode(longBlock).find("runs past"), std::string::npos);
    CodeWriter cutMatch = shortBlock;
    cutMatch.append(0, 12); // a match flag and 11 of its 14 bits
    EXPECT_NE(decode(cutMatch).find("inside a match"), std::string::npos);
    CodeWriter extra = literalBlock();
    extra.append(0, 1); // one bit more than the pad leaves
    EXPECT_NE(decode(extra).find("1 bits left"), std::string::npos);

    CodeWriter unwritten; // a fresh stream has written only position 1 so far
    unwritten.literal(9);
    unwritten.match(0, 2);
    EXPECT_NE(decode(unwritten).find("ring position 0"), std::string::npos);
    CodeWriter ahead;
    ahead.literal(9);
    ahead.match(1, 3); // copies 1, then 2 which it has just written, then 3: fine
    ahead.match(6, 2); // r is 5: position 6 is not written
    EXPECT_NE(decode(ahead).find("ring position 6"), std::string::npos);

    ASSERT_EQ(decoder.decode(0x1000, bitsOf(literalBlock()), out), "");
    ASSERT_NE(decoder.decode(0x1400, bitsOf(shortBlock), out), "");
    EXPECT_NE(decoder.decode(0x1800, bitsOf(dependentBlock()), out), "")
        << "a refused block leaves no stream to continue";
}

} // namespace
} // namespace zeph::flashsim::testing
