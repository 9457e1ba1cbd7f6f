#include "dashboard/core/display_texts.h"

#include "dashboard/core/nmea_text.h"

#include "common/text/strprintf.h"

#include <algorithm>

namespace zeph::dashboard {

namespace {

constexpr int kStatusNames = 7;
constexpr std::array<std::string_view, kStatusNames> kKnownNames = {"GLL", "GGA", "GSA", "GSV",
                                                                    "MSS", "RMC", "VTG"};

// The text from the 1-based character `from` on; empty past the end.
std::string_view fromChar(std::string_view text, std::size_t from) {
    return from - 1 < text.size() ? text.substr(from - 1) : std::string_view{};
}

// The number at the start of the text, spaces disregarded; 0 when there is none.
double numberValue(std::string_view text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [](char c) { return c != ' ' && c != '\t'; });
    return leadingNumber(digits).value_or(0);
}

// Seconds with as many digits as they need.
std::string secondsText(double seconds) {
    return strprintf("%.15g", seconds);
}

// Degrees end three characters before the point; the fraction of the minutes starts at
// `fractionFrom` (1-based) whatever the number of degree digits.
std::optional<std::string> dms(std::string_view text, std::size_t fractionFrom,
                               std::string_view lead) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point < 2) {
        return std::nullopt;
    }
    const std::string_view degrees = text.substr(0, point - 2);
    const std::string_view minutes = text.substr(point - 2, 2);
    const std::string_view rest = fromChar(text, fractionFrom);
    const std::string_view hemisphere =
        rest.substr(rest.size() - std::min<std::size_t>(3, rest.size()));
    const double fraction = numberValue(rest.substr(0, 5));
    return std::string(lead) + std::string(degrees) + "*  " + std::string(minutes) + "'  " +
           secondsText(fraction * 60 / 10000) + "\"" + std::string(hemisphere);
}

} // namespace

std::optional<std::string> latitudeDms(std::string_view text) {
    return dms(text, 6, "  ");
}

std::optional<std::string> longitudeDms(std::string_view text) {
    return dms(text, 7, "");
}

void PositionCore::tick(const ReceiverState& state) {
    if (!state.LatitudeText.empty() && !state.LongitudeText.empty()) {
        if (asReceived_) {
            latitude_ = state.LatitudeText;
            longitude_ = state.LongitudeText;
        } else {
            // A text the conversion cannot read leaves its label as it was.
            latitude_ = latitudeDms(state.LatitudeText).value_or(latitude_);
            longitude_ = longitudeDms(state.LongitudeText).value_or(longitude_);
        }
    }
    altitude_ = state.AltitudeText + "  meters";
}

void PrecisionCore::tick(const ReceiverState& state) {
    pdop_ = state.PdopText;
    hdop_ = state.HdopText;
    vdop_ = state.VdopText;
}

void StatusCore::activate() {
    timerMs_ = kFormTimerMs;
    count_ = 0;
    std::fill(names_.begin(), names_.begin() + kListShown, std::string{});
}

void StatusCore::tick(ReceiverState& state) {
    status_ = state.FixStatusText;
    std::string& log = state.RxLog;
    for (;;) {
        // GPS receivers talk as "$GP", multi-constellation ones as "$GN".
        const std::size_t at = std::min(log.find("$GP"), log.find("$GN"));
        if (at == std::string::npos) {
            break;
        }
        log.erase(0, at + 3);
        const std::string name = log.substr(0, 3);
        const auto listed = names_.begin() + count_ + 1;
        if (std::find(names_.begin(), listed, name) == listed &&
            std::find(kKnownNames.begin(), kKnownNames.end(), name) != kKnownNames.end()) {
            names_[static_cast<std::size_t>(count_)] = name;
            ++count_;
            if (count_ == kListShown) {
                // Full: the list stops itself; the rest of this text is still scanned.
                count_ = kListShown - 1;
                timerMs_ = 0;
            }
        }
    }
    log.clear();
    switch (state.FixQuality) {
    case 0:
        fixIndicator_ = " Fix not available or invalid";
        break;
    case 1:
        fixIndicator_ = " GPS SPS Mode,fix valid";
        break;
    case 2:
        fixIndicator_ = " Differential GPS,SPS Mode,fix valid";
        break;
    case 3:
        fixIndicator_ = " GPS PPS Mode,fix valid";
        break;
    default:
        break;
    }
}

std::string StatusCore::messages() const {
    std::string text;
    for (int i = 0; i < kListShown; ++i) {
        text += names_[static_cast<std::size_t>(i)];
    }
    return text;
}

void TimeCore::tick(ReceiverState& state) {
    std::string& date = state.DateText;
    if (date.size() > 5) {
        date_ =
            date.substr(0, 2) + "." + date.substr(2, 2) + ".20" + date.substr(4) + "    (d.m.y)";
        date.erase(0, 4); // the year is left: shown again only after the next RMC
    }
    // hhmmss with or without a fraction: receivers send none, two or three decimals.
    std::string& utc = state.UtcTime;
    if (likePattern(utc, "######*")) {
        const std::size_t point = utc.find('.');
        const std::string seconds =
            utc.substr(4, point == std::string::npos ? std::string::npos : point - 4);
        time_ = utc.substr(0, 2) + "(h) " + utc.substr(2, 2) + "(m) " + seconds + "(s)";
        utc.erase(0, 4);
    }
}

void TerminalCore::ActComm() {
    actionEnabled_ = false;
    clearEnabled_ = false;
    actTimerMs_ = kActTimerMs;
    cartoonTimerMs_ = kCartoonTimerMs;
    receive_ = true;
}

void TerminalCore::stopTimers() {
    statusText_ = "No Action !";
    actTimerMs_ = 0;
    cartoonTimerMs_ = 0;
}

void TerminalCore::StopComm() {
    stopTimers();
    clearEnabled_ = true;
    actionEnabled_ = true;
}

void TerminalCore::deactivate() {
    stopTimers();
}

void TerminalCore::ClearComm() {
    termText_.clear();
    displayText_.clear();
}

void TerminalCore::CloseComm() {
    visible_ = false;
    actTimerMs_ = 0;
    cartoonTimerMs_ = 0;
}

void TerminalCore::actTick(ReceiverState& state) {
    if (state.NewDataFlag) {
        // RxBuffer is emptied only by the decoders: the same text may come twice.
        termText_ += state.RxBuffer;
        displayText_ = termText_;
        state.NewDataFlag = false;
    }
    if (termText_.size() > kTermTextLimit) {
        state.RxBuffer.clear();
        termText_.clear();
        displayText_.clear();
    }
}

void TerminalCore::cartoonTick() {
    statusText_ = arrows_ + ">" + (receive_ ? "Receive" : "Transmit");
    if (arrowCount_ < 11) {
        arrows_ += ">";
        ++arrowCount_;
    } else {
        arrows_.clear();
        arrowCount_ = 0;
    }
}

} // namespace zeph::dashboard
