#pragma once

// The LZSS transfer form (method 2): a 1024-byte ring shared by host and target, literal and
// match codes, and one stream that runs on across consecutive blocks.
//
// Codes (appended least significant bit first, see BitWriter):
//   literal, 9 bits: bit 0 = 1, bits 1-8 = the byte
//   match,  15 bits: bit 0 = 0, bits 1-10 = ring position s, bits 11-14 = length - 2
// A match copies `length` (2..17) bytes one at a time from ring positions s, s + 1, ...
// (modulo 1024); each decoded byte, literal or copied, is stored at ring position r and r
// advances by one (modulo 1024). A block's codes decode to exactly its 1024 bytes.
//
// When a stream starts afresh and when it continues. The packets carry no marker, so the
// target follows this rule, which depends only on the LZSS blocks it receives:
//   - The LZSS blocks of a run form one sequence in the order their packets are sent,
//     DownloadToBuffer and DownloadAndWrite alike (other commands do not count).
//   - The first LZSS block of the run starts a fresh stream.
//   - A later LZSS block continues the stream if and only if its flash address is exactly the
//     previous LZSS block's address plus 1024. Any other address starts a fresh stream (a
//     block after a gap, a block sent again, blocks out of address order).
//   - Fresh stream: decoding starts at ring position r = 1. Its codes refer only to bytes
//     decoded in that same stream, so the ring's earlier content does not matter.
//   - Continued stream: the ring and r are kept as the previous block left them.
// The content of a block never decides this, so a block after a gap starts fresh even when
// its first bytes equal what the previous block read ahead, and a block at the next address
// continues even when its bytes differ from what was read ahead (a block read back from
// flash in update mode). As a block is as long as the ring, every block starts at r = 1;
// a fresh stream differs from a continued one only in that its codes never refer to ring
// bytes from before it.

#include "flash/engine/compress/bit_stream.h"

#include <array>
#include <cstdint>
#include <span>

namespace zeph::flash {

inline constexpr uint32_t kLzssRingSize = 1024;
inline constexpr uint32_t kLzssBlockSize = 1024;
inline constexpr uint32_t kLzssMaxMatch = 17; // also the look-ahead length
inline constexpr uint32_t kLzssMinMatch = 2;
inline constexpr uint32_t kLzssLiteralBits = 9;
inline constexpr uint32_t kLzssMatchBits = 15;

// The bytes after the block at blockOffset that the encoder may read ahead: up to 17, fewer
// (or none) at the end of the buffer, so the buffer needs no slack.
std::span<const uint8_t> LookAheadAfter(std::span<const uint8_t> buffer, std::size_t blockOffset);

class LzssEncoder {
public:
    LzssEncoder();

    // The next block starts a fresh stream, as the target's first block of a run does.
    void Reset();

    // Appends the codes of one block sent to flash address `address` and returns the bits
    // added. `following` holds the bytes after the block in its source (LookAheadAfter); the
    // look-ahead may read them so that a match may run past the block end. Such a match is
    // cut at the block end and its rest is sent first in the next block, when that block
    // continues the stream and starts with the bytes that were read ahead.
    uint32_t EncodeLzss(uint32_t address, std::span<const uint8_t> block,
                        std::span<const uint8_t> following, BitWriter& out);

    // Whether the last EncodeLzss started a fresh stream.
    bool lastBlockStartedFresh() const { return lastFresh_; }

private:
    static constexpr uint16_t kNil = kLzssRingSize;     // no node
    static constexpr uint16_t kTop = kLzssRingSize + 1; // parent of the root

    void startFresh();
    uint32_t resumeStream(BitWriter& out);
    void encodeBytes(uint32_t count, BitWriter& out);
    bool nextInput(uint8_t& byte);
    void advance(uint32_t count);
    void fillLookAhead();
    void refreshRecentStrings();

    uint8_t at(uint32_t pos) const { return ring_[pos % kLzssRingSize]; }
    void insertString(uint32_t pos);
    void deleteString(uint32_t pos);
    void replaceNode(uint32_t old, uint32_t by);

    std::array<uint8_t, kLzssRingSize> ring_{};
    // Binary search tree over the 17-byte strings starting at ring positions.
    std::array<uint16_t, kLzssRingSize> parent_{};
    std::array<uint16_t, kLzssRingSize> left_{};
    std::array<uint16_t, kLzssRingSize> right_{};
    uint16_t root_ = kNil;

    uint32_t r_ = 1;         // ring position of the next byte to encode
    uint32_t lookAhead_ = 0; // bytes loaded at r_ and after
    uint32_t history_ = 0;   // bytes of the current stream before r_ (at most the ring size)
    uint32_t matchLength_ = 0;
    uint32_t matchPosition_ = 0;
    uint32_t carriedLength_ = 0; // rest of a match cut at the previous block end
    uint32_t carriedPosition_ = 0;

    bool haveStream_ = false;
    bool lastFresh_ = false;
    uint32_t lastAddress_ = 0;

    std::span<const uint8_t> block_;
    std::span<const uint8_t> following_;
    std::size_t input_ = 0; // next byte of block_ then following_ to load
};

} // namespace zeph::flash
