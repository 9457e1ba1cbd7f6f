#include "monitor/shell/ui/timer_driver.h"

#include <algorithm>

namespace zeph::monitor {

TimerDriver::TimerDriver(TimerSlots& service, Clock& clock, QObject* parent)
    : QObject(parent), service_(service), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TimerDriver::tick);
    // A change made inside a tick is picked up when the tick re-arms.
    service_.setChanged([this] { timer_.start(0); });
}

void TimerDriver::tick() {
    const std::optional<Clock::TimePoint> next = service_.runDue();
    if (next) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(*next - clock_.now()).count();
        timer_.start(static_cast<int>(std::clamp<long long>(wait, 0, 60'000)));
    }
}

} // namespace zeph::monitor
