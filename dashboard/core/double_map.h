#pragma once

// The two-receiver comparison window (DoubleMapForm) without its widgets: each DoubleTimer
// tick handles one source, alternating, and turns that source's complete GSV set into the
// drawing of its half of the window (a sky plot with one disc per satellite and a bar row).
// SatInfo and SatsInView serve as scratch space for the source being handled and are emptied
// at the end of every tick.

#include "dashboard/core/dash_timers.h"
#include "dashboard/core/gsv_set.h"
#include "dashboard/core/receiver_state.h"
#include "dashboard/core/sky_plot.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::dashboard {

constexpr int kCompareRadius = 1100; // a satellite on the horizon, inside the 1200 circle

// Adds what a source sent to the comparison's copy of its text, which the source's next tick
// hands to its set collector. Nobody reads the copy while the window is paused, so past the
// receive limit it starts afresh.
void feedComparison(std::string& copy, std::string_view received);

class DoubleMapCore : public TimerClient {
public:
    enum class Source { One, Two };

    struct SourceState {
        GsvCollector collector;              // the source's sets as its text arrives
        int16_t satsInView = 0;              // at the last drawing of the bar row
        std::array<int16_t, kSatRows> prn{}; // per row at the last drawing
    };

    // `timers` carries DoubleTimer; `draw` receives each tick's drawing.
    DoubleMapCore(TimerService& timers, ReceiverState& state,
                  std::function<void(const std::vector<DrawOp>&)> draw = {});

    // Window activation: the two empty plots, and DoubleTimer on.
    void activate();
    // cmdPause: stops or resumes the ticks; the caption the button then shows.
    void pause();
    std::string pauseCaption() const { return paused_ ? "Start" : "Pause"; }
    bool paused() const { return paused_; }
    // CloseComm's part here: no more ticks.
    void close();

    // One DoubleTimer tick for the source that is due; returns what it drew.
    std::vector<DrawOp> tick();
    void onTimer(TimerId id) override;

    Source due() const { return selector_ ? Source::Two : Source::One; }
    const SourceState& source(Source s) const { return sources_[index(s)]; }
    // Where the rows were last placed (elevation, azimuth), shared by both sources.
    const std::array<std::array<int16_t, 2>, kSatRows>& placed() const { return placed_; }
    const std::array<int16_t, kSatRows>& colors() const { return colors_; }

    static int centreX(Source s) { return s == Source::One ? 2000 : 6000; }
    static constexpr int kCentreY = 2000;
    static std::vector<DrawOp> frames();

private:
    static std::size_t index(Source s) { return s == Source::One ? 0 : 1; }
    std::string& text(Source s);
    std::span<std::string> gsvSlots(Source s);
    // Places row `row` at elevation and azimuth on the source's plot, or erases it there.
    void CheckPosi(std::vector<DrawOp>& ops, Source s, int elevation, int azimuth, bool clear,
                   int row);
    void DisplaySatPo(std::vector<DrawOp>& ops, int x, int y, int16_t color, bool clear,
                      int row) const;
    void barRow(std::vector<DrawOp>& ops, Source s) const;
    void drawSource(std::vector<DrawOp>& ops, Source s);

    TimerService& timers_;
    ReceiverState& state_;
    std::function<void(const std::vector<DrawOp>&)> draw_;
    std::array<SourceState, 2> sources_{};
    std::array<std::array<int16_t, 2>, kSatRows> placed_{};
    std::array<int16_t, kSatRows> colors_{};
    bool selector_ = false; // false: source 1 is due
    bool paused_ = false;
};

} // namespace zeph::dashboard
