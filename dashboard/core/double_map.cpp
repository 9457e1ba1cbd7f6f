#include "dashboard/core/double_map.h"

#include "dashboard/core/nmea_text.h"
#include "dashboard/core/pointer_displays.h"
#include "dashboard/core/trekdash_core.h"

#include <algorithm>
#include <cmath>

namespace zeph::dashboard {

namespace {

constexpr int kOuterRing = 1200;
constexpr int kInnerRing = 600;
constexpr int kDiscRadius = 120;
constexpr int kBarTop = 3500;
constexpr int kBarBase = 4200;
constexpr int kBarPitch = 300;
constexpr int kBarSnrLimit = 50;

DrawOp box(DrawOp::Kind kind, int x1, int y1, int x2, int y2, int16_t color) {
    return {kind, x1, y1, x2, y2, 0, color, {}};
}

DrawOp circle(int x, int y, int radius, int16_t color) {
    return {DrawOp::Kind::Circle, x, y, x, y, radius, color, {}};
}

DrawOp printed(int x, int y, std::string caption) {
    return {DrawOp::Kind::Text, x, y, x, y, 0, kForeground, std::move(caption)};
}

int rowsInView(const ReceiverState& s) {
    return std::clamp<int>(s.SatsInView, 0, kSatRows);
}

} // namespace

void feedComparison(std::string& copy, std::string_view received) {
    if (copy.size() > kRxBufferLimit) {
        copy.clear();
    }
    copy.append(received);
}

DoubleMapCore::DoubleMapCore(TimerService& timers, ReceiverState& state,
                             std::function<void(const std::vector<DrawOp>&)> draw)
    : timers_(timers), state_(state), draw_(std::move(draw)) {}

std::vector<DrawOp> DoubleMapCore::frames() {
    std::vector<DrawOp> ops;
    for (const Source s : {Source::One, Source::Two}) {
        ops.push_back(circle(centreX(s), kCentreY, kOuterRing, kYellow));
        ops.push_back(circle(centreX(s), kCentreY, kInnerRing, kLightCyan));
    }
    return ops;
}

void DoubleMapCore::activate() {
    if (draw_) {
        draw_(frames());
    }
    if (!paused_) {
        timers_.setTimer(TimerId::Double, kDoubleIntervalMs);
    }
}

void DoubleMapCore::pause() {
    paused_ = !paused_;
    timers_.setTimer(TimerId::Double, paused_ ? 0 : kDoubleIntervalMs);
}

void DoubleMapCore::close() {
    timers_.setTimer(TimerId::Double, 0);
}

void DoubleMapCore::onTimer(TimerId id) {
    if (id != TimerId::Double) {
        return;
    }
    const std::vector<DrawOp> ops = tick();
    if (draw_ && !ops.empty()) {
        draw_(ops);
    }
}

std::string& DoubleMapCore::text(Source s) {
    return s == Source::One ? state_.CompareText1 : state_.CompareText2;
}

std::span<std::string> DoubleMapCore::gsvSlots(Source s) {
    // Source 2 collects into slots 0..2, source 1 into slots 3..5.
    return std::span<std::string>(state_.GsvLines2).subspan(s == Source::One ? 3 : 0, 3);
}

std::vector<DrawOp> DoubleMapCore::tick() {
    const Source s = due();
    std::vector<DrawOp> ops;
    SourceState& src = sources_[index(s)];
    // The sets are collected from all the text that came since the source's last tick, so a
    // set that completed between two ticks is never cut short by emptying the copy.
    src.collector.feed(text(s));
    text(s).clear();
    if (const std::optional<GsvSet> set = src.collector.take()) {
        std::copy(set->lines.begin(), set->lines.end(), gsvSlots(s).begin());
        decodeGsvSet(gsvSlots(s), set->kept(), state_.SatInfo, state_.SatsInView);
        if (!SkyPlot::hasRepeatedPrn(state_)) {
            drawSource(ops, s);
        }
    }
    // The table is scratch space: it is left empty for the main window and the next source.
    state_.SatsInView = 0;
    state_.SatInfo = {};
    selector_ = !selector_;
    std::string& next = text(due());
    if (next.size() > kRxBufferLimit) {
        next.clear();
    }
    return ops;
}

void DoubleMapCore::drawSource(std::vector<DrawOp>& ops, Source s) {
    SourceState& src = sources_[index(s)];
    const int rows = rowsInView(state_);
    bool changed = false;
    if (state_.SatsInView == src.satsInView) {
        for (int i = 0; i < rows; ++i) {
            const int16_t prn = state_.SatInfo[static_cast<std::size_t>(i)][kSatPrn];
            changed = changed || prn != src.prn[static_cast<std::size_t>(i)];
            src.prn[static_cast<std::size_t>(i)] = prn;
        }
    } else {
        changed = true;
    }
    if (changed) {
        ops.push_back(s == Source::One
                          ? box(DrawOp::Kind::FilledBox, 200, 0, 4100, 4450, kButtonFace)
                          : box(DrawOp::Kind::FilledBox, 4150, 0, 9200, 4450, kButtonFace));
    }
    for (int i = 0; i < rows; ++i) {
        const auto& sat = state_.SatInfo[static_cast<std::size_t>(i)];
        const auto& was = placed_[static_cast<std::size_t>(i)];
        if (sat[kSatElevation] != was[0] || sat[kSatAzimuth] != was[1]) {
            CheckPosi(ops, s, was[0], was[1], true, i);
        }
    }
    const int cx = centreX(s);
    ops.push_back(circle(cx, kCentreY, kOuterRing, kCyan));
    ops.push_back(circle(cx, kCentreY, kInnerRing, kCyan));
    ops.push_back(box(DrawOp::Kind::Line, cx - 100, kCentreY, cx + 120, kCentreY, kCyan));
    ops.push_back(box(DrawOp::Kind::Line, cx, kCentreY - 100, cx, kCentreY + 100, kCyan));
    for (int i = 0; i < rows; ++i) {
        const auto& sat = state_.SatInfo[static_cast<std::size_t>(i)];
        if (sat[kSatPrn] != 0) {
            CheckPosi(ops, s, sat[kSatElevation], sat[kSatAzimuth], false, i);
        }
        placed_[static_cast<std::size_t>(i)] = {sat[kSatElevation], sat[kSatAzimuth]};
    }
    if (state_.SatsInView <= kSatRows) {
        barRow(ops, s);
        src.satsInView = state_.SatsInView;
    }
}

void DoubleMapCore::CheckPosi(std::vector<DrawOp>& ops, Source s, int elevation, int azimuth,
                              bool clear, int row) {
    const double e = elevation * 2 * 3.1415926 / 360;
    const std::optional<int16_t> r = roundHalfEven16(kCompareRadius * std::cos(e));
    const std::optional<TwipPoint> p =
        r ? pointAt(centreX(s), kCentreY, azimuth, *r) : std::optional<TwipPoint>();
    const auto& sat = state_.SatInfo[static_cast<std::size_t>(row)];
    int16_t color = kLightBlue;
    if (sat[kSatSnr] <= 10) {
        color = kLightRed;
    } else if (state_.SatsInView >= 4 && UsableCount(state_)) {
        color = kLightGreen;
    }
    colors_[static_cast<std::size_t>(row)] = color;
    if (p) {
        DisplaySatPo(ops, p->x, p->y, color, clear, row);
    }
}

void DoubleMapCore::DisplaySatPo(std::vector<DrawOp>& ops, int x, int y, int16_t color, bool clear,
                                 int row) const {
    if (clear) {
        ops.push_back(
            box(DrawOp::Kind::FilledBox, x - 220, y - 200, x + 220, y + 180, kButtonFace));
        return;
    }
    const auto& sat = state_.SatInfo[static_cast<std::size_t>(row)];
    ops.push_back({DrawOp::Kind::Disc, x, y, x, y, kDiscRadius, color, {}});
    const int indent = sat[kSatSnr] > 10 ? 130 : 100;
    ops.push_back(printed(x - indent, y - 100, std::to_string(sat[kSatPrn])));
}

void DoubleMapCore::barRow(std::vector<DrawOp>& ops, Source s) const {
    const int base = s == Source::One ? 300 : 4200;
    ops.push_back(
        box(DrawOp::Kind::FilledBox, base - 100, kBarTop, base + 3700, 4500, kButtonFace));
    const int rows = rowsInView(state_);
    for (int i = 0; i < rows; ++i) {
        const auto& sat = state_.SatInfo[static_cast<std::size_t>(i)];
        if (sat[kSatPrn] < 1) {
            continue;
        }
        const int x = base + kBarPitch * i;
        const int16_t color = colors_[static_cast<std::size_t>(i)];
        const int strength = std::min<int>(sat[kSatSnr], kBarSnrLimit);
        ops.push_back(
            box(DrawOp::Kind::FilledBox, x, kBarBase - 10 * strength, x + 200, kBarBase, color));
        // Each print position leaves a dot where its text starts.
        ops.push_back(circle(x - 20, kBarTop, 1, kForeground));
        ops.push_back(printed(x - 20, kBarTop, std::to_string(sat[kSatSnr])));
        ops.push_back(box(DrawOp::Kind::Box, x - 1, 3700, x + 201, 4201, kCyan));
        ops.push_back(circle(x - 20, 4245, 1, kForeground));
        ops.push_back(printed(x - 20, 4245, std::to_string(sat[kSatPrn])));
        ops.push_back(circle(x + 100, 4330, kDiscRadius, color));
    }
}

} // namespace zeph::dashboard
