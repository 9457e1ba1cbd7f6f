#pragma once

// GSV sets: collecting the messages of one set in order (over as many ticks as it takes) and
// decoding a complete set into the satellite table.

#include "dashboard/core/receiver_state.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zeph::dashboard {

// Messages a set may have and still be completed: slots exist for three.
constexpr int kMaxGsvMessages = 3;

// The main form's counters of the set being collected; they survive from tick to tick.
struct GsvCounters {
    int16_t GsvTotal = 0;  // number-of-messages field of the last GSV sentence read
    int16_t GsvNumber = 0; // message-number field of the last GSV sentence read
    int16_t GsvCount = 0;  // messages of the current set stored so far
};

struct GsvHeader {
    std::optional<int16_t> number; // message number (field 2)
    std::optional<int16_t> total;  // number of messages (field 1)
};

// Reads the message number and the number of messages of one GSV sentence.
GsvHeader GSVheader(std::string_view line);

enum class GsvScan {
    NoSentence, // no GSV sentence with a line feed after it: nothing was looked at
    Waiting,    // the set is still incomplete
    Complete,   // GsvCount reached GsvTotal; the caller resets GsvCount
};

// Walks every GSV sentence of `text` and stores the next expected message of the set into
// `slots` (index GsvCount). Messages out of order are ignored, so the set waits for the one
// it expects; a line without its carriage return yet is left for a later tick.
GsvScan collectGsvSet(std::string_view text, GsvCounters& counters, std::span<std::string> slots);

// Decodes the first `total` slots into SatInfo (cleared first; rows run on across the
// messages) and SatsInView (kept when the field is not a number).
void decodeGsvSet(std::span<const std::string> slots, int16_t total, SatTable& satInfo,
                  int16_t& satsInView);

} // namespace zeph::dashboard
