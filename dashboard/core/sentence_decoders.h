#pragma once

// The decoders of RMC, GSA and GGA. Each finds the first complete sentence of its kind in the
// text (its name, and a line feed somewhere after it) and walks it field by field. A sentence
// cut short keeps what was decoded up to the missing field and leaves the rest unchanged.
// Checksums and talkers are not checked.

#include "dashboard/core/receiver_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace zeph::dashboard {

// The sentence named `name` (e.g. "$GPRMC") from its name up to the line feed after it, the
// carriage return kept; none when the text holds no such sentence with a line feed after it.
std::optional<std::string> findSentence(std::string_view text, std::string_view name);

// Fills UtcTime, FixStatusText, LatitudeText, LongitudeText, SpeedKnots, CourseDeg, DateText.
// True when the sentence was walked to its date field: the caller then consumes the buffer.
bool RMCdecode(ReceiverState& state, std::string_view text);
// Fills PdopText, HdopText, VdopText.
void GSAdecode(ReceiverState& state, std::string_view GSAstr);
// Fills FixQuality and AltitudeText.
void GGAdecode(ReceiverState& state, std::string_view text);

} // namespace zeph::dashboard
