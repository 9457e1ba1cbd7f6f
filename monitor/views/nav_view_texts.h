#pragma once

// The Navigation view: the measured navigation message (MID 2) as values, with latitude,
// longitude and height worked out from its ECEF position.

#include "monitor/views/form_texts.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zeph::monitor {

// The fields in form order: the X, Y, Z row of position and of velocity, then one line each.
enum NavField : size_t {
    kNavPositionX,
    kNavPositionY,
    kNavPositionZ,
    kNavVelocityX,
    kNavVelocityY,
    kNavVelocityZ,
    kNavLatitude,
    kNavLongitude,
    kNavAltitude,
    kNavMode,
    kNavDop,
    kNavFix,
    kNavWeek,
    kNavTime,
    kNavSatellites,
    kNavFieldCount,
};

// The solution mode from the two mode bytes: "3d+Dgps;Tp", "Bad DOP;DrTimeout", ...
std::string navModeText(uint8_t mode1, uint8_t mode2);

// Every field starts empty; each MID 2 rewrites them all.
class NavViewTexts : public FormTexts {
public:
    NavViewTexts();
    bool update(const RxMessage& msg) override;
};

} // namespace zeph::monitor
