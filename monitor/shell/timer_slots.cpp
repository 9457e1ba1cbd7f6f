#include "monitor/shell/timer_slots.h"

namespace zeph::monitor {

TimerSlots::TimerSlots(Clock& clock, std::function<bool()> sourceOpen)
    : clock_(clock), sourceOpen_(std::move(sourceOpen)) {}

int TimerSlots::registerTimer(int clientId, TimerClient& client, int periodMs) {
    for (int i = 0; i < kSlots; ++i) {
        Slot& s = slots_[i];
        if (!s.used) {
            const std::chrono::milliseconds period(periodMs > 0 ? periodMs : 0);
            s = Slot{true, clientId, &client, period, clock_.now() + period};
            changed();
            return i + 1;
        }
    }
    return 0;
}

void TimerSlots::killTimer(int handle) {
    if (handle >= 1 && handle <= kSlots) {
        slots_[handle - 1] = Slot{};
        changed();
    }
}

int TimerSlots::running() const {
    int n = 0;
    for (const Slot& s : slots_) {
        n += s.used ? 1 : 0;
    }
    return n;
}

std::optional<Clock::TimePoint> TimerSlots::runDue() {
    const Clock::TimePoint now = clock_.now();
    for (int i = 0; i < kSlots; ++i) {
        Slot& s = slots_[i];
        if (!s.used || s.due > now) {
            continue;
        }
        if (!sourceOpen_()) {
            killTimer(i + 1);
            continue;
        }
        // The next period counts from now: a late tick is not made up by a burst.
        s.due = now + s.period;
        TimerClient* client = s.client;
        client->onTimer(s.clientId); // may kill or register timers, this one included
    }
    std::optional<Clock::TimePoint> next;
    for (const Slot& s : slots_) {
        if (s.used && (!next || s.due < *next)) {
            next = s.due;
        }
    }
    return next;
}

} // namespace zeph::monitor
