#pragma once

// A timer service that the test fires by hand, in place of the main frame's.

#include "monitor/sources/timer_service.h"

#include <map>

namespace zeph::monitor::testing {

class ManualTimers : public TimerService {
public:
    struct Timer {
        int clientId;
        TimerClient* client;
        int periodMs;
    };

    int registerTimer(int clientId, TimerClient& client, int periodMs) override {
        timers[++lastHandle] = {clientId, &client, periodMs};
        return lastHandle;
    }
    void killTimer(int handle) override { timers.erase(handle); }

    const Timer* find(int clientId) const {
        for (const auto& [handle, t] : timers) {
            if (t.clientId == clientId) {
                return &t;
            }
        }
        return nullptr;
    }
    // Fires the running timer of that client; false when it has none.
    bool fire(int clientId) {
        const Timer* t = find(clientId);
        if (t == nullptr) {
            return false;
        }
        t->client->onTimer(clientId);
        return true;
    }
    // Fires the one running timer; false unless exactly one runs.
    bool fire() { return timers.size() == 1 && fire(timers.begin()->second.clientId); }
    int period() const { return timers.empty() ? -1 : timers.begin()->second.periodMs; }

    std::map<int, Timer> timers; // by handle
    int lastHandle = 0;
};

} // namespace zeph::monitor::testing
