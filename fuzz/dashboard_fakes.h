#pragma once

// The dashboard core without a window: a port that hands over what the fuzzer gives it, timers
// that only remember their state, and a prompter that answers at once.

#include "dashboard/core/dash_timers.h"
#include "dashboard/core/nmea_port.h"

#include "common/prompt/prompter.h"

#include <array>
#include <string>

namespace zeph::dashboard::fuzz {

class FeedPort : public PortObject {
public:
    void setPort(int comNumber) override { port = comNumber; }
    void setSettings(const std::string& text) override { settings = text; }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::string readAll() override {
        std::string out;
        out.swap(incoming);
        return out;
    }
    void write(const std::string& text) override { written += text.size(); }

    std::string incoming;
    int port = 0;
    std::string settings;
    size_t written = 0;

private:
    bool open_ = false;
};

class StillTimers : public TimerService {
public:
    void setTimer(TimerId id, int intervalMs) override {
        intervals[static_cast<size_t>(id)] = intervalMs;
    }
    bool enabled(TimerId id) const override { return intervals[static_cast<size_t>(id)] > 0; }
    std::array<int, kTimerCount> intervals{};
};

class SilentPrompter : public Prompter {
public:
    Answer ask(const std::string&, Icon, Buttons) override {
        ++told;
        return Answer::Ok;
    }
    int told = 0;
};

} // namespace zeph::dashboard::fuzz
