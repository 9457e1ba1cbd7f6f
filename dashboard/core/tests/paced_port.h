#pragma once

// A receiver's output as it reaches the port over time: each chunk of text is sent from its
// start time on at the line rate (ten bit times a character), after whatever is still being
// sent. readAll() returns what has arrived by the clock's now.

#include "dashboard/core/tests/fakes.h"

#include "common/clock/clock.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace zeph::dashboard::testing {

class PacedPort : public FakePort {
public:
    PacedPort(const Clock& clock, int baud) : clock_(clock), baud_(baud) {}

    // Sends `text` from `startMs` (since the clock's epoch) on, or when the line is free.
    void send(double startMs, const std::string& text) {
        double at = std::max(startMs, lineFreeMs_);
        for (const char c : text) {
            at += 10000.0 / baud_;
            stream_.push_back(c);
            arrivals_.push_back(at);
        }
        lineFreeMs_ = at;
    }

    std::string readAll() override {
        const double now =
            std::chrono::duration<double, std::milli>(clock_.now() - Clock::TimePoint{}).count();
        std::string out;
        while (next_ < stream_.size() && arrivals_[next_] <= now) {
            out.push_back(stream_[next_++]);
        }
        return out;
    }

    bool drained() const { return next_ == stream_.size(); }

private:
    const Clock& clock_;
    int baud_;
    std::string stream_;
    std::vector<double> arrivals_;
    std::size_t next_ = 0;
    double lineFreeMs_ = 0;
};

} // namespace zeph::dashboard::testing
