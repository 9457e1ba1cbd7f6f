#include "lzss_decoder.h"

namespace zeph::flashsim {

std::string LzssDecoder::decode(uint32_t address, CodeBits bits, DecodedBlock& out) {
    if (!previousAddress_ || address != *previousAddress_ + kCodedBlockSize) {
        restart();
    }
    previousAddress_.reset();
    produced_ = 0;
    std::string why = decodeCodes(bits, out);
    if (why.empty()) {
        previousAddress_ = address;
    }
    return why;
}

void LzssDecoder::restart() {
    ring_.fill(0);
    written_.reset();
    r_ = 1;
}

void LzssDecoder::put(uint8_t byte) {
    ring_[r_] = byte;
    written_.set(r_);
    r_ = (r_ + 1) % kRingSize;
}

std::string LzssDecoder::decodeCodes(CodeBits& bits, DecodedBlock& out) {
    const auto count = [this] { return std::to_string(produced_); };
    while (produced_ < out.size()) {
        if (bits.remaining() < 9) {
            return "LZSS stream ends after " + count() + " of 1024 bytes";
        }
        if (bits.take(1) == 1) {
            const auto byte = static_cast<uint8_t>(bits.take(8));
            put(byte);
            out[produced_++] = byte;
            continue;
        }
        if (bits.remaining() < 14) {
            return "LZSS stream ends inside a match after " + count() + " of 1024 bytes";
        }
        const size_t source = bits.take(10);
        const size_t length = bits.take(4) + 2;
        if (length > out.size() - produced_) {
            return "LZSS match of " + std::to_string(length) + " bytes after " + count() +
                   " runs past the 1024 bytes of the block";
        }
        for (size_t i = 0; i < length; ++i) {
            const size_t from = (source + i) % kRingSize;
            if (!written_.test(from)) {
                return "LZSS match after " + count() + " bytes copies ring position " +
                       std::to_string(from) + ", which this stream has not written";
            }
            const uint8_t byte = ring_[from];
            put(byte);
            out[produced_++] = byte;
        }
    }
    if (bits.remaining() != 0) {
        return "LZSS stream has " + std::to_string(bits.remaining()) +
               " bits left after 1024 bytes";
    }
    return "";
}

} // namespace zeph::flashsim
