#pragma once

// What went over the line, counted so a soak test can hold a client's log against it.

#include "input_parser.h"
#include "output_queue.h"

#include <cstdint>
#include <map>
#include <string>

namespace zeph::sim {

// The report's format, for --help.
extern const char* const kCountsFormat;

class TrafficCounts {
public:
    void sent(const SentMessage& message);
    void dropped(const Packet& packet);
    void received(const InputMessage& message);
    void garbledInput(size_t bytes) { garbledInput_ += bytes; }

    // One "<what>: <count>" line each (kCountsFormat); the parser's rejects, the engine's
    // ignored messages and the line's unread bytes are passed in as they stand.
    std::string report(const InputRejects& rejects, uint64_t ignored, uint64_t unreadDropped) const;

private:
    // Frames by MID and sentences by type.
    struct Tally {
        std::map<int, uint64_t> mids;
        std::map<std::string, uint64_t> sentences;
        void add(const Packet& packet);
        void print(std::string& out, const std::string& prefix) const;
    };

    Tally intact_, badChecksum_, badTail_, garbled_, dropped_;
    std::map<int, uint64_t> receivedMids_;
    std::map<std::string, uint64_t> receivedSentences_;
    uint64_t noiseBursts_ = 0;
    uint64_t noiseBytes_ = 0;
    uint64_t splitWrites_ = 0;
    uint64_t garbledInput_ = 0;
};

} // namespace zeph::sim
