#include "monitor/views/signal_plot.h"

#include "monitor/views/satellite_colours.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cmath>

namespace zeph::monitor {
namespace {

constexpr int kHeaderTop = 30;   // the header row above the first strip
constexpr int kHeaderRaise = 20; // header labels sit this far above the first strip
constexpr int kStripGap = 5;     // between two strips
constexpr int kRightMargin = 5;  // between the strips and the view's right edge
constexpr int kScaleMargin = 25; // right of the graph, for its scale
constexpr int kTextColumns = 5;
constexpr int kSampleFoot = 3; // a sample's baseline above the graph's bottom
constexpr int kMaxScaleFont = 15;
constexpr uint8_t kMidTrueNav = 1;
constexpr uint8_t kMidMeasNav = 2;
constexpr uint8_t kMidTracker3 = 3;
constexpr uint8_t kMidTracker4 = 4;

constexpr const char* kColumnTitles[kTextColumns] = {"SV", "St", "Az", "El", "C/No"};

int textColumnX(const StripGeometry& g, int k) {
    return g.textLeft + (g.graphLeft - g.textLeft) * k / kTextColumns;
}

int cycleWidth(const StripGeometry& g) {
    return kSamplesPerCycle * g.step;
}

} // namespace

StripGeometry stripGeometry(int channel, int clientWidth, int clientHeight) {
    StripGeometry g;
    const int rowHeight = (clientHeight - kHeaderTop) / kSignalChannels;
    const int right = clientWidth - kRightMargin;
    g.top = kHeaderTop + channel * rowHeight;
    g.bottom = g.top + rowHeight - kStripGap;
    g.height = g.bottom - g.top;
    g.step = (right - g.graphLeft - kScaleMargin) / (kSignalCycles * kSamplesPerCycle);
    g.boxWidth = kSamplesPerCycle * g.step + 1;
    g.graphWidth = kSignalCycles * kSamplesPerCycle * g.step + 2;
    g.keepWidth = (kSignalCycles - 1) * kSamplesPerCycle * g.step + 1;
    return g;
}

PlotOps signalHeader(const StripGeometry& first) {
    PlotOps ops;
    const int y = first.top - kHeaderRaise;
    for (int k = 0; k < kTextColumns; ++k) {
        ops.push_back(PlotOp::label(textColumnX(first, k), y, kColumnTitles[k], kBlack, {}));
    }
    for (int k = 0; k < kSignalCycles; ++k) {
        const int cyclesAgo = k - kSignalCycles;
        std::string text = k == 0 ? strprintf("%d cycle", cyclesAgo) : strprintf("%d", cyclesAgo);
        ops.push_back(
            PlotOp::label(first.graphLeft + k * cycleWidth(first), y, std::move(text), kBlack, {}));
    }
    ops.push_back(PlotOp::label(first.graphLeft + first.graphWidth - 1, y, "0", kBlack, {},
                                TextAlign::TopRight));
    return ops;
}

std::array<std::string, 5> channelTexts(const TrackChannel& channel, uint8_t averageCno) {
    const int azimuth = static_cast<int>(channel.azimuth * 1.5);
    const int elevation = static_cast<int>(channel.elevation * 0.5);
    return {strprintf("%3d       ", channel.svid), strprintf("%02X       ", channel.state),
            strprintf("%-9d ", azimuth), strprintf("%-9d ", elevation),
            strprintf("%02d ", averageCno)};
}

int sampleX(const StripGeometry& g, int n) {
    return (kSignalCycles - 1) * cycleWidth(g) + g.step / 2 + n * g.step;
}

int sampleY(const StripGeometry& g, int cno) {
    const double share = static_cast<double>(cno - kCnoBottom) / (kCnoTop - kCnoBottom);
    return g.height - static_cast<int>(share * (g.height - 4)) - kSampleFoot;
}

ChannelStrip::Drawing ChannelStrip::layout(const StripGeometry& g) {
    g_ = g;
    lastY_ = g.height - kSampleFoot;
    Drawing d;
    if (!g.drawable()) {
        return d;
    }
    d.graph.push_back(PlotOp::fillBox(0, 0, g.graphWidth, g.height, kWindowBackground));
    for (int k = 0; k < kSignalCycles; ++k) {
        const int left = k * cycleWidth(g);
        d.graph.push_back(PlotOp::rect(left, 0, left + g.boxWidth, g.height, kBlack));
    }
    const PlotFont scaleFont{"Arial", std::min(g.height / 3, kMaxScaleFont), 400};
    const int scaleX = g.graphLeft + g.graphWidth + 2;
    d.window.push_back(PlotOp::label(scaleX, g.top, std::to_string(kCnoTop), kBlack, scaleFont));
    d.window.push_back(PlotOp::label(scaleX, g.bottom, std::to_string(kCnoBottom), kBlack,
                                     scaleFont, TextAlign::BottomLeft));
    return d;
}

ChannelStrip::Drawing ChannelStrip::draw(const TrackChannel& channel, uint8_t averageCno,
                                         Rgb colour) {
    Drawing d;
    if (!g_.drawable()) {
        return d;
    }
    const std::array<std::string, 5> texts = channelTexts(channel, averageCno);
    for (int k = 0; k < kTextColumns; ++k) {
        d.window.push_back(PlotOp::opaqueLabel(textColumnX(g_, k), g_.top + g_.height / 2, texts[k],
                                               colour, kWindowBackground, {},
                                               TextAlign::MiddleLeft));
    }
    // One cycle to the left, and the newest box empty again.
    const int newest = (kSignalCycles - 1) * cycleWidth(g_);
    d.graph.push_back(
        PlotOp::copy(PlotSource::Own, g_.boxWidth, 0, g_.boxWidth + g_.keepWidth, g_.height, 1, 0));
    d.graph.push_back(
        PlotOp::filledRect(newest, 0, newest + g_.boxWidth, g_.height, kBlack, kWindowBackground));
    for (int n = 0; n < kSamplesPerCycle; ++n) {
        const int x = sampleX(g_, n);
        const int y = sampleY(g_, channel.cno[n]);
        if (graphType_ == kGraphLine) {
            d.graph.push_back(PlotOp::line(x - g_.step, lastY_, x, y, colour));
        } else {
            d.graph.push_back(PlotOp::line(x, g_.height - kSampleFoot, x, y, colour));
        }
        lastY_ = y;
    }
    return d;
}

ChannelStrip::Drawing ChannelStrip::blank() {
    const TrackChannel empty{};
    Drawing d;
    for (int k = 0; k < kSignalCycles; ++k) {
        Drawing cycle = draw(empty, 0, kEmptyChannelWhite);
        d.window = std::move(cycle.window);
        d.graph.insert(d.graph.end(), cycle.graph.begin(), cycle.graph.end());
    }
    return d;
}

void SignalPlot::setGraphType(int type) {
    for (ChannelStrip& s : strips_) {
        s.setGraphType(type);
    }
}

SignalPlot::Layout SignalPlot::layout(int clientWidth, int clientHeight) {
    Layout l;
    for (int i = 0; i < kSignalChannels; ++i) {
        l.strips[i] = stripGeometry(i, clientWidth, clientHeight);
    }
    l.window = signalHeader(l.strips[0]);
    for (int i = 0; i < kSignalChannels; ++i) {
        ChannelStrip::Drawing d = strips_[i].layout(l.strips[i]);
        l.graphs[i] = std::move(d.graph);
        l.window.insert(l.window.end(), d.window.begin(), d.window.end());
    }
    return l;
}

std::vector<SignalPlot::StripUpdate> SignalPlot::onMessage(const RxMessage& msg) {
    std::vector<StripUpdate> updates;
    if (msg.mid == kMidTracker3 || msg.mid == kMidTracker4) {
        track_ = msg.as<TrackRecord>();
        trackerPending_ = true;
        return updates;
    }
    if ((msg.mid != kMidTrueNav && msg.mid != kMidMeasNav) || !trackerPending_) {
        return updates;
    }
    trackerPending_ = false;
    nav_ = msg.as<NavRecord>();
    for (int i = 0; i < kSignalChannels; ++i) {
        const TrackChannel ch = track_.channel[i];
        StripUpdate u;
        u.channel = i;
        if (ch.svid == 0) {
            u.drawing = strips_[i].blank();
        } else {
            const uint8_t average = track_.averageCno[i];
            const SatelliteColour c = satelliteColour(ch.svid, ch.state, average, nav_);
            u.drawing = strips_[i].draw(ch, average, rgbOf(c));
        }
        updates.push_back(std::move(u));
    }
    return updates;
}

} // namespace zeph::monitor
