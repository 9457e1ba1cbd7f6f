#pragma once

// The Geodetic Nav view: the geodetic navigation message (MID 41) as labelled lines.

#include "monitor/views/form_texts.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zeph::monitor {

// The lines in form order; each error line sits beside the value it belongs to.
enum GeodeticField : size_t {
    kGeodValidity,
    kGeodMode,
    kGeodWeekTime,
    kGeodUtc,
    kGeodSatellites,
    kGeodLatitude,
    kGeodLongitude,
    kGeodAltEllipsoid,
    kGeodAltMsl,
    kGeodDatum,
    kGeodSpeed,
    kGeodCourse,
    kGeodMagVariation,
    kGeodClimbRate,
    kGeodHeadingRate,
    kGeodEhpe,
    kGeodEvpe,
    kGeodEte,
    kGeodEhve,
    kGeodClockBias,
    kGeodClockBiasError,
    kGeodClockDrift,
    kGeodClockDriftError,
    kGeodDistance,
    kGeodDistanceError,
    kGeodHeadingError,
    kGeodFieldCount,
};

// "Nav Validity: Valid", or "Nav Validity: Invalid (H p g c d v h S)" with a capital for each
// set bit of the word's low byte.
std::string geodeticValidityText(uint16_t navValid);
// "Nav Mode: 3D;Dgps;SolVal", from the mode byte and the extra mode byte of the type word.
std::string geodeticModeText(uint16_t navType);

// Every line opens as its bare label; each MID 41 rewrites them all.
class GeodeticViewTexts : public FormTexts {
public:
    GeodeticViewTexts();
    bool update(const RxMessage& msg) override;
};

} // namespace zeph::monitor
