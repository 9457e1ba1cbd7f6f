#pragma once

#include "monitor/sources/data_source.h"

#include <cstdint>
#include <functional>

namespace zeph::monitor {

// The C library's 15-bit generator of the platform the generator's ranges were written for
// (RAND_MAX 32767), seeded as the library seeds it.
class Rand15 {
public:
    int operator()() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    uint32_t state_ = 1;
};

// The generator of random test data: a tracker, a navigation, a text and a raw track message
// every second.
class RandomSource : public DataSource {
public:
    static constexpr long kCycleWrap = 100000001;

    RandomSource(const SourceContext& ctx, std::function<int()> rand = Rand15());
    ~RandomSource() override;

    void start() override;
    void close() override;
    const RxMessage* readNext() override;
    void restart() override;
    void onTimer(int clientId) override;

    long cycle() const { return cycle_; }

private:
    int upTo(int k);   // 1..k
    int zeroTo(int k); // 0..k
    void handOn();
    void generateTracker(std::vector<uint8_t>& used);
    void generateNavigation(const std::vector<uint8_t>& used);
    void generateText();
    void generateRawTrack();

    std::function<int()> rand_;
    long cycle_ = 0;
    uint16_t week_ = 0;
    uint32_t tow_ = 0;
    int timer_ = 0;
};

} // namespace zeph::monitor
