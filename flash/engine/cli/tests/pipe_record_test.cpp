#include "flash/engine/cli/pipe_record.h"

#include <gtest/gtest.h>

#include <random>

namespace zeph::flash {
namespace {

TEST(PipeRecord, LayoutOfOneRecord) {
    const std::vector<uint8_t> bytes = encodePipeRecord(1006, "0");
    const std::vector<uint8_t> expected = {6, 0, 0, 0, 0xEE, 0x03, 0, 0, '0', 0};
    EXPECT_EQ(bytes, expected);
    const std::vector<uint8_t> empty = encodePipeRecord(7, "");
    EXPECT_EQ(empty, (std::vector<uint8_t>{5, 0, 0, 0, 7, 0, 0, 0, 0}));
}

TEST(PipeRecord, TextIsCutAtItsLimitAndAtAZero) {
    const std::string longText(2000, 'x');
    const std::vector<uint8_t> bytes = encodePipeRecord(28, longText);
    ASSERT_EQ(bytes.size(), 4u + 1028u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 1028);
    EXPECT_EQ(bytes.back(), 0);
    const PipeDecodeResult r = decodePipeRecord(bytes);
    ASSERT_EQ(r.status, PipeDecodeStatus::Complete);
    EXPECT_EQ(r.record.text, std::string(1023, 'x'));

    const std::vector<uint8_t> cut = encodePipeRecord(1, std::string("ab\0cd", 5));
    EXPECT_EQ(decodePipeRecord(cut).record.text, "ab");
}

TEST(PipeRecord, RoundTripOfEveryReportShape) {
    const PipeRecord records[] = {
        {0, "Cannot open port COM3\n"},
        {28, "\nFlash programming error\nCRC16 mismatch\n"},
        {1000, "2 Maker Dev-16"},
        {1001, "S-MOTOROLA 0x100 0x1200f"},
        {1002, "12.3 4.5 6.7"},
        {1004, "50 25 1.0 2.0 3.0"},
        {1006, "1"},
        {0xFFFFFFFFu, ""},
    };
    for (const PipeRecord& rec : records) {
        const std::vector<uint8_t> bytes = encodePipeRecord(rec.code, rec.text);
        const PipeDecodeResult r = decodePipeRecord(bytes);
        ASSERT_EQ(r.status, PipeDecodeStatus::Complete);
        EXPECT_EQ(r.record, rec);
        EXPECT_EQ(r.consumed, bytes.size());
    }
}

TEST(PipeRecord, IncompleteAndMalformedInput) {
    const std::vector<uint8_t> bytes = encodePipeRecord(1003, "1.5");
    for (size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_EQ(decodePipeRecord(std::span(bytes.data(), n)).status, PipeDecodeStatus::NeedMore)
            << n;
    }
    const std::vector<uint8_t> tooShort = {4, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(decodePipeRecord(tooShort).status, PipeDecodeStatus::Malformed);
    const std::vector<uint8_t> tooLong = {0x05, 0x04, 0, 0};
    EXPECT_EQ(decodePipeRecord(tooLong).status, PipeDecodeStatus::Malformed);
    // A text without its zero is taken up to the record's end, never beyond.
    const std::vector<uint8_t> unterminated = {7, 0, 0, 0, 1, 0, 0, 0, 'a', 'b', 'c', 'X'};
    const PipeDecodeResult r = decodePipeRecord(unterminated);
    ASSERT_EQ(r.status, PipeDecodeStatus::Complete);
    EXPECT_EQ(r.record.text, "abc");
    EXPECT_EQ(r.consumed, 11u);
}

TEST(PipeRecordReader, SplitsAStreamFedInPiecesOfAnySize) {
    std::vector<PipeRecord> sent;
    std::vector<uint8_t> stream;
    for (uint32_t i = 0; i < 200; ++i) {
        PipeRecord rec{1004 + (i % 3), std::string(i * 7 % 300, static_cast<char>('a' + i % 26))};
        const std::vector<uint8_t> bytes = encodePipeRecord(rec.code, rec.text);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        sent.push_back(rec);
    }
    std::mt19937 rng(42);
    for (size_t maxPiece : {size_t{1}, size_t{3}, size_t{64}, size_t{5000}}) {
        PipeRecordReader reader;
        std::vector<PipeRecord> got;
        size_t pos = 0;
        while (pos < stream.size()) {
            const size_t n = std::min(stream.size() - pos, 1 + rng() % maxPiece);
            reader.feed(std::span(stream.data() + pos, n));
            pos += n;
            while (auto rec = reader.next()) {
                got.push_back(*rec);
            }
        }
        EXPECT_FALSE(reader.failed());
        EXPECT_EQ(reader.pending(), 0u);
        EXPECT_EQ(got, sent) << "pieces up to " << maxPiece;
    }
}

TEST(PipeRecordReader, StopsForGoodOnABrokenLength) {
    PipeRecordReader reader;
    const std::vector<uint8_t> good = encodePipeRecord(1006, "0");
    const std::vector<uint8_t> bad = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    reader.feed(good);
    reader.feed(bad);
    reader.feed(good);
    ASSERT_TRUE(reader.next());
    EXPECT_FALSE(reader.next());
    EXPECT_TRUE(reader.failed());
    EXPECT_FALSE(reader.next());
}

} // namespace
} // namespace zeph::flash
