#pragma once

// The decoders of RMC, GSA and GGA. Each finds the first complete sentence of its kind in the
// text (its name, and a line feed somewhere after it) and walks it field by field. A sentence
// cut short keeps what was decoded up to the missing field and leaves the rest unchanged.
// Checksums are not checked. Position sentences come from GPS receivers as "$GP..." and from
// multi-constellation receivers as "$GN..."; both are taken, whichever comes first.

#include "dashboard/core/receiver_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace zeph::dashboard {

// The sentence named `name` (e.g. "$GPRMC") from its name up to the line feed after it, the
// carriage return kept; none when the text holds no such sentence with a line feed after it.
std::optional<std::string> findSentence(std::string_view text, std::string_view name);
// The first "$GP" or "$GN" sentence of `kind` (e.g. "RMC") as findSentence finds it.
std::optional<std::string> findPositionSentence(std::string_view text, std::string_view kind);

// Fills UtcTime, FixStatusText, LatitudeText, LongitudeText, SpeedKnots, CourseDeg, DateText.
// True when the sentence was walked to its date field: the caller then consumes the buffer.
bool RMCdecode(ReceiverState& state, std::string_view text);
// Fills PdopText, HdopText, VdopText.
void GSAdecode(ReceiverState& state, std::string_view GSAstr);
// Fills FixQuality and AltitudeText.
void GGAdecode(ReceiverState& state, std::string_view text);

} // namespace zeph::dashboard
