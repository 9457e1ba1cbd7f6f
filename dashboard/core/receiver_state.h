#pragma once

// ReceiverState: what the decoders fill and every display reads. One record, owned by the
// main form's core, read in place; nothing in it is saved, and a field keeps its last value
// until a decoder overwrites it.

#include "dashboard/core/settings_record.h"

#include <array>
#include <cstdint>
#include <string>

namespace zeph::dashboard {

constexpr int kSatRows = 12;
constexpr int kSatColumns = 4; // PRN, elevation, azimuth, SNR
constexpr int kGsvSlots = 6;

enum SatColumn { kSatPrn = 0, kSatElevation = 1, kSatAzimuth = 2, kSatSnr = 3 };

using SatTable = std::array<std::array<int16_t, kSatColumns>, kSatRows>;

struct ReceiverState {
    // The GSV sentences of the set being assembled; only slots 0..2 are ever filled.
    std::array<std::string, kGsvSlots> GsvLines;
    // One row per satellite in GSV order; 0 where nothing was decoded.
    SatTable SatInfo{};
    int16_t SatsInView = 0;
    int16_t PrevSatsInView = 0; // kept by the satellite view
    std::string RxBuffer;       // port-1 text received and not yet consumed
    std::string RxBuffer2;      // the same for the second receiver
    bool NewDataFlag = false;
    bool SettingsRequest = false;
    SettingsRecord Settings;
    std::string UtcTime;
    std::string FixStatusText;
    std::string LatitudeText;
    std::string LongitudeText;
    std::string DateText;
    std::string AltitudeText;
    std::string PdopText;
    std::string HdopText;
    std::string VdopText;
    int16_t CourseDeg = 0;
    double SpeedKnots = 0;
    std::string RxLog; // rolling copy of received text, emptied by the sentence-type list
    bool PortOpenFailed = false;
    bool DoubleRequest = false;
    bool SingleRestoreRequest = false;
    int16_t FixQuality = 0;
    // Two-receiver mode: slots 0..2 for source 2, slots 3..5 for source 1.
    std::array<std::string, kGsvSlots> GsvLines2;
    // Two-receiver mode: the comparison window's own copies of what each source sent, so
    // that the main window's cycle emptying RxBuffer and RxBuffer2 takes nothing from it.
    std::string CompareText1;
    std::string CompareText2;
};

} // namespace zeph::dashboard
