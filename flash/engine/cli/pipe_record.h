#pragma once

// The record ZephBurnCL writes to its pipe and ZephBurn reads back. Both programs use this one
// definition, so the two sides cannot disagree on the layout:
//   offset 0  4 bytes  L = text length + 5 (code, text and its terminating zero), little-endian
//   offset 4  4 bytes  message code, little-endian
//   offset 8  L - 4    text, zero-terminated

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zeph::flash {

inline constexpr size_t kPipeRecordMaxText = 1023;
inline constexpr size_t kPipeRecordHeaderSize = 8;
// The largest L a well-formed record can carry.
inline constexpr uint32_t kPipeRecordMaxLength = static_cast<uint32_t>(kPipeRecordMaxText) + 5;

struct PipeRecord {
    uint32_t code = 0;
    std::string text;
    bool operator==(const PipeRecord&) const = default;
};

// The bytes of one record, written with a single write. The text stops at its first zero byte
// and is cut to kPipeRecordMaxText characters.
std::vector<uint8_t> encodePipeRecord(uint32_t code, const std::string& text);

enum class PipeDecodeStatus { Complete, NeedMore, Malformed };

struct PipeDecodeResult {
    PipeDecodeStatus status = PipeDecodeStatus::NeedMore;
    PipeRecord record;   // valid when Complete
    size_t consumed = 0; // bytes of the record when Complete
};

// Decodes the record at the start of `bytes`. A length below 5 or above kPipeRecordMaxLength
// is Malformed: the stream has lost its framing and cannot be resynchronised.
PipeDecodeResult decodePipeRecord(std::span<const uint8_t> bytes);

// Splits a byte stream, arriving in pieces of any size, into records.
class PipeRecordReader {
public:
    void feed(std::span<const uint8_t> bytes);
    // The next complete record, or nothing when more bytes are needed or the stream is broken.
    std::optional<PipeRecord> next();
    bool failed() const { return failed_; }
    size_t pending() const { return buffer_.size() - start_; }

private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool failed_ = false;
};

} // namespace zeph::flash
