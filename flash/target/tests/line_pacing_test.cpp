// The wire clocks: exact rates over long transfers, rate changes and idle lines.

#include "flash/target/line_pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeph::flashsim {
namespace {

TEST(WireClock, LongTransfersKeepTheExactRate) {
    const struct {
        unsigned baud;
        uint64_t bytes;
        uint64_t endUs; // when the byte after them may start
    } rows[] = {
        {115200, 11520, 1'000'000}, // 86.8 µs a byte: no rounding to 86 or 87 per byte
        {307200, 30720, 1'000'000},
        {38400, 1, 261}, // 260.4 rounded up: never early
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.baud);
        WireClock clock;
        clock.settle(5'000'000, row.baud);
        const uint64_t start = clock.startOf(0);
        EXPECT_EQ(start, 5'000'000 - kIdleCreditUs);
        clock.count(row.bytes);
        EXPECT_EQ(clock.startOf(0) - start, row.endUs);
        EXPECT_EQ(clock.dueBy(clock.startOf(0) - 1), 0u);
        EXPECT_EQ(clock.dueBy(clock.startOf(0)), 1u);
    }
}

TEST(WireClock, ANewRateStartsWhereTheOldEndsAndAnIdleLineFromNow) {
    WireClock clock;
    clock.settle(10'000, 38400);
    clock.count(3); // 8000 .. 8781
    clock.settle(8'100, 115200);
    EXPECT_EQ(clock.startOf(0), 8'000 + 782u);
    EXPECT_EQ(clock.startOf(1), 8'782 + 87u);
    clock.settle(100'000, 115200); // idle since: only the credit is made up
    EXPECT_EQ(clock.startOf(0), 100'000 - kIdleCreditUs);
    EXPECT_EQ(clock.dueBy(100'000), kIdleCreditUs * 115200 / 10'000'000 + 1);
}

TEST(PacedOutput, SendsWhatIsDueAndWakesForTheRestOnTime) {
    PacedOutput out;
    const std::vector<uint8_t> reply(100, 0x5A);
    out.add(reply.data(), reply.size(), 115200);
    std::vector<uint8_t> wire;
    long room = 1000;
    const auto write = [&](const uint8_t* bytes, size_t count) {
        const long n = std::min<long>(room, static_cast<long>(count));
        wire.insert(wire.end(), bytes, bytes + n);
        room -= n;
        return n;
    };
    ASSERT_TRUE(out.send(1'000'000, write));
    EXPECT_EQ(wire.size(), 24u); // the idle credit's worth at once
    uint64_t now = 1'000'000;
    int wakes = 0;
    while (!out.empty()) {
        ASSERT_TRUE(out.wakeUs());
        ASSERT_GT(*out.wakeUs(), now);
        now = *out.wakeUs();
        ++wakes;
        ASSERT_TRUE(out.send(now, write));
    }
    EXPECT_EQ(wire.size(), 100u);
    EXPECT_EQ(now, 1'000'000 - kIdleCreditUs + (99 * 10'000'000 + 115199) / 115200);
    EXPECT_LE(wakes, 5); // in batches, not byte by byte

    out.add(reply.data(), reply.size(), 115200);
    room = 10;
    ASSERT_TRUE(out.send(now + 50'000, write));
    EXPECT_TRUE(out.blocked());
    EXPECT_FALSE(out.wakeUs()); // waits for room, not for a time
}

} // namespace
} // namespace zeph::flashsim
