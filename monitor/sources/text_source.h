#pragma once

#include "monitor/sources/data_source.h"

#include <cstdio>
#include <optional>

namespace zeph::monitor {

// A text capture: one message a line, handed on at the pace of its time tags.
class TextSource : public DataSource {
public:
    static constexpr double kWeekHundredths = 60479900.0; // the capture's week length

    TextSource(const SourceContext& ctx, const std::string& fileName);
    ~TextSource() override;

    bool open(const std::string& name) override;
    void start() override;
    void close() override;
    const RxMessage* readNext() override;
    void onTimer(int clientId) override;
    bool finished() const override { return finished_; }

private:
    bool parseLine(const std::string& line, RxMessage& msg);
    void endOfData();

    std::FILE* file_ = nullptr;
    int timer_ = 0;
    bool finished_ = false;
    std::unique_ptr<RxMessage> next_;
    // Base time of the true-position lines; nothing sets it, so they count from week 0, TOW 0.
    uint16_t baseWeek_ = 0;
    uint32_t baseTow_ = 0;
};

} // namespace zeph::monitor
