#pragma once

// What zephsim says about dead reckoning (a receiver with the Drovana option, MID 48) and about
// its differential corrections (MID 27 and the SBAS parameters of MID 50). The values cycle
// once a minute through every state the monitor's Drovana and DGPS views tell apart: valid and
// invalid lines, each navigation control and measurement type, every correction source, a
// beacon that locks and loses lock, each SBAS system and flag.

#include "receiver_model.h"
#include "wire_writer.h"

#include <cstdint>

namespace zeph::sim {

// The sub-identifiers sent every second, in this order.
constexpr uint8_t kDrovanaSubIds[] = {1, 2, 3, 8};

// MID 48 with sub-identifier 1 (validity), 2 (navigation state), 3 (navigation subsystem
// data) or 8 (sensor data block).
Bytes drovanaOutput(uint8_t subId, const ReceiverSnapshot& s, uint32_t second);

enum class CorrectionSource {
    Sbas,   // SBAS most of the minute, then a few seconds of each other source
    Beacon, // the internal beacon receiver, locked for forty seconds of each minute
};
Bytes dgpsStatus(const ReceiverSnapshot& s, uint32_t second, CorrectionSource source);
Bytes sbasParameters(uint32_t second);

} // namespace zeph::sim
