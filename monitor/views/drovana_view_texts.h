#pragma once

// The Drovana view: the dead-reckoning output (MID 48) in four groups, each rewritten by its
// own sub-identifier: the validity lines (1), the navigation state (2), the navigation
// subsystem data (3) and the last block of sensor data (8).

#include "monitor/views/form_texts.h"

#include <cstddef>

namespace zeph::monitor {

constexpr size_t kDrValidityLines = 20;   // "DR NAV STATUS"
constexpr size_t kDrNavStateFields = 13;  // "DR NAV STATE"
constexpr size_t kDrSubsystemFields = 14; // "NAV SUBSYSTEM DATA"
constexpr size_t kDrBlockRows = 10;       // "DR DATA BLOCK": three lines, then rows of three

// Where each group starts in form order.
constexpr size_t kDrValidityFirst = 0;
constexpr size_t kDrNavStateFirst = kDrValidityFirst + kDrValidityLines;
constexpr size_t kDrSubsystemFirst = kDrNavStateFirst + kDrNavStateFields;
constexpr size_t kDrMeasType = kDrSubsystemFirst + kDrSubsystemFields;
constexpr size_t kDrValidCount = kDrMeasType + 1;
constexpr size_t kDrBackupFlags = kDrMeasType + 2;
constexpr size_t kDrBlockFirstRow = kDrMeasType + 3; // time, speed, gyro heading rate
constexpr size_t kDrFieldCount = kDrBlockFirstRow + 3 * kDrBlockRows;

// Every field opens as its bare label; each handled message rewrites its own group.
class DrovanaViewTexts : public FormTexts {
public:
    DrovanaViewTexts();
    bool update(const RxMessage& msg) override;

private:
    void validity(const RxMessage& msg);
    void navState(const RxMessage& msg);
    void subsystem(const RxMessage& msg);
    void dataBlock(const RxMessage& msg);
};

} // namespace zeph::monitor
