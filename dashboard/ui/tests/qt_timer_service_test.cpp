#include "dashboard/ui/qt_timer_service.h"

#include "dashboard/ui/tests/ui_support.h"

#include <gtest/gtest.h>

#include <map>

namespace zeph::dashboard {
namespace {

struct CountingClient : TimerClient {
    std::map<TimerId, int> ticks;
    void onTimer(TimerId id) override { ++ticks[id]; }
};

TEST(QtTimerServiceTest, FiresTheClientPerTimerUntilDisabled) {
    testing::testApp();
    QtTimerService timers;
    CountingClient client;
    timers.setClient(&client);
    EXPECT_FALSE(timers.enabled(TimerId::Nmea));

    timers.setTimer(TimerId::Nmea, 20);
    timers.setTimer(TimerId::Display, 1);
    EXPECT_TRUE(timers.enabled(TimerId::Nmea));
    EXPECT_EQ(timers.interval(TimerId::Nmea), 20);
    ASSERT_TRUE(testing::waitUntil([&] { return client.ticks[TimerId::Nmea] >= 3; }, 3000));
    EXPECT_GE(client.ticks[TimerId::Display], 3);
    EXPECT_EQ(client.ticks.count(TimerId::RxCheck), 0u);

    timers.setTimer(TimerId::Nmea, 0);
    EXPECT_FALSE(timers.enabled(TimerId::Nmea));
    EXPECT_EQ(timers.interval(TimerId::Nmea), 0);
    const int stopped = client.ticks[TimerId::Nmea];
    const int display = client.ticks[TimerId::Display];
    testing::spin(100);
    EXPECT_EQ(client.ticks[TimerId::Nmea], stopped);
    EXPECT_GT(client.ticks[TimerId::Display], display);
}

} // namespace
} // namespace zeph::dashboard
