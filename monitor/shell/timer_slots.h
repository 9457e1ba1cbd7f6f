#pragma once

// The main frame's timer service: six slots, each a periodic timer of one client. A timer
// that fires while no source is open is killed instead of called.

#include "monitor/sources/timer_service.h"

#include "common/clock/clock.h"

#include <array>
#include <functional>
#include <optional>

namespace zeph::monitor {

class TimerSlots : public TimerService {
public:
    static constexpr int kSlots = 6;

    TimerSlots(Clock& clock, std::function<bool()> sourceOpen);

    int registerTimer(int clientId, TimerClient& client, int periodMs) override;
    void killTimer(int handle) override;

    // Called after every registration and kill, so a window can re-arm its one platform timer.
    void setChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // Fires every timer that is due now, each once; returns when the next one is due, or
    // nothing when no timer runs.
    std::optional<Clock::TimePoint> runDue();
    int running() const;

private:
    void changed() const {
        if (changed_) {
            changed_();
        }
    }

    struct Slot {
        bool used = false;
        int clientId = 0;
        TimerClient* client = nullptr;
        std::chrono::milliseconds period{0};
        Clock::TimePoint due{};
    };

    Clock& clock_;
    std::function<bool()> sourceOpen_;
    std::function<void()> changed_;
    std::array<Slot, kSlots> slots_{};
};

} // namespace zeph::monitor
