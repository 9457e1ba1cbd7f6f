#pragma once

// The monitor without windows: settings, log, one document with its feed and source, and a
// loop that runs the timer service until the time is up, the capture ends or a signal comes.

#include "monitor/app/headless_options.h"
#include "monitor/shell/feed_doc.h"
#include "monitor/shell/message_log.h"
#include "monitor/shell/timer_slots.h"

#include <atomic>
#include <memory>

namespace zeph::monitor {

// Message boxes of a monitor without windows: each goes to standard error and takes its
// default answer.
class StderrPrompter : public Prompter {
public:
    Answer ask(const std::string& text, Icon icon, Buttons buttons) override;
};

class HeadlessMonitor : private MonitorEvents, private DocumentListener {
public:
    HeadlessMonitor(const HeadlessOptions& options, Clock& clock, Prompter& prompter);
    ~HeadlessMonitor() override;

    // Runs until the time is up, the capture ends or `stop` is set. Returns the exit status.
    int run(const std::atomic<bool>& stop);

private:
    // MonitorEvents: the log's "write text"; views, title and blink have no window here.
    void writeLog(std::string_view text) override { log_.writeText(text); }
    // DocumentListener
    void endOfData() override { ended_ = true; }

    bool openSource();
    bool receiverSpoke() const;
    void waitForReceiver(const std::atomic<bool>& stop, Clock::TimePoint deadline);
    void sendStartPolls();

    HeadlessOptions options_;
    Clock& clock_;
    Prompter& prompter_;
    ProfileFile profile_;
    ProgramState state_;
    MessageLog log_;
    MessageDecoder decoder_;
    TimerSlots timers_;
    std::unique_ptr<CFeedDoc> doc_;
    bool ended_ = false;
    bool pollsPending_ = false; // the start-up polls wait for the receiver's first byte
};

} // namespace zeph::monitor
