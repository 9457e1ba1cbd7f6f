#include "monitor/app/headless_monitor.h"

#include "monitor/sources/serial_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zeph::monitor {
namespace {

constexpr auto kIdleWait = std::chrono::milliseconds(20);
constexpr auto kReceiverPoll = std::chrono::milliseconds(50);
constexpr uint8_t kPollSwVersion[] = {132, 0};
constexpr uint8_t kPollNavParameters[] = {152, 0};

} // namespace

Prompter::Answer StderrPrompter::ask(const std::string& text, Icon, Buttons buttons) {
    std::fprintf(stderr, "zephmon: %s\n", text.c_str());
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    }
    return Answer::Ok;
}

HeadlessMonitor::HeadlessMonitor(const HeadlessOptions& options, Clock& clock, Prompter& prompter)
    : options_(options), clock_(clock), prompter_(prompter), profile_(options.settingsPath),
      log_(clock, profile_), decoder_(state_, *this, prompter),
      timers_(clock, [this] { return doc_ != nullptr && doc_->running(); }) {
    prepareSettingsFile(profile_, prompter_);
    if (options_.selection) {
        log_.setSelection(*options_.selection);
    }
    if (options_.logPath) {
        log_.setFileName(*options_.logPath);
    }
    const FeedContext ctx{decoder_, state_, *this, log_, timers_, prompter_, clock_};
    DocumentListener& frame = *this;
    doc_ = std::make_unique<CFeedDoc>(ctx, frame);
}

HeadlessMonitor::~HeadlessMonitor() {
    doc_->closeSource();
    log_.close();
}

bool HeadlessMonitor::openSource() {
    DataSourceSettings settings;
    settings.load(profile_);
    return doc_->openSource(options_.source.value_or(settings));
}

bool HeadlessMonitor::receiverSpoke() const {
    const auto* serial = dynamic_cast<const SerialSource*>(doc_->feed().source());
    return serial != nullptr && serial->port().dataSeen();
}

// A write waits for the receiver's first byte, up to the port's limit, and cannot be stopped;
// this wait can, by a signal or the end of the run's time.
void HeadlessMonitor::waitForReceiver(const std::atomic<bool>& stop, Clock::TimePoint deadline) {
    const Clock::TimePoint until = std::min(clock_.now() + SerialPort::kReadyWait, deadline);
    while (!stop.load() && !receiverSpoke() && clock_.now() < until) {
        clock_.sleepFor(kReceiverPoll);
    }
}

// As "Open Log File" does: both answers are logged at the start of the file. They go out once
// the receiver has spoken, so the writes never wait.
void HeadlessMonitor::sendStartPolls() {
    pollsPending_ = false;
    doc_->feed().sendBinary(kPollSwVersion, sizeof kPollSwVersion);
    doc_->feed().sendBinary(kPollNavParameters, sizeof kPollNavParameters);
}

int HeadlessMonitor::run(const std::atomic<bool>& stop) {
    if (options_.logPath) {
        if (options_.source && options_.source->src == 1) {
            log_.setPlaying(options_.source->fileName);
        }
        // The log is appended to; a new one is made empty first.
        touchLogFile(*options_.logPath, false);
        log_.open(false);
        if (!log_.isOpen()) {
            prompter_.tell("cannot open the log file " + *options_.logPath);
            return 1;
        }
    }
    if (!openSource()) {
        prompter_.tell("the data source could not be opened");
        return 1;
    }

    const Clock::TimePoint start = clock_.now();
    const auto deadline = options_.seconds ? start + std::chrono::seconds(*options_.seconds)
                                           : Clock::TimePoint::max();
    const DataSource* opened = doc_->feed().source();
    pollsPending_ = log_.isOpen() && opened != nullptr && opened->isSerial();
    if (pollsPending_) {
        // Most receivers speak at once: the polls then come before the first message.
        waitForReceiver(stop, deadline);
    }
    // A log that cannot be written ends the run: what follows would be lost as well.
    while (!stop.load() && !ended_ && clock_.now() < deadline && log_.writeError() == 0) {
        const DataSource* source = doc_->feed().source();
        if (source == nullptr || source->finished()) {
            break;
        }
        if (pollsPending_ && receiverSpoke()) {
            sendStartPolls();
        }
        const std::optional<Clock::TimePoint> next = timers_.runDue();
        Clock::TimePoint wake = std::min(clock_.now() + kIdleWait, deadline);
        if (next) {
            wake = std::min(wake, *next);
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(wake - clock_.now());
        clock_.sleepFor(std::max(wait, std::chrono::milliseconds(1)));
    }
    const DataSource* source = doc_->feed().source();
    const std::string failedSource = source != nullptr && source->failed() ? source->name() : "";
    doc_->closeSource();
    log_.close();

    int status = 0;
    if (!failedSource.empty()) {
        prompter_.tell("playback of " + failedSource + " stopped on an error");
        status = 1;
    }
    if (log_.writeError() != 0) {
        prompter_.tell("cannot write the log file " + log_.fileName() + ": " +
                       std::strerror(log_.writeError()));
        status = 1;
    }
    return status;
}

} // namespace zeph::monitor
