#pragma once

// Drives the six-slot timer service from one Qt timer on the GUI thread, re-armed for the next
// due slot after every tick, registration and kill.

#include "monitor/shell/timer_slots.h"

#include <QObject>
#include <QTimer>

namespace zeph::monitor {

class TimerDriver : public QObject {
    Q_OBJECT
public:
    TimerDriver(TimerSlots& service, Clock& clock, QObject* parent = nullptr);
    ~TimerDriver() override { service_.setChanged({}); }

private:
    void tick();

    TimerSlots& service_;
    Clock& clock_;
    QTimer timer_;
};

} // namespace zeph::monitor
