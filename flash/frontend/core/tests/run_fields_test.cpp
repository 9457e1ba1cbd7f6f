#include "flash/frontend/core/run_fields.h"

#include <gtest/gtest.h>

namespace zeph::burnfront {
namespace {

TEST(RunFields, RecordsFillTheFieldsAndBars) {
    RunFields f;
    f.startRun(true);
    f.childStarted();
    const flash::PipeRecord records[] = {
        {1001, "S-MOTOROLA 0x100 0x1fff"}, {1000, "2 AMD Am29LV160DB"},
        {1004, "40 10 0.3 0.1 1.5"},       {1004, "bad 10 0.3 0.1 1.5"}, // ignored
        {1004, "100 55 0.9 0.4 2.5"},      {1002, "3.0 0.9 0.6"},
    };
    for (const auto& r : records) {
        EXPECT_FALSE(applyRecord(r, f).exitStatus);
    }
    EXPECT_EQ(f.fileType, "S-MOTOROLA");
    EXPECT_EQ(f.lowestAddress, "0x100");
    EXPECT_EQ(f.highestAddress, "0x1fff");
    EXPECT_EQ(f.chips, "2");
    EXPECT_EQ(f.manufacturer, "AMD");
    EXPECT_EQ(f.model, "Am29LV160DB");
    EXPECT_EQ(f.xfer, 100);
    EXPECT_EQ(f.prog, 55);
    EXPECT_EQ(f.erase, "0.9");
    EXPECT_EQ(f.burn, "0.4");
    EXPECT_EQ(f.total, "2.5"); // 1002's times are kept, not shown
    EXPECT_DOUBLE_EQ(f.totalTime, 3.0);
    EXPECT_DOUBLE_EQ(f.programTime, 0.6);
}

TEST(RunFields, AReadShowsNoEraseOrBurnTimeAndMovesOnlyXfer) {
    RunFields f;
    f.prog = 70;
    f.manufacturer = "old";
    f.startRun(false);
    f.childStarted();
    EXPECT_EQ(f.erase, "");
    EXPECT_EQ(f.burn, "");
    EXPECT_EQ(f.total, "0.0");
    EXPECT_EQ(f.manufacturer, "");
    applyRecord({1005, "37 0.8"}, f);
    EXPECT_EQ(f.xfer, 37);
    EXPECT_EQ(f.prog, 0);
    EXPECT_EQ(f.total, "0.8");
    applyRecord({1003, "1.2"}, f);
    EXPECT_DOUBLE_EQ(f.totalTime, 1.2);
}

TEST(RunFields, ErrorsAreShownAndTheEndRecordEndsTheRun) {
    struct Case {
        flash::PipeRecord record;
        std::optional<std::string> message;
        std::optional<int> status;
    };
    const Case cases[] = {
        {{3, "Target not responding\n"}, "Target not responding", std::nullopt},
        {{0, "Cannot open port COM1\n"}, "Cannot open port COM1", std::nullopt},
        {{999, "x"}, "x", std::nullopt},
        {{1006, "0"}, std::nullopt, 0},
        {{1006, "1"}, std::nullopt, 1},
        {{1006, ""}, std::nullopt, 1}, // the run is over even when the status is unreadable
        {{1006, "ok"}, std::nullopt, 1},
        {{1500, "unknown"}, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        RunFields f;
        const RecordEffect e = applyRecord(c.record, f);
        EXPECT_EQ(e.message, c.message) << c.record.code;
        EXPECT_EQ(e.exitStatus, c.status) << c.record.code;
    }
}

} // namespace
} // namespace zeph::burnfront
