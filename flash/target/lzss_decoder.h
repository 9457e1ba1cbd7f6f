#pragma once

// The target's LZSS decoder. A stream is a run of codes: a literal (9 bits: 1, then the byte)
// or a match (15 bits: 0, a 10-bit ring position, then the length less 2 in 4 bits, so 2..17).
// Every byte decoded goes to the 1024-byte ring at position r, and r moves on by one (modulo
// 1024); a match copies its bytes one at a time from the ring position onwards, so it may
// repeat bytes it has just written. A fresh stream starts with a cleared ring at r = 1 and may
// only copy ring bytes it has written itself.
//
// Blocks of a run form one sequence in the order they are sent. A block continues the stream
// only when its flash address is exactly 1024 past the previous LZSS block's; anything else
// (the first block of the run, a gap, a block sent again, blocks out of order) starts a fresh
// stream. The block's content never decides this.

#include "code_bits.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

namespace zeph::flashsim {

constexpr size_t kRingSize = 1024;

class LzssDecoder {
public:
    // A new run: the next block starts a fresh stream whatever its address.
    void reset() { previousAddress_.reset(); }

    // Decodes the block sent for flash `address`: exactly 1024 bytes that use up every stream
    // bit. Returns "" on success, else why the stream is malformed; a malformed block leaves no
    // stream to continue, so the next block starts a fresh one.
    std::string decode(uint32_t address, CodeBits bits, DecodedBlock& out);

    // Where the next byte goes in the ring.
    size_t position() const { return r_; }

private:
    void restart();
    void put(uint8_t byte);
    std::string decodeCodes(CodeBits& bits, DecodedBlock& out);

    std::array<uint8_t, kRingSize> ring_{};
    std::bitset<kRingSize> written_; // ring bytes this stream has written
    size_t r_ = 1;
    size_t produced_ = 0; // bytes of the current block
    std::optional<uint32_t> previousAddress_;
};

} // namespace zeph::flashsim
