#include "monitor/messages/current_settings_poll.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

const uint8_t kEcho[] = {137, 2, 8, 6, 4};

TEST(CurrentSettingsPoll, EchoInTimeOpensWithTheReceiversValues) {
    CurrentSettingsPolls polls;
    polls.start(137);
    EXPECT_TRUE(polls.tick().empty());
    ASSERT_TRUE(polls.accept(kEcho, sizeof kEcho));
    const auto open = polls.tick();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].mid, 137);
    EXPECT_TRUE(open[0].current);
    EXPECT_EQ(open[0].record[3], 6);
    EXPECT_TRUE(polls.tick().empty()); // opened once
}

TEST(CurrentSettingsPoll, RunsOutAfterSixtyTicksAndThenIgnoresEchoes) {
    CurrentSettingsPolls polls;
    polls.start(137);
    for (int i = 1; i < kPollTicks; ++i) {
        ASSERT_TRUE(polls.tick().empty()) << "tick " << i;
    }
    const auto open = polls.tick();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(open[0].current);
    EXPECT_EQ(open[0].record, PolledSettings{});
    EXPECT_FALSE(polls.accept(kEcho, sizeof kEcho));
}

TEST(CurrentSettingsPoll, EchoOnTheLastTickCountsAsRunOut) {
    CurrentSettingsPolls polls;
    polls.start(137);
    for (int i = 1; i < kPollTicks; ++i) {
        polls.tick();
    }
    ASSERT_TRUE(polls.accept(kEcho, sizeof kEcho));
    const auto open = polls.tick();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(open[0].current);
}

TEST(CurrentSettingsPoll, UnpolledCommandsAreIgnored) {
    CurrentSettingsPolls polls;
    const uint8_t other[] = {141, 1};
    polls.start(137);
    EXPECT_FALSE(polls.accept(other, sizeof other));
    EXPECT_FALSE(polls.accept(kEcho, 0));
}

} // namespace
} // namespace zeph::monitor
