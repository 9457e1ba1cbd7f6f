#include "monitor/shell/timer_slots.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeph::monitor {
namespace {

class CountingClient : public TimerClient {
public:
    void onTimer(int clientId) override { fired.push_back(clientId); }
    std::vector<int> fired;
};

TEST(TimerSlots, SixSlotsThenNone) {
    FakeClock clock;
    TimerSlots slots(clock, [] { return true; });
    CountingClient client;
    for (int i = 1; i <= TimerSlots::kSlots; ++i) {
        EXPECT_EQ(slots.registerTimer(1026, client, 100), i);
    }
    EXPECT_EQ(slots.registerTimer(1026, client, 100), 0);
    slots.killTimer(3);
    EXPECT_EQ(slots.registerTimer(1034, client, 50), 3);
    slots.killTimer(0); // ignored
    slots.killTimer(7);
    EXPECT_EQ(slots.running(), TimerSlots::kSlots);
}

TEST(TimerSlots, FiresEachPeriodWithTheClientsIdentifier) {
    FakeClock clock;
    TimerSlots slots(clock, [] { return true; });
    CountingClient fast;
    CountingClient slow;
    slots.registerTimer(1034, fast, 50);
    slots.registerTimer(1033, slow, 1000);
    for (int ms = 0; ms < 1000; ms += 10) {
        clock.advance(std::chrono::milliseconds(10));
        slots.runDue();
    }
    EXPECT_EQ(fast.fired.size(), 20u);
    EXPECT_EQ(fast.fired.front(), 1034);
    ASSERT_EQ(slow.fired.size(), 1u);
    EXPECT_EQ(slow.fired.front(), 1033);
    const auto next = slots.runDue();
    ASSERT_TRUE(next);
    EXPECT_EQ(*next - clock.now(), std::chrono::milliseconds(50));
}

TEST(TimerSlots, TimerFiringWithoutAnOpenSourceIsKilled) {
    FakeClock clock;
    bool open = true;
    TimerSlots slots(clock, [&] { return open; });
    CountingClient client;
    slots.registerTimer(1026, client, 100);
    open = false;
    clock.advance(std::chrono::milliseconds(100));
    EXPECT_FALSE(slots.runDue());
    EXPECT_TRUE(client.fired.empty());
    EXPECT_EQ(slots.running(), 0);
}

} // namespace
} // namespace zeph::monitor
