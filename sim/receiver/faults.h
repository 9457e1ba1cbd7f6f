#pragma once

// Line faults injected on request: noise between messages, wrong checksums and tails, and
// messages written in two pieces. Deterministic for a given seed.

#include "receiver_engine.h"

#include <cstdint>
#include <vector>

namespace zeph::sim {

struct FaultOptions {
    double noise = 0;       // chance per message of a burst of noise before it
    double badChecksum = 0; // chance per message of a wrong checksum
    double badTail = 0;     // chance per message of a wrong tail (frame B0 B3, sentence CR LF)
    bool splitWrites = false;
    uint64_t seed = 1;
};

enum class Fault { None, BadChecksum, BadTail };

// The pause in the middle of a message written in two pieces.
constexpr uint32_t kSplitPauseMs = 20;
// A noise burst is 1 to this many bytes.
constexpr size_t kMaxNoiseBytes = 8;

struct WirePlan {
    Bytes noise;               // before the message; never holds 0xA0 or '$', so it cannot hide one
    std::vector<Bytes> pieces; // the message: one piece, or two with kSplitPauseMs between
    Fault fault = Fault::None;
};

// A small generator with a fixed algorithm, so a seed gives the same faults on every build.
class FaultRandom {
public:
    explicit FaultRandom(uint64_t seed) : state_(seed) {}
    uint64_t next();
    double uniform(); // [0, 1)
    bool chance(double rate) { return rate > 0 && uniform() < rate; }

private:
    uint64_t state_;
};

class FaultInjector {
public:
    explicit FaultInjector(const FaultOptions& options)
        : options_(options), random_(options.seed) {}

    // How a frame or sentence goes onto the line.
    WirePlan plan(const Packet& packet);

private:
    FaultOptions options_;
    FaultRandom random_;
};

} // namespace zeph::sim
