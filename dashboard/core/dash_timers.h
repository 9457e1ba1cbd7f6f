#pragma once

// The main form's timers. The core only enables a timer with an interval or disables it
// (interval 0); ClockTimers fires them from a Clock, and the window will drive the same
// interface from its own timers.

#include "common/clock/clock.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace zeph::dashboard {

enum class TimerId {
    Nmea,    // 500 ms: read port 1, decode RMC, GSA, GGA
    RxCheck, // 1000 ms: collect one GSV set
    Decode,  // 250 ms: decode the set
    Display, // 1000 ms: satellite view, then restart the cycle
    Meter,   // speed meter
    Compass, // compass pointer
    Heading, // heading pointer
    Compare, // 700 ms in two-receiver mode: read port 2
    Double,  // 1000 ms: the comparison window's tick, one source at a time
    Count
};
constexpr std::size_t kTimerCount = static_cast<std::size_t>(TimerId::Count);

constexpr int kNmeaIntervalMs = 500;
constexpr int kRxCheckIntervalMs = 1000;
constexpr int kDecodeIntervalMs = 250;
constexpr int kDisplayIntervalMs = 1000;
constexpr int kMeterIntervalMs = 1000;
constexpr int kPointerIntervalMs = 1000;
constexpr int kCompareIntervalMs = 700;
constexpr int kDoubleIntervalMs = 1000;
constexpr int kActivationDisplayMs = 1; // the display tick that comes first on activation

class TimerClient {
public:
    virtual ~TimerClient() = default;
    virtual void onTimer(TimerId id) = 0;
};

class TimerService {
public:
    virtual ~TimerService() = default;
    // A positive interval enables the timer and restarts its count; 0 disables it.
    virtual void setTimer(TimerId id, int intervalMs) = 0;
    virtual bool enabled(TimerId id) const = 0;
};

// Timers fired from a Clock. A timer that falls behind fires once and starts counting again;
// ticks are never queued up.
class ClockTimers : public TimerService {
public:
    explicit ClockTimers(Clock& clock) : clock_(clock) {}

    void setClient(TimerClient* client) { client_ = client; }

    void setTimer(TimerId id, int intervalMs) override;
    bool enabled(TimerId id) const override { return slot(id).interval.count() > 0; }
    int interval(TimerId id) const { return static_cast<int>(slot(id).interval.count()); }

    // When the next enabled timer is due; none when none is enabled.
    std::optional<Clock::TimePoint> nextDue() const;
    // Fires every timer due now, earliest first (ties in the order they were armed).
    void runDue();
    // Runs the timers for `duration` of the clock's time, sleeping between ticks.
    void runFor(std::chrono::milliseconds duration);

private:
    struct Slot {
        std::chrono::milliseconds interval{0};
        Clock::TimePoint due{};
        uint64_t armed = 0; // order of arming, for timers due at the same moment
    };
    Slot& slot(TimerId id) { return slots_[static_cast<std::size_t>(id)]; }
    const Slot& slot(TimerId id) const { return slots_[static_cast<std::size_t>(id)]; }

    Clock& clock_;
    TimerClient* client_ = nullptr;
    std::array<Slot, kTimerCount> slots_{};
    uint64_t armCounter_ = 0;
};

} // namespace zeph::dashboard
