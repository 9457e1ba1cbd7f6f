#pragma once

// The bit stream of a compressed block as it arrives in a download command: after the flash
// address, one byte with the number of unused bits in the last byte, then the code bytes.
// Stream bit q is bit (q mod 8) of byte q / 8, and a code's bit k lies at the stream position
// where the code starts plus k.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zeph::flashsim {

constexpr size_t kCodedBlockSize = 1024; // every compressed block decodes to this many bytes
using DecodedBlock = std::array<uint8_t, kCodedBlockSize>;

class CodeBits {
public:
    // The stream of `byteCount` bytes less `padBits` unused ones; none when the pad-bit count is
    // above 7 or more than the bytes hold.
    static std::optional<CodeBits> make(const uint8_t* bytes, size_t byteCount, uint8_t padBits);

    size_t remaining() const { return bitCount_ - position_; }
    // The next `count` (1..32) bits, the first one as bit 0; the caller checks remaining().
    uint32_t take(unsigned count);

private:
    CodeBits(const uint8_t* bytes, size_t bitCount) : bytes_(bytes), bitCount_(bitCount) {}

    const uint8_t* bytes_;
    size_t bitCount_;
    size_t position_ = 0;
};

} // namespace zeph::flashsim
