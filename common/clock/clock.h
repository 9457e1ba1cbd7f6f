#pragma once

// Time reaches the core only through this interface, so every rule that waits or counts
// seconds is tested with a fake clock.

#include <chrono>
#include <ctime>

namespace zeph {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;        // monotonic, for waits and pacing
    virtual std::time_t wallTime() const = 0; // calendar time, for log stamps
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;
};

class SystemClock : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    std::time_t wallTime() const override { return std::time(nullptr); }
    void sleepFor(std::chrono::milliseconds duration) override;
};

// A clock that moves only when told to; sleeping advances it.
class FakeClock : public Clock {
public:
    TimePoint now() const override { return now_; }
    std::time_t wallTime() const override {
        return wallStart_ +
               std::chrono::duration_cast<std::chrono::seconds>(now_ - TimePoint{}).count();
    }
    void sleepFor(std::chrono::milliseconds duration) override { advance(duration); }

    void advance(std::chrono::milliseconds duration) { now_ += duration; }
    void setWallStart(std::time_t start) { wallStart_ = start; }

private:
    TimePoint now_{};
    std::time_t wallStart_ = 0;
};

} // namespace zeph
