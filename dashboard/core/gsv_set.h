#pragma once

// GSV sets: collecting the messages of one set in order as the port delivers them, and decoding
// a complete set into the satellite table.

#include "dashboard/core/receiver_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zeph::dashboard {

// Messages of a set that are kept: the satellite table has rows for three (12 satellites).
constexpr int kMaxGsvMessages = 3;
// A line still without its end is dropped beyond this length (noise, a broken line).
constexpr std::size_t kMaxGsvLine = 1024;

// The main form's counters of the set last collected.
struct GsvCounters {
    int16_t GsvTotal = 0;  // number-of-messages field of the set
    int16_t GsvNumber = 0; // message-number field of the last GSV sentence read
    int16_t GsvCount = 0;  // messages of the set being collected so far
};

struct GsvHeader {
    std::optional<int16_t> number; // message number (field 2)
    std::optional<int16_t> total;  // number of messages (field 1)
};

// Reads the message number and the number of messages of one GSV sentence.
GsvHeader GSVheader(std::string_view line);

// One complete set: its first three messages, each from "$GPGSV" up to its carriage return.
struct GsvSet {
    std::array<std::string, kMaxGsvMessages> lines;
    int16_t total = 0; // messages the set announced (may be more than the lines kept)
    int16_t kept() const { return total < kMaxGsvMessages ? total : int16_t{kMaxGsvMessages}; }
};

// Collects GSV sets from the text as it arrives, however it is cut into reads. A message 1
// starts a set; the set completes when its last message has come in order. A message out of
// order drops the set, which then waits for the next message 1. A set of more than three
// messages keeps its first three (the first 12 satellites).
class GsvCollector {
public:
    void feed(std::string_view text);
    // The newest set completed since the last take; none when no set completed since.
    std::optional<GsvSet> take();
    const GsvCounters& counters() const { return counters_; }

private:
    void line(std::string_view text);

    std::string partial_;
    GsvCounters counters_;
    GsvSet building_;
    std::optional<GsvSet> ready_;
};

// Decodes the first `messages` slots into SatInfo (cleared first; rows run on across the
// messages) and SatsInView (kept when the field is not a number).
void decodeGsvSet(std::span<const std::string> slots, int16_t messages, SatTable& satInfo,
                  int16_t& satsInView);

} // namespace zeph::dashboard
