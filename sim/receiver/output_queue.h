#pragma once

// What the receiver has to say, waiting for the line and written at the line's own pace: a
// byte takes ten bit times (start, eight data bits, stop), so n bytes take n * 10 / baud seconds.

#include "faults.h"
#include "receiver_engine.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace zeph::sim {

// The line as the queue sees it.
class WireSink {
public:
    virtual ~WireSink() = default;
    // Writes what fits now: the count taken, 0 when the line is full, -1 on error.
    virtual long write(const uint8_t* bytes, size_t count) = 0;
    // Whether the far end's settings agree with the receiver's.
    virtual bool farEndMatches() = 0;
    // Puts the receiver's port to new settings.
    virtual void setFormat(const LineFormat& format) = 0;
};

// The scheduled output is dropped while the line is this far behind.
constexpr uint64_t kMaxBacklogUs = 1'000'000;
// One write holds at most this much line time.
constexpr uint64_t kChunkUs = 20'000;
// A line change waits this long at most while the far end stays on the old settings, for a
// client that moves at once (it closes its port and opens it again at the new settings); a
// client that stays is waiting for the answer on the old line, and gets it there first.
constexpr uint64_t kOldLineGraceUs = 500'000;
// After a line change the output waits this long at most for the far end to follow, looking
// again every kFollowPollUs.
constexpr uint64_t kFollowWaitUs = 1'000'000;
constexpr uint64_t kFollowPollUs = 10'000;

// A byte as it arrives when the two ends disagree on the line settings: deterministic, and never
// 0xA0 or '$', so garbage can never start a frame or a sentence.
uint8_t garble(uint8_t b, uint32_t& state);

// A message that has left the queue.
struct SentMessage {
    Packet packet; // kind, MID or sentence type
    Fault fault = Fault::None;
    bool garbled = false; // some of it went out while the far end's settings differed
    size_t noiseBytes = 0;
    bool split = false;
};

class OutputQueue {
public:
    explicit OutputQueue(uint32_t baud) : baud_(baud) {}

    // Queues a message as planned. Scheduled output (not a reply) is dropped, returning false,
    // while the line is more than kMaxBacklogUs behind.
    bool push(const Packet& packet, WirePlan plan, uint64_t nowUs);
    // The new settings apply once everything queued before has gone out and the far end has
    // left the old settings (kOldLineGraceUs); what follows waits for the far end to take them,
    // up to kFollowWaitUs.
    void pushLineChange(const LineFormat& format);

    // Writes what is due at nowUs; returns the messages finished.
    std::vector<SentMessage> service(uint64_t nowUs, WireSink& sink);
    // When service() next has work; UINT64_MAX when the queue is empty.
    uint64_t nextServiceUs() const;
    // The last service() stopped because the line took nothing.
    bool blocked() const { return blocked_; }
    bool empty() const { return items_.empty(); }
    uint32_t baud() const { return baud_; }
    // How long the line is busy with what is queued, from nowUs.
    uint64_t backlogUs(uint64_t nowUs) const;

private:
    struct Item {
        SentMessage sent;
        std::vector<Bytes> segments; // noise first (if any), then the pieces
        size_t firstPiece = 0;       // index of the first message piece in segments
        bool lineChange = false;
        LineFormat format;
        uint64_t graceUntilUs = 0; // a line change: how long it waits for the far end to move
        bool replyFirst = false;   // a line change that let the reply behind it go first
        size_t segment = 0;
        size_t offset = 0;
    };

    uint64_t lineTimeUs(size_t bytes) const;

    uint32_t baud_;
    std::deque<Item> items_;
    size_t queuedBytes_ = 0;
    uint64_t freeAtUs_ = 0;
    uint64_t followUntilUs_ = 0; // the far end has until then to follow a line change
    bool blocked_ = false;
    uint32_t garbleState_ = 0x2545F491;
};

} // namespace zeph::sim
