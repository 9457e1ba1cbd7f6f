#include "flash/engine/compress/lzss.h"
#include "reference_decoders.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <random>

namespace zeph::flash {
namespace {

using testing::LzssTarget;

// One host and one target that see the same blocks in the same order.
struct Link {
    LzssEncoder host;
    LzssTarget target;

    // Sends the block of `buffer` at blockOffset (reading ahead within the buffer) to
    // flash address `address`; returns its bit count after checking the target got it.
    uint32_t send(uint32_t address, std::span<const uint8_t> buffer, std::size_t blockOffset) {
        const auto block = buffer.subspan(blockOffset, kLzssBlockSize);
        BitWriter out;
        const uint32_t bits =
            host.EncodeLzss(address, block, LookAheadAfter(buffer, blockOffset), out);
        EXPECT_EQ(bits, out.bitCount());
        EXPECT_LE(bits, 1024u * kLzssLiteralBits);
        const auto decoded = target.decode(address, out.bytes(), bits);
        EXPECT_TRUE(decoded) << "address 0x" << std::hex << address;
        if (decoded) {
            EXPECT_TRUE(std::equal(block.begin(), block.end(), decoded->begin()))
                << "address 0x" << std::hex << address;
        }
        return bits;
    }
};

TEST(LzssPinned, ZeroBlockIsOneLiteralThenMatchesOfSeventeen) {
    const std::vector<uint8_t> zeros(2048, 0);
    LzssEncoder host;
    BitWriter out;
    const uint32_t bits =
        host.EncodeLzss(0, std::span(zeros).first(1024), LookAheadAfter(zeros, 0), out);
    // literal 0, 60 matches of 17, then 3 bytes of a match cut at the block end
    EXPECT_EQ(bits, 9u + 61u * 15u);
    ASSERT_GE(out.bytes().size(), 5u);
    // literal: 1, 0x00 | match(1, 17): 0, 1 (10 bits), 15 (4 bits) | match(18, 17)
    EXPECT_EQ(out.bytes()[0], 0x01);
    EXPECT_EQ(out.bytes()[1], 0x04);
    EXPECT_EQ(out.bytes()[2], 0xF0);
    EXPECT_EQ(out.bytes()[3], 0x24);
    EXPECT_EQ(out.bytes()[4], 0x78);
    testing::CodeReader in(out.bytes(), bits);
    uint32_t code = 0;
    for (int i = 0; i < 60; ++i) {
        in.read(i == 0 ? 9 : 15, code);
    }
    in.read(15, code);
    in.read(15, code);
    EXPECT_EQ(code, 1021u << 1 | 1u << 11); // match(1021, 3)
    EXPECT_TRUE(in.atEnd());

    // The next block goes on with the rest of that match: 14 bytes from ring position 0.
    BitWriter next;
    host.EncodeLzss(1024, std::span(zeros).subspan(1024), {}, next);
    testing::CodeReader in2(next.bytes(), next.bitCount());
    ASSERT_TRUE(in2.read(15, code));
    EXPECT_EQ(code, 0u << 1 | 12u << 11);
}

TEST(LzssPinned, LiteralsUntilTheFirstRepeat) {
    std::vector<uint8_t> block(1024);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<uint8_t>('a' + i % 3);
    }
    LzssEncoder host;
    BitWriter out;
    const uint32_t bits = host.EncodeLzss(0x400, block, {}, out);
    // 'a', 'b', 'c' literals, match(1, 17), 59 more matches of 17, last byte as a literal
    EXPECT_EQ(bits, 3u * 9u + 60u * 15u + 9u);
    ASSERT_GE(out.bytes().size(), 5u);
    EXPECT_EQ(out.bytes()[0], 0xC3);
    EXPECT_EQ(out.bytes()[1], 0x8A);
    EXPECT_EQ(out.bytes()[2], 0x1D);
    EXPECT_EQ(out.bytes()[3], 0x13);
    EXPECT_EQ(out.bytes()[4], 0xC0);
}

struct LzssRoundTrip {
    const char* name;
    std::vector<uint8_t> data;
};

class LzssRoundTripTest : public ::testing::TestWithParam<LzssRoundTrip> {};

TEST_P(LzssRoundTripTest, ConsecutiveBlocksDecodeAsOneStream) {
    const std::vector<uint8_t>& data = GetParam().data;
    Link link;
    for (std::size_t at = 0; at < data.size(); at += 1024) {
        link.send(static_cast<uint32_t>(0x10000 + at), data, at);
        EXPECT_EQ(link.host.lastBlockStartedFresh(), at == 0);
    }
}

std::vector<uint8_t> AllDifferent() {
    std::vector<uint8_t> d(4096);
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i] = static_cast<uint8_t>(i * 167 + i / 256);
    }
    return d;
}

