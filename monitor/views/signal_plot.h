#pragma once

// The Signal view without its widget: twelve channel strips, each with its satellite's texts and
// a graph of C/No over the last five receiver cycles. The graph lives in a bitmap per strip that
// scrolls one cycle to the left for every new solution, so each update draws ten samples.

#include "monitor/messages/message_records.h"
#include "monitor/messages/rx_message.h"
#include "monitor/views/plot_ops.h"

#include <array>
#include <string>
#include <vector>

namespace zeph::monitor {

constexpr int kSignalChannels = 12;
constexpr int kSignalCycles = 5;
constexpr int kSamplesPerCycle = 10;
constexpr int kCnoBottom = 15; // dB-Hz at the foot of the graph
constexpr int kCnoTop = 50;    // dB-Hz at its head
constexpr int kGraphBar = 0;
constexpr int kGraphLine = 1;

// Where one channel's strip lies in the view. The graph's own coordinates start at its top-left
// corner; its bitmap is graphWidth x height.
struct StripGeometry {
    int textLeft = 5;
    int graphLeft = 210;
    int top = 0;
    int bottom = 0;
    int height = 0;     // bottom - top
    int step = 0;       // pixels between two samples
    int boxWidth = 0;   // one cycle: 10 steps + 1
    int graphWidth = 0; // five cycles: 50 steps + 2
    int keepWidth = 0;  // what a scroll keeps: 40 steps + 1
    bool operator==(const StripGeometry&) const = default;

    // A view too small for a strip draws nothing of it.
    bool drawable() const { return height > 0 && step > 0; }
};

StripGeometry stripGeometry(int channel, int clientWidth, int clientHeight);

// The header over the first strip: the column titles and the cycle of each box.
PlotOps signalHeader(const StripGeometry& first);

// The five texts of a channel: PRN, state, azimuth and elevation in degrees, average C/No.
std::array<std::string, 5> channelTexts(const TrackChannel& channel, uint8_t averageCno);

// Sample n (0..9) of the newest cycle: its x in the graph, and the y of a C/No value.
int sampleX(const StripGeometry& g, int n);
int sampleY(const StripGeometry& g, int cno);

// One channel's row: its texts go to the view, its graph to the strip's bitmap.
class ChannelStrip {
public:
    struct Drawing {
        PlotOps window; // in view coordinates
        PlotOps graph;  // in the graph bitmap's coordinates
    };

    void setGraphType(int type) { graphType_ = type; }
    int graphType() const { return graphType_; }
    const StripGeometry& geometry() const { return g_; }

    // A new layout: the bitmap is made afresh with five empty cycle boxes; the scale is written
    // beside it in the view.
    Drawing layout(const StripGeometry& g);
    // The channel's texts in its colour, and the graph one cycle on with its ten samples.
    Drawing draw(const TrackChannel& channel, uint8_t averageCno, Rgb colour);
    // An empty channel: five cycles of nothing in white scroll the whole graph clear.
    Drawing blank();

private:
    StripGeometry g_;
    int graphType_ = kGraphBar;
    int lastY_ = 0; // the line graph goes on from the previous sample
};

// The view's rule for messages: tracker data waits for the next navigation solution, which
// draws every strip with the latest tracker data received since the previous one.
class SignalPlot {
public:
    struct Layout {
        PlotOps window; // the header and the scales
        std::array<PlotOps, kSignalChannels> graphs;
        std::array<StripGeometry, kSignalChannels> strips;
    };
    struct StripUpdate {
        int channel = 0;
        ChannelStrip::Drawing drawing;
    };

    void setGraphType(int type);
    Layout layout(int clientWidth, int clientHeight);
    // A new message: nothing, or the drawing of all twelve strips.
    std::vector<StripUpdate> onMessage(const RxMessage& msg);

    const ChannelStrip& strip(int channel) const { return strips_[channel]; }
    bool trackerPending() const { return trackerPending_; }

private:
    std::array<ChannelStrip, kSignalChannels> strips_;
    TrackRecord track_{};
    NavRecord nav_{};
    bool trackerPending_ = false;
};

} // namespace zeph::monitor
