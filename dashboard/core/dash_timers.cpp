#include "dashboard/core/dash_timers.h"

namespace zeph::dashboard {

void ClockTimers::setTimer(TimerId id, int intervalMs) {
    Slot& s = slot(id);
    s.interval = std::chrono::milliseconds(intervalMs > 0 ? intervalMs : 0);
    s.due = clock_.now() + s.interval;
    s.armed = ++armCounter_;
}

std::optional<Clock::TimePoint> ClockTimers::nextDue() const {
    std::optional<Clock::TimePoint> next;
    for (const Slot& s : slots_) {
        if (s.interval.count() > 0 && (!next || s.due < *next)) {
            next = s.due;
        }
    }
    return next;
}

void ClockTimers::runDue() {
    // Each timer fires at most once per call, so a 1 ms timer cannot keep the loop busy.
    std::array<bool, kTimerCount> fired{};
    for (;;) {
        const Clock::TimePoint now = clock_.now();
        std::size_t pick = kTimerCount;
        for (std::size_t i = 0; i < kTimerCount; ++i) {
            const Slot& s = slots_[i];
            if (fired[i] || s.interval.count() <= 0 || s.due > now) {
                continue;
            }
            if (pick == kTimerCount || s.due < slots_[pick].due ||
                (s.due == slots_[pick].due && s.armed < slots_[pick].armed)) {
                pick = i;
            }
        }
        if (pick == kTimerCount) {
            return;
        }
        fired[pick] = true;
        Slot& s = slots_[pick];
        // Counting restarts from now; a timer re-armed by its own tick keeps the new setting.
        s.due = now + s.interval;
        s.armed = ++armCounter_;
        if (client_ != nullptr) {
            client_->onTimer(static_cast<TimerId>(pick));
        }
    }
}

void ClockTimers::runFor(std::chrono::milliseconds duration) {
    const Clock::TimePoint end = clock_.now() + duration;
    for (;;) {
        const Clock::TimePoint now = clock_.now();
        const std::optional<Clock::TimePoint> next = nextDue();
        if (!next || *next > end) {
            if (end > now) {
                clock_.sleepFor(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
            }
            return;
        }
        if (*next > now) {
            clock_.sleepFor(std::chrono::ceil<std::chrono::milliseconds>(*next - now));
        }
        runDue();
    }
}

} // namespace zeph::dashboard