INSTANTIATE_TEST_SUITE_P(Contents, LzssRoundTripTest,
                         ::testing::Values(LzssRoundTrip{"Random", testing::RandomBytes(8192, 3)},
                                           LzssRoundTrip{"Text", testing::TextBytes(8192)},
                                           LzssRoundTrip{"ArmCode", testing::ArmLikeBytes(8192)},
                                           LzssRoundTrip{"Zeros", std::vector<uint8_t>(4096, 0)},
                                           LzssRoundTrip{"AllDifferent", AllDifferent()}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(LzssStream, ContinuingBlockUsesTheDictionaryOfThePreviousOne) {
    const std::vector<uint8_t> text = testing::TextBytes(2048);
    Link link;
    link.send(0, text, 0);
    const uint32_t continued = link.send(1024, text, 1024);
    EXPECT_FALSE(link.host.lastBlockStartedFresh());

    Link alone;
    const uint32_t fresh = alone.send(0x7000, text, 1024);
    EXPECT_LT(continued, fresh);
}

TEST(LzssStream, BlockAfterAGapStartsFresh) {
    const std::vector<uint8_t> text = testing::TextBytes(4096);
    Link link;
    link.send(0, text, 0);
    link.send(2048, text, 2048);
    EXPECT_TRUE(link.host.lastBlockStartedFresh());
    link.send(3072, text, 3072);
    EXPECT_FALSE(link.host.lastBlockStartedFresh());
}

TEST(LzssStream, GapBlockStartingWithTheReadAheadBytesStillStartsFresh) {
    // Block 0 reads ahead into block 1 and cuts a match at its end; block 2 starts with the
    // same bytes, but the target cannot know that and starts afresh.
    const std::vector<uint8_t> zeros(3072, 0);
    Link link;
    link.send(0, zeros, 0);
    link.send(2048, zeros, 2048);
    EXPECT_TRUE(link.host.lastBlockStartedFresh());
}

TEST(LzssStream, BlocksOutOfAddressOrder) {
    const std::vector<uint8_t> code = testing::ArmLikeBytes(4096);
    Link link;
    const std::size_t order[] = {2, 1, 0, 1, 2, 3, 3, 0};
    const bool fresh[] = {true, true, true, false, false, false, true, true};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        link.send(static_cast<uint32_t>(order[i] * 1024), code, order[i] * 1024);
        EXPECT_EQ(link.host.lastBlockStartedFresh(), fresh[i]) << i;
    }
}

TEST(LzssStream, NextAddressWithOtherBytesThanReadAheadContinues) {
    // A block read back from flash (update mode) follows an image block whose look-ahead
    // saw different bytes: the target continues the stream, so the host must too.
    const std::vector<uint8_t> zeros(2048, 0);
    const std::vector<uint8_t> kept = testing::TextBytes(1024);
    Link link;
    link.send(0x2000, zeros, 0);
    link.send(0x2400, kept, 0);
    EXPECT_FALSE(link.host.lastBlockStartedFresh());
    link.send(0x2800, zeros, 1024);
    EXPECT_FALSE(link.host.lastBlockStartedFresh());
}

TEST(LzssStream, LastBlockOfTheBufferReadsNothingPastItsEnd) {
    const std::vector<uint8_t> zeros(1024, 0);
    EXPECT_TRUE(LookAheadAfter(zeros, 0).empty());
    const std::vector<uint8_t> longer(1030, 0);
    EXPECT_EQ(LookAheadAfter(longer, 0).size(), 6u);
    EXPECT_EQ(LookAheadAfter(std::vector<uint8_t>(4096, 0), 1024).size(), 17u);

    // A block continuing after such a short look-ahead.
    const std::vector<uint8_t> more(1024, 0);
    Link link;
    link.send(0, zeros, 0);
    link.send(1024, more, 0);
    EXPECT_FALSE(link.host.lastBlockStartedFresh());
}

TEST(LzssStream, ResetStartsTheNextRunFresh) {
    const std::vector<uint8_t> text = testing::TextBytes(2048);
    LzssEncoder host;
    BitWriter out;
    host.EncodeLzss(0, std::span(text).first(1024), LookAheadAfter(text, 0), out);
    host.Reset();
    host.EncodeLzss(1024, std::span(text).subspan(1024), {}, out);
    EXPECT_TRUE(host.lastBlockStartedFresh());
}

// Random runs of sends mixing consecutive, gapped, repeated and out-of-order addresses, and
// blocks whose bytes come from another source than the one read ahead.
TEST(LzssStream, RandomSendOrdersAlwaysDecode) {
    std::vector<uint8_t> image = testing::TextBytes(16 * 1024);
    const auto arm = testing::ArmLikeBytes(4096);
    const auto noise = testing::RandomBytes(4096, 9);
    std::copy(arm.begin(), arm.end(), image.begin() + 4096);
    std::copy(noise.begin(), noise.end(), image.begin() + 8192);
    std::fill(image.begin() + 12288, image.begin() + 14336, 0);
    const std::vector<uint8_t> other = testing::RandomBytes(4096, 10);

    std::mt19937 gen(5);
    for (int run = 0; run < 20; ++run) {
        Link link;
        std::size_t block = gen() % 16;
        for (int i = 0; i < 40; ++i) {
            const auto pick = static_cast<uint32_t>(gen() % 10);
            if (pick < 6) {
                block = (block + 1) % 16;
            } else if (pick < 8) {
                block = gen() % 16;
            }
            const auto address = static_cast<uint32_t>(block * 1024);
            if (gen() % 5 == 0) {
                link.send(address, other, (gen() % 4) * 1024);
            } else {
                link.send(address, image, block * 1024);
            }
            if (::testing::Test::HasFailure()) {
                FAIL() << "run " << run << " send " << i;
            }
        }
    }
}

} // namespace
} // namespace zeph::flash
