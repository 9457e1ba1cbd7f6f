#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <type_traits>

namespace zeph::monitor {

constexpr size_t kRecordBytes = 2048;     // largest sub-record: MID 17's hex text
constexpr size_t kTextBufferBytes = 1024; // program-wide MID 255 text
constexpr uint16_t kLinkErrorCode = 0xFFFF;

// The program-wide text of MID 255 messages: NMEA sentences, link errors, receiver debug text.
struct TextBuffer {
    std::array<char, kTextBufferBytes> chars{};
    size_t length = 0;

    std::string_view view() const { return {chars.data(), length}; }
    void assign(std::string_view s) { assign(s.data(), s.size()); }
    void assign(const char* text, size_t count) {
        length = count < kTextBufferBytes - 1 ? count : kTextBufferBytes - 1;
        std::memcpy(chars.data(), text, length);
        chars[length] = '\0';
    }
};

// Week and TOW of MID 1 to 4, by which a text capture is paced.
struct TimeTag {
    uint16_t week = 0;
    uint32_t tow = 0;
};

// One decoded message. The current MID's sub-record sits in `record` in host byte order at the
// same offsets as on the wire; every other byte is zero, so a view sees exactly one valid
// sub-record. Read it through the typed records of message_records.h with as<T>().
struct RxMessage {
    uint8_t mid = 0;
    uint8_t subId = 0;
    std::optional<TimeTag> timeTag;
    uint16_t textCode = 0; // kLinkErrorCode marks a link-error line
    const TextBuffer* text = nullptr;
    size_t recordLength = 0; // bytes of `record` the current message may have set
    std::array<uint8_t, kRecordBytes> record{};

    template <class R> R as() const {
        static_assert(std::is_trivially_copyable_v<R> && sizeof(R) <= kRecordBytes);
        R r;
        std::memcpy(&r, record.data(), sizeof r);
        return r;
    }
    std::string_view textView() const { return text ? text->view() : std::string_view{}; }
};

} // namespace zeph::monitor
