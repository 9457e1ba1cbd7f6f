#pragma once

// Replaying a receiver into the core: its output as it reaches the port over time, and a
// record of what the satellite view was asked to show.

#include "dashboard/core/sky_plot.h"
#include "dashboard/core/tests/fakes.h"
#include "dashboard/core/trekdash_core.h"

#include "common/clock/clock.h"
#include "common/text/strprintf.h"

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

// One second of a receiver whose every value moves each second: GGA, GSA, a GSV set of 11
// satellites and RMC, in that order.
inline std::vector<std::string> movingSecond(int k) {
    std::vector<std::string> lines = {
        strprintf("$GPGGA,%06d.000,2446.%04d,N,12100.5678,E,1,08,1.4,%d.0,M,,M,,*00\r\n", k, k,
                  100 + k),
        strprintf("$GPGSA,A,3,02,05,07,09,13,16,21,24,,,,,2.%d,1.%d,1.%d*00\r\n", k % 10, k % 7,
                  k % 9 + 1)};
    for (int m = 1; m <= 3; ++m) {
        std::string sentence = strprintf("$GPGSV,3,%d,11", m);
        for (int i = (m - 1) * 4; i < std::min(m * 4, 11); ++i) {
            sentence += strprintf(",%02d,%02d,%03d,%02d", k % 20 + 1 + i, 10 + 7 * i,
                                  (k * 3 + 30 * i) % 360, 30 + (k + i) % 20);
        }
        lines.push_back(sentence + "*00\r\n");
    }
    lines.push_back(strprintf(
        "$GPRMC,%06d.000,A,2446.%04d,N,12100.5678,E,%d.5,%d.5,230394,,*00\r\n", k, k, k, 3 * k));
    return lines;
}

// The satellite table second k's set gives.
inline SatTable movingSats(int k) {
    SatTable t{};
    for (int i = 0; i < 11; ++i) {
        t[static_cast<std::size_t>(i)] = {
            static_cast<int16_t>(k % 20 + 1 + i), static_cast<int16_t>(10 + 7 * i),
            static_cast<int16_t>((k * 3 + 30 * i) % 360), static_cast<int16_t>(30 + (k + i) % 20)};
    }
    return t;
}

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
