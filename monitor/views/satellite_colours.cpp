#include "monitor/views/satellite_colours.h"

namespace zeph::monitor {

SatelliteColour satelliteColour(uint8_t prn, uint16_t state, uint8_t averageCno,
                                const NavRecord& nav) {
    for (uint8_t used : nav.prn) {
        if (used == prn) {
            return SatelliteColour::Used;
        }
    }
    if (averageCno == 0 || (state & kStateNoSignal) != 0) {
        return SatelliteColour::NoSignal;
    }
    if (prn > kHighestGpsPrn && (nav.mode1 & kMode1Dgps) != 0) {
        return SatelliteColour::Sbas;
    }
    return SatelliteColour::Tracked;
}

Rgb rgbOf(SatelliteColour colour) {
    switch (colour) {
    case SatelliteColour::Used:
        return kUsedGreen;
    case SatelliteColour::NoSignal:
        return kNoSignalRed;
    case SatelliteColour::Sbas:
        return kSbasTeal;
    case SatelliteColour::Tracked:
        break;
    }
    return kTrackedBlue;
}

} // namespace zeph::monitor
