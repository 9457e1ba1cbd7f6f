#pragma once

// The small windows of the View menu without their widgets: what each shows of ReceiverState
// (position, dilution of precision, fix status and the sentence kinds seen, UTC time and date,
// the received text) and when its timers run. Each reads ReceiverState on its own tick; the
// time and status windows consume the fields they show, as their rules say.

#include "dashboard/core/receiver_state.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::dashboard {

constexpr int kFormTimerMs = 1000;   // position, precision, status and time windows
constexpr int kActTimerMs = 20;      // the message window's text
constexpr int kCartoonTimerMs = 100; // the message window's arrows
constexpr std::size_t kTermTextLimit = 10000;

constexpr const char* kAboutText = "  Vertion 1.0";

// "ddmm.mmmm       N" as degrees, minutes and seconds: two spaces, degrees, "*  ", minutes,
// "'  ", seconds, a double quote and the hemisphere with its two spaces. The minutes' fraction
// is taken as four digits. None when the text has no point where degrees could end.
std::optional<std::string> latitudeDms(std::string_view text);
// The same for "dddmm.mmmm     E", without the two leading spaces.
std::optional<std::string> longitudeDms(std::string_view text);

// PositionForm ("Positiion"): PositionTimer runs while the window is active.
class PositionCore {
public:
    void activate() { timerMs_ = kFormTimerMs; }
    void deactivate() { timerMs_ = 0; }
    int timerMs() const { return timerMs_; }
    // "Format Change": as received, or degrees, minutes and seconds.
    void FormatComm() { asReceived_ = !asReceived_; }
    bool asReceived() const { return asReceived_; }

    void tick(const ReceiverState& state);
    const std::string& latitude() const { return latitude_; }
    const std::string& longitude() const { return longitude_; }
    const std::string& altitude() const { return altitude_; }

private:
    int timerMs_ = 0;
    bool asReceived_ = false;
    std::string latitude_;
    std::string longitude_;
    std::string altitude_;
};

// PrecisionForm: PrecisionTimer runs while the window is active.
class PrecisionCore {
public:
    void activate() { timerMs_ = kFormTimerMs; }
    void deactivate() { timerMs_ = 0; }
    int timerMs() const { return timerMs_; }

    void tick(const ReceiverState& state);
    const std::string& pdop() const { return pdop_; }
    const std::string& hdop() const { return hdop_; }
    const std::string& vdop() const { return vdop_; }

private:
    int timerMs_ = 0;
    std::string pdop_;
    std::string hdop_;
    std::string vdop_;
};

// StatusForm: the fix status, the sentence kinds in the order first seen (at most seven, after
// which the list stops itself) and the fix quality in words.
class StatusCore {
public:
    static constexpr std::size_t kListEntries = 9;
    static constexpr int kListShown = 7;

    void activate();
    void deactivate() { timerMs_ = 0; }
    int timerMs() const { return timerMs_; }

    // Reads FixStatusText and FixQuality, and consumes RxLog.
    void tick(ReceiverState& state);
    const std::string& status() const { return status_; }
    std::string messages() const;
    const std::string& fixIndicator() const { return fixIndicator_; }
    int count() const { return count_; }

private:
    int timerMs_ = 0;
    std::array<std::string, kListEntries> names_{};
    int count_ = 0;
    std::string status_;
    std::string fixIndicator_;
};

// TimeForm ("Now Time"): NowTimer runs from the window's first showing on.
class TimeCore {
public:
    void shown() { timerMs_ = kFormTimerMs; }
    int timerMs() const { return timerMs_; }

    // Shows and consumes DateText and UtcTime: each is shown once per decoded RMC sentence.
    void tick(ReceiverState& state);
    const std::string& date() const { return date_; }
    const std::string& time() const { return time_; }

private:
    int timerMs_ = 0;
    std::string date_;
    std::string time_;
};

// DisplayForm ("NMEA message"): the received text and the arrows that say it is running.
class TerminalCore {
public:
    // Activation and "Action".
    void ActComm();
    // "Stop" and deactivation; Stop also gives Action and Clear Display back.
    void StopComm();
    void deactivate();
    void ClearComm();
    void CloseComm();

    // ActTimer: appends the current RxBuffer whenever the receive tick has run since.
    void actTick(ReceiverState& state);
    // CartoonTimer.
    void cartoonTick();

    int actTimerMs() const { return actTimerMs_; }
    int cartoonTimerMs() const { return cartoonTimerMs_; }
    bool actionEnabled() const { return actionEnabled_; }
    bool clearEnabled() const { return clearEnabled_; }
    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }
    const std::string& displayText() const { return displayText_; }
    const std::string& statusText() const { return statusText_; }

private:
    void stopTimers();

    int actTimerMs_ = 0;
    int cartoonTimerMs_ = 0;
    bool actionEnabled_ = true;
    bool clearEnabled_ = true;
    bool visible_ = false;
    bool receive_ = false;
    std::string termText_;
    std::string displayText_;
    std::string statusText_;
    std::string arrows_;
    int arrowCount_ = 0;
};

} // namespace zeph::dashboard
