// The Receiver Initialization dialog's rules: opening from the stored settings, what each reset
// mode and the PC-time box enable, the checks of Send in their order and what Send stores.

#include "monitor/shell/receiver_init.h"

#include "monitor/shell/profile_file.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zeph::monitor {
namespace {

TEST(ReceiverInit, OpensOnTheStoredSettingsAndTheirResetByte) {
    ReceiverInitSettings stored;
    EXPECT_EQ(receiverInitFields(stored), ReceiverInitFields{}); // the file's defaults: factory
    stored.posX = "-2700000";
    stored.posY = "12abc";
    stored.posZ = "north";
    stored.tow = "34560099";
    stored.cfgBits = 0xB3;
    const ReceiverInitFields f = receiverInitFields(stored);
    EXPECT_EQ(f.x, "-2700000");
    EXPECT_EQ(f.y, "12");
    EXPECT_EQ(f.z, "0");
    EXPECT_EQ(f.timeOfWeek, "345600"); // hundredths dropped
    EXPECT_EQ(f.resetMode, kWarmInit);
    EXPECT_TRUE(f.navLibData);
    EXPECT_TRUE(f.debugData);
    EXPECT_EQ(f.period, "0");
}

TEST(ReceiverInit, EnablingFollowsTheResetModeAndThePcTimeBox) {
    struct Case {
        int mode;
        bool pcTime;
        ReceiverInitEnabling expected; // position, week and TOW, UTC offset, message checks
    };
    const Case cases[] = {
        {kHotStart, false, {false, false, false, true}},
        {kWarmNoInit, true, {false, false, false, true}},
        {kWarmInit, false, {true, true, false, true}},
        {kWarmInit, true, {true, false, true, true}},
        {kColdStart, false, {false, false, false, true}},
        {kFactoryReset, true, {false, false, false, false}},
    };
    for (const Case& c : cases) {
        ReceiverInitFields f;
        f.resetMode = c.mode;
        f.usePcTime = c.pcTime;
        EXPECT_EQ(receiverInitEnabling(f), c.expected) << c.mode << " " << c.pcTime;
    }
}

TEST(ReceiverInit, SendChecksInOrderAndStoresTheResetByte) {
    struct Case {
        void (*edit)(ReceiverInitFields&);
        std::string refusal; // empty: accepted
        int cfgBits = 0;
        int period = 0;
    };
    const Case cases[] = {
        {[](ReceiverInitFields&) {}, "", 0x88},
        {[](ReceiverInitFields& f) { f.channels = "13"; }, "Number of channels is out of range."},
        {[](ReceiverInitFields& f) { f.channels = "0"; }, "", 0x88},
        {[](ReceiverInitFields& f) { f.period = "4"; }, "Reset period is out of range."},
        {[](ReceiverInitFields& f) { f.period = "5"; }, "", 0x88, 5},
        {[](ReceiverInitFields& f) { f.period = "600"; }, "", 0x88, 600},
        {[](ReceiverInitFields& f) { f.period = "601"; }, "Reset period is out of range."},
        {[](ReceiverInitFields& f) { f.period = "soon"; }, "Reset period is out of range."},
        // the channel count is checked before the period
        {[](ReceiverInitFields& f) { f.channels = "13", f.period = "4"; },
         "Number of channels is out of range."},
        // every field is read before the channel count is checked
        {[](ReceiverInitFields& f) { f.channels = "13", f.x = "1.5"; }, "Please enter an integer."},
        {[](ReceiverInitFields& f) { f.week = "-1"; }, "Please enter a positive integer."},
        {[](ReceiverInitFields& f) { f.week = "65536"; },
         "Please enter an integer between 0 and 65535."},
        {[](ReceiverInitFields& f) { f.z = "2147483648"; },
         "Please enter an integer between -2147483648 and 2147483647."},
        {[](ReceiverInitFields& f) { f.navLibData = f.debugData = true; }, "", 0x88},
        {[](ReceiverInitFields& f) { f.resetMode = kWarmInit, f.navLibData = true; }, "", 0x93},
        {[](ReceiverInitFields& f) { f.resetMode = kColdStart, f.debugData = true; }, "", 0xA4},
        {[](ReceiverInitFields& f) { f.resetMode = kHotStart; }, "", 0x80},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ReceiverInitFields f;
        cases[i].edit(f);
        const ReceiverInitSend sent = receiverInitSend(f);
        SCOPED_TRACE(i);
        EXPECT_EQ(sent.refusal, cases[i].refusal);
        ASSERT_EQ(sent.accepted.has_value(), cases[i].refusal.empty());
        if (sent.accepted) {
            EXPECT_EQ(sent.accepted->settings.cfgBits, cases[i].cfgBits);
            EXPECT_EQ(sent.accepted->periodSeconds, cases[i].period);
        }
    }
}

// What Send stores comes back the same at the next opening, the time of week in hundredths.
TEST(ReceiverInit, StoredValuesOpenAgainAsTyped) {
    ReceiverInitFields f;
    f.x = "-2694685";
    f.y = "-4293642";
    f.z = "3857878";
    f.clockOffset = "75000";
    f.usePcTime = true;
    f.utcOffset = "14";
    f.week = "1182";
    f.timeOfWeek = "345600";
    f.channels = "8";
    f.resetMode = kWarmInit;
    f.debugData = true;
    const ReceiverInitSend sent = receiverInitSend(f);
    ASSERT_TRUE(sent.accepted) << sent.refusal;
    EXPECT_EQ(sent.accepted->settings.tow, "34560000");
    zeph::testing::TempDir dir;
    ProfileFile profile(dir.path("zephmon.ini"));
    ASSERT_TRUE(sent.accepted->settings.save(profile));
    ReceiverInitSettings reloaded;
    reloaded.load(profile);
    EXPECT_EQ(receiverInitFields(reloaded), f);
}

// A position file fills the four position fields; one that is short changes nothing.
TEST(ReceiverInit, PositionFileFillsThePositionOrIsRefused) {
    zeph::testing::TempDir dir;
    std::ofstream(dir.path("home.pos")) << "-2694685\r\n-4293642 m\n3857878\n75000\n";
    std::ofstream(dir.path("short.pos")) << "-2694685\n-4293642\n3857878\n";
    const PositionFileResult home = readPositionFile(dir.path("home.pos"));
    ASSERT_TRUE(home.position) << home.error;
    ReceiverInitFields f;
    applyPosition(f, *home.position);
    EXPECT_EQ(f.x + " " + f.y + " " + f.z + " " + f.clockOffset, "-2694685 -4293642 3857878 75000");

    const PositionFileResult short_ = readPositionFile(dir.path("short.pos"));
    EXPECT_FALSE(short_.position);
    EXPECT_EQ(short_.error, "The position file " + dir.path("short.pos") +
                                " holds fewer than four lines (X, Y, Z and clock offset).\n"
                                "The position was not changed.");
    EXPECT_NE(readPositionFile(dir.path("none.pos")).error.find("Cannot read"), std::string::npos);
    EXPECT_NE(readPositionFile(dir.path("")).error.find("Cannot read"), std::string::npos);

    // Only a line's first 99 characters count: here the 7, not the 5 after it.
    std::ofstream(dir.path("long.pos")) << std::string(98, ' ') << "75\n1\n2\n3\n";
    const PositionFileResult long_ = readPositionFile(dir.path("long.pos"));
    ASSERT_TRUE(long_.position);
    EXPECT_EQ(long_.position->x, 7);
}

} // namespace
} // namespace zeph::monitor
