#pragma once

// Replaying a receiver into the core: its output as it reaches the port over time, and a
// record of what the satellite view was asked to show.

#include "dashboard/core/sky_plot.h"
#include "dashboard/core/tests/fakes.h"
#include "dashboard/core/trekdash_core.h"

#include "common/clock/clock.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zeph::dashboard::testing {

// Each chunk of text is sent from its start time on at the line rate (ten bit times a
// character), after whatever is still being sent. readAll() returns what has arrived by the
// clock's now.
class PacedPort : public FakePort {
public:
    PacedPort(const Clock& clock, int baud) : clock_(clock), baud_(baud) {}

    // Sends `text` from `startMs` (since the clock's epoch) on, or when the line is free;
    // returns when its last character arrives.
    double send(double startMs, const std::string& text) {
        double at = std::max(startMs, lineFreeMs_);
        for (const char c : text) {
            at += 10000.0 / baud_;
            stream_.push_back(c);
            arrivals_.push_back(at);
        }
        lineFreeMs_ = at;
        return at;
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

inline double sinceEpochMs(const Clock& clock) {
    return std::chrono::duration<double, std::milli>(clock.now() - Clock::TimePoint{}).count();
}

// The satellite table at each DisplayTimer tick, and what the view drew of it.
struct ShownLog : MainWindowSink {
    explicit ShownLog(const Clock& c) : clock(c) {}
    void drawSatelliteView() override {
        Shown shown{sinceEpochMs(clock), state->SatInfo, state->SatsInView, sky.displayTick(*state),
                    sky.symbols};
        log.push_back(std::move(shown));
    }
    struct Shown {
        double atMs;
        SatTable table;
        int16_t inView;
        std::optional<std::vector<DrawOp>> ops;
        std::array<SatSymbol, kSatRows> symbols;
    };
    const Clock& clock;
    ReceiverState* state = nullptr;
    SkyPlot sky;
    std::vector<Shown> log;
};

} // namespace zeph::dashboard::testing
