#pragma once

// A tally of the whole sentences read from the receiver's port, by type, with a good checksum
// or without. It watches the text as it arrives and changes nothing; long runs compare it
// with what the receiver sent.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zeph::dashboard {

class ReceivedSentences {
public:
    // Text as read from the port, in any pieces.
    void feed(std::string_view text);

    // Sentences with a good checksum, by type (GGA, GSV, ...; the address without its talker).
    const std::map<std::string, uint64_t>& byType() const { return byType_; }
    uint64_t total() const { return total_; }
    // Lines that were not a whole sentence with a good checksum.
    uint64_t rejected() const { return rejected_; }

    // "Sentence <type>: <count>" per type, then "Rejected sentences: <count>", one a line.
    std::string report() const;

private:
    void line(std::string_view text);

    std::string partial_;
    std::map<std::string, uint64_t> byType_;
    uint64_t total_ = 0;
    uint64_t rejected_ = 0;
};

} // namespace zeph::dashboard
