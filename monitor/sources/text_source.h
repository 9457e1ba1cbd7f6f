#pragma once

#include "monitor/sources/capture_source.h"

#include <memory>

namespace zeph::monitor {

// The time of a true-position line: `seconds` after `base`, in hundredths, moved on to the next
// week once past the capture's week length. Seconds that are no number count as 0; a TOW out of
// the record's range stops at its limits.
TimeTag truePositionTime(TimeTag base, double seconds);

// The pause in ms between a message timed `last` and the next, timed `next`: 10 ms a hundredth.
// A zero week or TOW in `last` takes the next one's. A message timed before its predecessor goes
// on at once; the pause stops at the timer's limit.
int pacingDelayMs(TimeTag last, TimeTag next);

// A text capture: one message a line, handed on at the pace of its time tags.
class TextSource : public CaptureSource {
public:
    static constexpr double kWeekHundredths = 60479900.0; // the capture's week length

    TextSource(const SourceContext& ctx, const std::string& fileName);

    bool open(const std::string& name) override;
    void start() override;
    const RxMessage* readNext() override;
    void onTimer(int clientId) override;

private:
    bool parseLine(const std::string& line, RxMessage& msg);
    void endOfData();

    std::unique_ptr<RxMessage> next_;
    // Base time of the true-position lines; nothing sets it, so they count from week 0, TOW 0.
    uint16_t baseWeek_ = 0;
    uint32_t baseTow_ = 0;
};

} // namespace zeph::monitor
