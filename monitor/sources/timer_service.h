#pragma once

// Every timer of the monitor is a registration with the main frame's timer service, which
// calls the client's onTimer with the client's identifier.

namespace zeph::monitor {

constexpr int kPacingTimerId = 1026;        // file and generator pacing
constexpr int kSerialSecondTimerId = 1033;  // the serial source's one-second tick
constexpr int kSerialServiceTimerId = 1034; // the serial port's 50 ms service
constexpr int kSerialServicePeriodMs = 50;

class TimerClient {
public:
    virtual ~TimerClient() = default;
    virtual void onTimer(int clientId) = 0;
};

class TimerService {
public:
    virtual ~TimerService() = default;
    // Returns a handle from 1, or 0 when no timer slot is free (that timer never runs).
    virtual int registerTimer(int clientId, TimerClient& client, int periodMs) = 0;
    // Stops the timer and frees its slot; 0 or an unknown handle is ignored.
    virtual void killTimer(int handle) = 0;
};

} // namespace zeph::monitor
