#pragma once

// The colour of a tracked satellite, shared by the Signal and Radar views: whether it is used
// in the fix, has no signal, is an SBAS satellite of a DGPS-corrected fix, or is only tracked.

#include "monitor/messages/message_records.h"
#include "monitor/views/plot_ops.h"

#include <cstdint>

namespace zeph::monitor {

enum class SatelliteColour { Used, NoSignal, Sbas, Tracked };

constexpr Rgb kUsedGreen{20, 210, 20};
constexpr Rgb kNoSignalRed{255, 0, 0};
constexpr Rgb kSbasTeal{20, 210, 210};
constexpr Rgb kTrackedBlue{0, 0, 255};
// An empty channel is drawn in the background colour.
constexpr Rgb kEmptyChannelWhite{255, 255, 255};

constexpr uint16_t kStateNoSignal = 0x0100;
constexpr uint8_t kHighestGpsPrn = 32;
constexpr uint8_t kMode1Dgps = 0x80;

// The rules in order: a PRN among the fix's twelve is used, whatever its signal; then a zero
// average C/No or the no-signal state bit; then an SBAS PRN while the fix is DGPS-corrected.
SatelliteColour satelliteColour(uint8_t prn, uint16_t state, uint8_t averageCno,
                                const NavRecord& nav);
Rgb rgbOf(SatelliteColour colour);

} // namespace zeph::monitor
