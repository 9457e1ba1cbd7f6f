#include "line_pacing.h"

#include <algorithm>

namespace zeph::flashsim {
namespace {

constexpr uint64_t kBitUnitsPerSecond = kBitsPerByte * 1'000'000; // µs · baud per byte

// Microseconds that `bytes` take at `baud`, rounded up: a byte never goes early.
uint64_t spanUs(uint64_t bytes, unsigned baud) {
    return (bytes * kBitUnitsPerSecond + baud - 1) / baud;
}

} // namespace

void WireClock::settle(uint64_t nowUs, unsigned baud) {
    if (baud != baud_) {
        epochUs_ = baud_ == 0 ? 0 : startOf(0);
        count_ = 0;
        baud_ = baud;
    }
    const uint64_t earliest = nowUs - std::min(nowUs, kIdleCreditUs);
    if (startOf(0) < earliest) {
        epochUs_ = earliest;
        count_ = 0;
    }
}

uint64_t WireClock::startOf(uint64_t ahead) const {
    return baud_ == 0 ? epochUs_ : epochUs_ + spanUs(count_ + ahead, baud_);
}

uint64_t WireClock::dueBy(uint64_t nowUs) const {
    if (baud_ == 0 || nowUs < startOf(0)) {
        return 0;
    }
    // Bytes whose start lies at or before nowUs, less those already counted.
    const uint64_t started = (nowUs - epochUs_) * baud_ / kBitUnitsPerSecond + 1;
    return started > count_ ? started - count_ : 0;
}

uint64_t WireClock::batchBytes(unsigned baud) {
    return std::max<uint64_t>(1, kBatchUs * baud / kBitUnitsPerSecond);
}

void PacedOutput::add(const uint8_t* bytes, size_t count, unsigned baud) {
    for (size_t i = 0; i < count; ++i) {
        bytes_.push_back({bytes[i], baud});
    }
}

size_t PacedOutput::sameRate(size_t most) const {
    size_t n = 0;
    while (n < most && n < bytes_.size() && bytes_[n].baud == bytes_.front().baud) {
        ++n;
    }
    return n;
}

std::optional<uint64_t> PacedOutput::wakeUs() const {
    if (bytes_.empty() || blocked_) {
        return std::nullopt;
    }
    // The clock was settled by the last send for the front byte's rate; a new rate's bytes are
    // due no sooner than the old ones end, which startOf(0) gives.
    const size_t run = sameRate(WireClock::batchBytes(bytes_.front().baud));
    return clock_.startOf(run - 1);
}

size_t PacedInput::allowance(uint64_t nowUs, unsigned baud) {
    clock_.settle(nowUs, baud);
    return static_cast<size_t>(std::min<uint64_t>(4096, clock_.dueBy(nowUs)));
}

std::optional<uint64_t> PacedInput::wakeUs(size_t waiting, unsigned baud) const {
    if (waiting == 0) {
        return std::nullopt;
    }
    const uint64_t batch = std::min<uint64_t>(waiting, WireClock::batchBytes(baud));
    return clock_.startOf(batch - 1);
}

} // namespace zeph::flashsim
