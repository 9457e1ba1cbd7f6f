#include "code_bits.h"

namespace zeph::flashsim {

std::optional<CodeBits> CodeBits::make(const uint8_t* bytes, size_t byteCount, uint8_t padBits) {
    if (padBits > 7 || (byteCount == 0 && padBits != 0)) {
        return std::nullopt;
    }
    return CodeBits(bytes, byteCount * 8 - padBits);
}

uint32_t CodeBits::take(unsigned count) {
    uint32_t value = 0;
    for (unsigned k = 0; k < count; ++k, ++position_) {
        const uint32_t bit = (bytes_[position_ / 8] >> (position_ % 8)) & 1U;
        value |= bit << k;
    }
    return value;
}

} // namespace zeph::flashsim
