#pragma once

// A scripted TargetPort for tests: the test lays out what the target sends, the port records
// what the link does.

#include "common/clock/clock.h"
#include "flash/engine/link/target_port.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace zeph::flash::testing {

class FakeTargetPort final : public TargetPort {
public:
    struct Event {
        enum class Kind { Open, Close, Read, Write };
        Kind kind;
        std::string name;           // Open
        int baud = 0;               // Open
        std::size_t requested = 0;  // Read: bytes asked for; Write: bytes offered
        std::vector<uint8_t> bytes; // what was read or written
        Clock::TimePoint at{};      // time of the call on the given clock
    };

    // With a clock, every event is stamped with its time.
    explicit FakeTargetPort(const Clock* clock = nullptr) : clock_(clock) {}

    // What the target sends, chunk by chunk. A chunk is what lies on the line at one moment: a
    // read takes at most what it asks for from the current chunk only and moves on once the
    // chunk is used up. An empty chunk is a read that times out; with no chunk left every read
    // times out.
    void pushInput(std::vector<uint8_t> bytes);
    // The next read after the chunks pushed so far fails with `code`.
    void pushReadError(int code);
    // Write number `index` (from 0, over all writes) takes only `accepted` bytes (-1: fails).
    void limitWrite(std::size_t index, long accepted) { writeLimits_[index] = accepted; }
    void setOpenFails(bool fails) { openFails_ = fails; }

    const std::vector<Event>& events() const { return events_; }
    // The bytes of each write, in order, and all of them joined.
    std::vector<std::vector<uint8_t>> writes() const;
    std::vector<uint8_t> written() const;
    std::size_t readCount() const;
    std::size_t chunksLeft() const { return input_.size(); }
    int baud() const { return baud_; }

    bool open(const std::string& name, int baud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    long read(uint8_t* buffer, std::size_t count) override;
    long write(const uint8_t* buffer, std::size_t count) override;
    int errorCode() const override { return errorCode_; }

private:
    struct Chunk {
        std::vector<uint8_t> bytes;
        std::size_t taken = 0;
        int error = 0;
    };
    Event& record(Event::Kind kind);

    const Clock* clock_;
    std::deque<Chunk> input_;
    std::map<std::size_t, long> writeLimits_;
    std::vector<Event> events_;
    std::size_t writeIndex_ = 0;
    bool open_ = false;
    bool openFails_ = false;
    int baud_ = 0;
    int errorCode_ = 0;
};

} // namespace zeph::flash::testing
