#include "flash/engine/compress/lzss.h"

#include <algorithm>

namespace zeph::flash {

namespace {

constexpr uint32_t kMask = kLzssRingSize - 1;
constexpr uint32_t kFreshStart = 1; // ring position where a fresh stream begins

} // namespace

std::span<const uint8_t> LookAheadAfter(std::span<const uint8_t> buffer, std::size_t blockOffset) {
    if (blockOffset >= buffer.size() || buffer.size() - blockOffset <= kLzssBlockSize) {
        return {};
    }
    const std::size_t from = blockOffset + kLzssBlockSize;
    return buffer.subspan(from, std::min<std::size_t>(kLzssMaxMatch, buffer.size() - from));
}

LzssEncoder::LzssEncoder() {
    Reset();
}

void LzssEncoder::Reset() {
    haveStream_ = false;
    parent_.fill(kNil);
    root_ = kNil;
}

uint32_t LzssEncoder::EncodeLzss(uint32_t address, std::span<const uint8_t> block,
                                 std::span<const uint8_t> following, BitWriter& out) {
    const uint32_t start = out.bitCount();
    block_ = block;
    following_ = following.first(std::min<std::size_t>(following.size(), kLzssMaxMatch));
    input_ = 0;

    const bool continues = haveStream_ && lastAddress_ <= UINT32_MAX - kLzssBlockSize &&
                           address == lastAddress_ + kLzssBlockSize;
    uint32_t covered = 0;
    if (continues) {
        covered = resumeStream(out);
    } else {
        startFresh();
    }
    encodeBytes(static_cast<uint32_t>(block.size()) - covered, out);

    haveStream_ = true;
    lastFresh_ = !continues;
    lastAddress_ = address;
    block_ = {};
    following_ = {};
    return out.bitCount() - start;
}

void LzssEncoder::startFresh() {
    parent_.fill(kNil);
    root_ = kNil;
    r_ = kFreshStart;
    lookAhead_ = 0;
    history_ = 0;
    carriedLength_ = 0;
    fillLookAhead();
    insertString(r_);
}

// The previous block left r_ at its end with lookAhead_ bytes read ahead. When this block
// starts with exactly those bytes, the rest of a cut match is sent first. Otherwise (its
// bytes came from elsewhere, such as a block read back from flash) the read-ahead is replaced
// by the real bytes and the cut match dropped: the target continues the stream all the same,
// and the codes so far never covered the read-ahead bytes.
uint32_t LzssEncoder::resumeStream(BitWriter& out) {
    bool same = lookAhead_ <= block_.size();
    for (uint32_t i = 0; same && i < lookAhead_; ++i) {
        same = block_[i] == at(r_ + i);
    }
    if (!same) {
        lookAhead_ = 0;
        carriedLength_ = 0;
    }
    input_ = lookAhead_;
    if (lookAhead_ < kLzssMaxMatch) {
        fillLookAhead();
        refreshRecentStrings();
    }

    const uint32_t covered = carriedLength_;
    if (covered >= kLzssMinMatch) {
        out.append(carriedPosition_ << 1 | (covered - kLzssMinMatch) << 11, kLzssMatchBits);
    } else if (covered == 1) {
        out.append(1u | static_cast<uint32_t>(at(carriedPosition_)) << 1, kLzssLiteralBits);
    }
    carriedLength_ = 0;
    advance(covered);
    return covered;
}

void LzssEncoder::encodeBytes(uint32_t count, BitWriter& out) {
    uint32_t left = count;
    while (left > 0) {
        const uint32_t length = std::min(matchLength_, lookAhead_);
        const uint32_t position = matchPosition_;
        if (length < kLzssMinMatch) {
            out.append(1u | static_cast<uint32_t>(at(r_)) << 1, kLzssLiteralBits);
            advance(1);
            --left;
        } else if (length <= left) {
            out.append(position << 1 | (length - kLzssMinMatch) << 11, kLzssMatchBits);
            advance(length);
            left -= length;
        } else {
            // The match runs past the block end: send the part inside, carry the rest.
            if (left >= kLzssMinMatch) {
                out.append(position << 1 | (left - kLzssMinMatch) << 11, kLzssMatchBits);
            } else {
                out.append(1u | static_cast<uint32_t>(at(r_)) << 1, kLzssLiteralBits);
            }
            carriedLength_ = length - left;
            carriedPosition_ = (position + left) & kMask;
            advance(left);
            left = 0;
        }
    }
}

bool LzssEncoder::nextInput(uint8_t& byte) {
    if (input_ < block_.size()) {
        byte = block_[input_++];
        return true;
    }
    const std::size_t after = input_ - block_.size();
    if (after < following_.size()) {
        byte = following_[after];
        ++input_;
        return true;
    }
    return false;
}

void LzssEncoder::fillLookAhead() {
    uint8_t byte = 0;
    while (lookAhead_ < kLzssMaxMatch && nextInput(byte)) {
        ring_[(r_ + lookAhead_) & kMask] = byte;
        ++lookAhead_;
    }
}

void LzssEncoder::advance(uint32_t count) {
    for (uint32_t i = 0; i < count && lookAhead_ > 0; ++i) {
        const uint32_t incoming = (r_ + kLzssMaxMatch) & kMask;
        deleteString(incoming);
        uint8_t byte = 0;
        if (nextInput(byte)) {
            ring_[incoming] = byte;
        } else {
            --lookAhead_;
        }
        r_ = (r_ + 1) & kMask;
        history_ = std::min(history_ + 1, kLzssRingSize);
        if (lookAhead_ > 0) {
            insertString(r_);
        } else {
            matchLength_ = 0;
        }
    }
}

// The strings at the last 16 positions and at r_ reach into the look-ahead, whose bytes have
// just been (re)loaded: sort them into the tree again by their real bytes.
void LzssEncoder::refreshRecentStrings() {
    const uint32_t back = std::min(history_, kLzssMaxMatch - 1);
    for (uint32_t k = back; k > 0; --k) {
        deleteString((r_ - k) & kMask);
    }
    deleteString(r_);
    for (uint32_t k = back; k > 0; --k) {
        insertString((r_ - k) & kMask);
    }
    insertString(r_);
}

// Inserts the string at pos and leaves the longest match found on the way in matchLength_
// and matchPosition_. A string equal over all 17 bytes takes the older one's place. Ring
// position 0 is never entered, so no match is ever found there.
void LzssEncoder::insertString(uint32_t pos) {
    matchLength_ = 0;
    if (pos == 0) {
        return;
    }
    left_[pos] = kNil;
    right_[pos] = kNil;
    if (root_ == kNil) {
        root_ = static_cast<uint16_t>(pos);
        parent_[pos] = kTop;
        return;
    }
    uint32_t node = root_;
    for (;;) {
        uint32_t same = 0;
        while (same < kLzssMaxMatch && at(pos + same) == at(node + same)) {
            ++same;
        }
        if (same > matchLength_) {
            matchLength_ = same;
            matchPosition_ = node;
        }
        if (same == kLzssMaxMatch) {
            replaceNode(node, pos);
            return;
        }
        uint16_t& child = at(pos + same) > at(node + same) ? right_[node] : left_[node];
        if (child == kNil) {
            child = static_cast<uint16_t>(pos);
            parent_[pos] = static_cast<uint16_t>(node);
            return;
        }
        node = child;
    }
}

void LzssEncoder::replaceNode(uint32_t old, uint32_t by) {
    const uint16_t up = parent_[old];
    parent_[by] = up;
    left_[by] = left_[old];
    right_[by] = right_[old];
    if (left_[by] != kNil) {
        parent_[left_[by]] = static_cast<uint16_t>(by);
    }
    if (right_[by] != kNil) {
        parent_[right_[by]] = static_cast<uint16_t>(by);
    }
    if (up == kTop) {
        root_ = static_cast<uint16_t>(by);
    } else if (left_[up] == old) {
        left_[up] = static_cast<uint16_t>(by);
    } else {
        right_[up] = static_cast<uint16_t>(by);
    }
    parent_[old] = kNil;
}

void LzssEncoder::deleteString(uint32_t pos) {
    if (parent_[pos] == kNil) {
        return;
    }
    uint16_t by = kNil;
    if (left_[pos] == kNil) {
        by = right_[pos];
    } else if (right_[pos] == kNil) {
        by = left_[pos];
    } else {
        // Two children: the largest string of the left subtree takes the place.
        by = left_[pos];
        if (right_[by] != kNil) {
            while (right_[by] != kNil) {
                by = right_[by];
            }
            right_[parent_[by]] = left_[by];
            if (left_[by] != kNil) {
                parent_[left_[by]] = parent_[by];
            }
            left_[by] = left_[pos];
            parent_[left_[pos]] = by;
        }
        right_[by] = right_[pos];
        parent_[right_[pos]] = by;
    }
    const uint16_t up = parent_[pos];
    if (by != kNil) {
        parent_[by] = up;
    }
    if (up == kTop) {
        root_ = by;
    } else if (left_[up] == pos) {
        left_[up] = by;
    } else {
        right_[up] = by;
    }
    parent_[pos] = kNil;
}

} // namespace zeph::flash
