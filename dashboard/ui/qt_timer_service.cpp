#include "dashboard/ui/qt_timer_service.h"

namespace zeph::dashboard {

QtTimerService::QtTimerService() {
    for (std::size_t i = 0; i < kTimerCount; ++i) {
        const auto id = static_cast<TimerId>(i);
        QObject::connect(&timers_[i], &QTimer::timeout, [this, id] {
            if (client_ != nullptr) {
                client_->onTimer(id);
            }
        });
    }
}

void QtTimerService::setTimer(TimerId id, int intervalMs) {
    if (intervalMs > 0) {
        timer(id).start(intervalMs); // a new interval restarts the count
    } else {
        timer(id).stop();
    }
}

} // namespace zeph::dashboard
