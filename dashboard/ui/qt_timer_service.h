#pragma once

// The main form's timers on Qt: one QTimer per timer of the core. As with the form's own
// timers, a tick that comes while another runs waits, and a late timer fires once.

#include "dashboard/core/dash_timers.h"

#include <QTimer>

#include <array>

namespace zeph::dashboard {

class QtTimerService : public TimerService {
public:
    QtTimerService();
    QtTimerService(const QtTimerService&) = delete;
    QtTimerService& operator=(const QtTimerService&) = delete;

    void setClient(TimerClient* client) { client_ = client; }

    void setTimer(TimerId id, int intervalMs) override;
    bool enabled(TimerId id) const override { return timer(id).isActive(); }
    // The interval last set; 0 while disabled.
    int interval(TimerId id) const { return enabled(id) ? timer(id).interval() : 0; }

private:
    QTimer& timer(TimerId id) { return timers_[static_cast<std::size_t>(id)]; }
    const QTimer& timer(TimerId id) const { return timers_[static_cast<std::size_t>(id)]; }

    std::array<QTimer, kTimerCount> timers_;
    TimerClient* client_ = nullptr;
};

} // namespace zeph::dashboard
