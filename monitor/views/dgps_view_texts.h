#pragma once

// The DGPS view: the correction source, per-satellite corrections and ages, the internal
// beacon receiver (MID 27), and the SBAS parameters (MID 50).

#include "monitor/views/form_texts.h"

#include <cstddef>

namespace zeph::monitor {

constexpr size_t kDgpsChannels = 12;

// The fields in form order: the source, the rows of PRN, correction and age, the beacon group,
// the SBAS group.
constexpr size_t kDgpsSource = 0;
constexpr size_t dgpsPrn(size_t row) {
    return 1 + 3 * row;
}
constexpr size_t dgpsCorrection(size_t row) {
    return 2 + 3 * row;
}
constexpr size_t dgpsAge(size_t row) {
    return 3 + 3 * row;
}
constexpr size_t kDgpsLocked = 1 + 3 * kDgpsChannels;
constexpr size_t kDgpsFrequency = kDgpsLocked + 1;
constexpr size_t kDgpsBitRate = kDgpsLocked + 2;
constexpr size_t kDgpsMagnitude = kDgpsLocked + 3;
constexpr size_t kDgpsStrength = kDgpsLocked + 4;
constexpr size_t kDgpsSnr = kDgpsLocked + 5;
constexpr size_t kDgpsSbasPrn = kDgpsLocked + 6;
constexpr size_t kDgpsSbasMode = kDgpsSbasPrn + 1;
constexpr size_t kDgpsSbasTimeout = kDgpsSbasPrn + 2;
constexpr size_t kDgpsSbasHealth = kDgpsSbasPrn + 3;
constexpr size_t kDgpsSbasCorrection = kDgpsSbasPrn + 4;
constexpr size_t kDgpsFieldCount = kDgpsSbasPrn + 5;

// Every field opens empty. A MID 27 decides which groups it fills and which it empties; a
// MID 50 counts only while the source reads "SBAS channel".
class DgpsViewTexts : public FormTexts {
public:
    DgpsViewTexts();
    bool update(const RxMessage& msg) override;

private:
    void status(const RxMessage& msg);
    void sbas(const RxMessage& msg);
    void clear(size_t first, size_t count);
};

} // namespace zeph::monitor
