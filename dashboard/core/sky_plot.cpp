#include "dashboard/core/sky_plot.h"

#include "dashboard/core/nmea_text.h"

#include <algorithm>
#include <cmath>

namespace zeph::dashboard {

namespace {

// The program's own value of pi; plot places differ from a finer one by a twip here and there.
constexpr double kPi = 3.1415926;

constexpr int kBarPitch = 525;
constexpr int kBarBase = 6000;
constexpr int kBarTwipsPerDb = 10;
constexpr int kBarSnrLimit = 50;

double radians(double degrees) {
    return degrees * 2 * kPi / 360;
}

DrawOp filledBox(int x1, int y1, int x2, int y2, int16_t color) {
    return {DrawOp::Kind::FilledBox, x1, y1, x2, y2, 0, color, {}};
}

DrawOp erase(int x1, int y1, int x2, int y2) {
    return filledBox(x1, y1, x2, y2, kButtonFace);
}

DrawOp circle(int x, int y, int radius, int16_t color) {
    return {DrawOp::Kind::Circle, x, y, x, y, radius, color, {}};
}

// Text goes where the print position was last set, and setting it leaves a dot.
void print(std::vector<DrawOp>& ops, int x, int y, std::string text) {
    ops.push_back(circle(x, y, 1, kForeground));
    ops.push_back({DrawOp::Kind::Text, x, y, x, y, 0, kForeground, std::move(text)});
}

} // namespace

std::optional<TwipPoint> skyPoint(int16_t radius, int elevation, int azimuth) {
    const double a = radians(90.0 - azimuth);
    const std::optional<int16_t> r = roundHalfEven16(radius * std::cos(radians(elevation)));
    if (!r) {
        return std::nullopt;
    }
    const std::optional<int16_t> x = roundHalfEven16(*r * std::cos(a) + kSkyCentreX);
    const std::optional<int16_t> y = roundHalfEven16(kSkyCentreY - *r * std::sin(a));
    if (!x || !y) {
        return std::nullopt;
    }
    return TwipPoint{*x, *y};
}

int SkyPlot::rowsInView(const ReceiverState& state) {
    return std::clamp<int>(state.SatsInView, 0, kSatRows);
}

bool UsableCount(const ReceiverState& state) {
    const auto rows = state.SatInfo.begin();
    return std::count_if(rows, rows + std::clamp<int>(state.SatsInView, 0, kSatRows),
                         [](const auto& row) { return row[kSatSnr] > 3; }) >= 4;
}

void SkyPlot::CheckPosi(const ReceiverState& state, int row) {
    if (row < 0 || row >= kSatRows) {
        return;
    }
    const auto& sat = state.SatInfo[static_cast<std::size_t>(row)];
    int16_t color = kLightBlue;
    if (sat[kSatSnr] <= 10) {
        color = kLightRed;
    } else if (state.SatsInView >= 4 && UsableCount(state)) {
        color = kLightGreen;
    }
    SatColor[static_cast<std::size_t>(row)] = color;
    // A place that does not fit 16 bits skips the move; the colour is already kept.
    const std::optional<TwipPoint> at = skyPoint(SkyRadius, sat[kSatElevation], sat[kSatAzimuth]);
    if (at) {
        DisplaySatPo(*at, color, row, sat[kSatPrn]);
    }
}

void SkyPlot::DisplaySatPo(TwipPoint at, int16_t color, int row, int16_t prn) {
    SatSymbol& symbol = symbols[static_cast<std::size_t>(row)];
    symbol.visible = true;
    symbol.at = at;
    symbol.color = color;
    symbol.caption = std::to_string(prn);
}

void SkyPlot::redrawSymbols(const ReceiverState& state) {
    for (int row = 0; row < kSatRows; ++row) {
        if (row >= state.SatsInView) {
            symbols[static_cast<std::size_t>(row)].visible = false;
        } else {
            CheckPosi(state, row);
        }
    }
}

bool SkyPlot::hasRepeatedPrn(const ReceiverState& state) {
    const int rows = rowsInView(state);
    for (int i = 0; i < rows; ++i) {
        for (int j = i + 1; j < rows; ++j) {
            if (state.SatInfo[static_cast<std::size_t>(i)][kSatPrn] ==
                state.SatInfo[static_cast<std::size_t>(j)][kSatPrn]) {
                return true;
            }
        }
    }
    return false;
}

std::optional<std::vector<DrawOp>> SkyPlot::displayTick(ReceiverState& state) {
    if (hasRepeatedPrn(state)) {
        return std::nullopt;
    }
    bool changed = false;
    for (std::size_t row = 0; row < kSatRows; ++row) {
        const int16_t prn = state.SatInfo[row][kSatPrn];
        changed = changed || prn != PrevPRN[row];
        PrevPRN[row] = prn;
    }
    state.PrevSatsInView = state.SatsInView;

    std::vector<DrawOp> ops = centreCross(kCyan);
    if (changed) {
        redrawSymbols(state);
    }
    if (state.SatsInView <= kSatRows) {
        const std::vector<DrawOp> bars = barRow(state);
        ops.insert(ops.end(), bars.begin(), bars.end());
    }
    return ops;
}

std::vector<DrawOp> SkyPlot::centreCross(int16_t color) {
    return {{DrawOp::Kind::Line, 2900, 2500, 3120, 2500, 0, color, {}},
            {DrawOp::Kind::Line, 3000, 2400, 3000, 2620, 0, color, {}}};
}

std::vector<DrawOp> SkyPlot::barRow(const ReceiverState& state) const {
    std::vector<DrawOp> ops{erase(800, 5200, 7300, 6300)};
    const int rows = rowsInView(state);
    for (int i = 0; i < rows; ++i) {
        const auto& sat = state.SatInfo[static_cast<std::size_t>(i)];
        if (sat[kSatPrn] < 1) {
            continue;
        }
        const int x = kBarPitch * i;
        const int16_t color = SatColor[static_cast<std::size_t>(i)];
        const int strength = std::min<int>(sat[kSatSnr], kBarSnrLimit);
        ops.push_back(
            filledBox(x + 900, kBarBase - kBarTwipsPerDb * strength, x + 1150, kBarBase, color));
        ops.push_back(erase(x + 900, 5275, x + 1500, 5425));
        print(ops, x + 899, 5275, std::to_string(sat[kSatSnr]));
        ops.push_back({DrawOp::Kind::Box, x + 899, 5499, x + 1151, 6001, 0, kCyan, {}});
        ops.push_back(erase(x + 890, 6020, x + 1150, 6300));
        print(ops, x + 900, 6045, std::to_string(sat[kSatPrn]));
        ops.push_back(circle(x + 1020, 6135, 125, color));
    }
    return ops;
}

std::vector<DrawOp> SkyPlot::settingsAreas() {
    return {erase(800, 0, 5500, 5000), erase(800, 5200, 7300, 6400)};
}

} // namespace zeph::dashboard
