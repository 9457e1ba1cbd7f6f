#include "monitor/app/headless_monitor.h"

#include <algorithm>
#include <cstdio>

namespace zeph::monitor {
namespace {

constexpr auto kIdleWait = std::chrono::milliseconds(20);
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

// As "Open Log File" does: both answers are logged at the start of the file.
void HeadlessMonitor::sendStartPolls() {
    DataSource* source = doc_->feed().source();
    if (log_.isOpen() && source != nullptr && source->isSerial()) {
        doc_->feed().sendBinary(kPollSwVersion, sizeof kPollSwVersion);
        doc_->feed().sendBinary(kPollNavParameters, sizeof kPollNavParameters);
    }
}

int HeadlessMonitor::run(const std::atomic<bool>& stop) {
    if (options_.logPath) {
        // The log is appended to; a new one is made empty first.
        if (std::FILE* f = std::fopen(options_.logPath->c_str(), "a")) {
            std::fclose(f);
        }
        log_.open(false);
        if (!log_.isOpen()) {
            std::fprintf(stderr, "zephmon: cannot open the log file %s\n",
                         options_.logPath->c_str());
            return 1;
        }
    }
    if (!openSource()) {
        std::fprintf(stderr, "zephmon: the data source could not be opened\n");
        return 1;
    }
    sendStartPolls();

    const Clock::TimePoint start = clock_.now();
    const auto deadline = options_.seconds ? start + std::chrono::seconds(*options_.seconds)
                                           : Clock::TimePoint::max();
    while (!stop.load() && !ended_ && clock_.now() < deadline) {
        const DataSource* source = doc_->feed().source();
        if (source == nullptr || source->finished()) {
            break;
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
    doc_->closeSource();
    log_.close();
    return 0;
}

} // namespace zeph::monitor
