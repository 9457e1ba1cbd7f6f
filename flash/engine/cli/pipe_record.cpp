#include "flash/engine/cli/pipe_record.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <cstring>

namespace zeph::flash {

std::vector<uint8_t> encodePipeRecord(uint32_t code, const std::string& text) {
    const size_t textLength =
        std::min({std::strlen(text.c_str()), text.size(), kPipeRecordMaxText});
    const uint32_t length = static_cast<uint32_t>(textLength) + 5;
    std::vector<uint8_t> out(4 + static_cast<size_t>(length), 0);
    writeLe32(out.data(), length);
    writeLe32(out.data() + 4, code);
    std::memcpy(out.data() + kPipeRecordHeaderSize, text.data(), textLength);
    // The terminating zero is already there from the zero fill.
    return out;
}

PipeDecodeResult decodePipeRecord(std::span<const uint8_t> bytes) {
    PipeDecodeResult result;
    if (bytes.size() < 4) {
        return result;
    }
    const uint32_t length = readLe32(bytes.data());
    if (length < 5 || length > kPipeRecordMaxLength) {
        result.status = PipeDecodeStatus::Malformed;
        return result;
    }
    const size_t total = 4 + static_cast<size_t>(length);
    if (bytes.size() < total) {
        return result;
    }
    result.record.code = readLe32(bytes.data() + 4);
    const uint8_t* text = bytes.data() + kPipeRecordHeaderSize;
    const size_t room = total - kPipeRecordHeaderSize;
    const uint8_t* end = std::find(text, text + room, uint8_t{0});
    result.record.text.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(end - text));
    result.status = PipeDecodeStatus::Complete;
    result.consumed = total;
    return result;
}

void PipeRecordReader::feed(std::span<const uint8_t> bytes) {
    if (failed_) {
        return;
    }
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    buffer_.reserve(buffer_.size() + bytes.size());
    for (uint8_t b : bytes) {
        buffer_.push_back(b);
    }
}

std::optional<PipeRecord> PipeRecordReader::next() {
    if (failed_) {
        return std::nullopt;
    }
    const std::span<const uint8_t> rest(buffer_.data() + start_, buffer_.size() - start_);
    PipeDecodeResult result = decodePipeRecord(rest);
    switch (result.status) {
    case PipeDecodeStatus::Complete:
        start_ += result.consumed;
        if (start_ > 4096 && start_ * 2 > buffer_.size()) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
            start_ = 0;
        }
        return std::move(result.record);
    case PipeDecodeStatus::Malformed:
        failed_ = true;
        return std::nullopt;
    case PipeDecodeStatus::NeedMore:
        break;
    }
    return std::nullopt;
}

} // namespace zeph::flash
