// The option dialogs' rules: the field checks and their messages, what each dialog shows when
// it opens, and what Save writes (nothing when a check fails).

#include "monitor/views/view_options.h"

#include "monitor/shell/settings.h"

#include "common/testing/temp_dir.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

TEST(ViewOptionFields, ChecksAndMessages) {
    const std::string between = "Please enter a number between 0.25 and 10000.";
    const struct {
        std::optional<std::string> actual;
        std::optional<std::string> expected;
    } rows[] = {
        {realFieldError("0.25", 0.25, 10000), std::nullopt},
        {realFieldError(" 10000 ", 0.25, 10000), std::nullopt},
        {realFieldError("0.24", 0.25, 10000), between},
        {realFieldError("1e5", 0.25, 10000), between},
        {realFieldError("abc", 0.25, 10000), kEnterNumber},
        {realFieldError("3m", 0.25, 10000), kEnterNumber},
        {realFieldError("0x10", 0.25, 10000), kEnterNumber},
        {realFieldError("0x1p3", 0.25, 10000), kEnterNumber},
        {realFieldError("nan"), kEnterNumber},
        {realFieldError("", 0.25, 10000), kEnterNumber},
        {realFieldError("-37.5"), std::nullopt},
        {realFieldError("0.001", 0.01, 2000),
         std::string("Please enter a number between 0.01 and 2000.")},
        {integerFieldError("2000", 2, 2000), std::nullopt},
        {integerFieldError("1", 2, 2000),
         std::string("Please enter an integer between 2 and 2000.")},
        {integerFieldError("2.5", 2, 2000), kEnterInteger},
        {unsignedFieldError("4294967295"), std::nullopt},
        {unsignedFieldError("4294967296"), kEnterPositiveInteger},
        {unsignedFieldError("-1"), kEnterPositiveInteger},
        {unsignedFieldError("+1"), kEnterPositiveInteger},
    };
    for (size_t k = 0; k < std::size(rows); ++k) {
        EXPECT_EQ(rows[k].actual, rows[k].expected) << "row " << k;
    }
}

class ViewOptionsTest : public ::testing::Test {
protected:
    zeph::testing::TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
};

TEST_F(ViewOptionsTest, PreferencesShowAndSaveThreeViewsSettings) {
    EXPECT_EQ(loadPreferences(profile), (PreferencesValues{0, 0, "0.3", 1000}));
    EXPECT_EQ(savePreferences(profile, {1, 1, "0.256", 500}), std::nullopt);
    EXPECT_EQ(profile.getString("VwSig", "GraphType", ""), "1");
    EXPECT_EQ(profile.getString("VwRad", "Orientation", ""), "1");
    EXPECT_EQ(profile.getString("VwMap", "Scale", ""), "0.26");
    EXPECT_EQ(profile.getString("Rand", "TimerDelay", ""), "500");
    EXPECT_EQ(loadPreferences(profile), (PreferencesValues{1, 1, "0.26", 500}));

    EXPECT_EQ(savePreferences(profile, {0, 0, "0.2", 1000}),
              (FieldError{PreferencesValues::kScaleField,
                          "Please enter a number between 0.25 and 10000."}));
    EXPECT_EQ(profile.getString("VwSig", "GraphType", ""), "1") << "nothing written";
}

TEST_F(ViewOptionsTest, TrackingWritesOrientationAndTheOuterCircle) {
    EXPECT_EQ(loadTracking(profile), (TrackingValues{0, "4", 20}));
    EXPECT_EQ(saveTracking(profile, {1, "12.345", 20}), std::nullopt);
    EXPECT_EQ(profile.getString("VwRad", "OuterRadVel", ""), "12.35");
    EXPECT_EQ(profile.getString("VwRad", "OuterRadPos", ""), "20");
    EXPECT_EQ(profile.getString("VwRad", "Orientation", ""), "1");
    EXPECT_EQ(saveTracking(profile, {0, "0", 20})->field, TrackingValues::kOuterVelocityField);
}

TEST_F(ViewOptionsTest, MapOptionsScaleOriginAndRings) {
    EXPECT_EQ(loadMapOptions(profile), (MapOptionValues{"0.3", "0", "0", {"10", "20", "30"}}));
    EXPECT_EQ(saveMapOptions(profile, {"2", "37.4", "-122.1", {"5", "0", "050"}}), std::nullopt);
    EXPECT_EQ(profile.getString("VwMap", "Scale", ""), "2.00");
    EXPECT_EQ(profile.getString("VwMap", "Lat", ""), "37.400000");
    EXPECT_EQ(profile.getString("VwMap", "Lon", ""), "-122.100000");
    EXPECT_EQ(profile.getString("VwMap", "Ring2", ""), "50");
    EXPECT_EQ(loadMapOptions(profile), (MapOptionValues{"2", "37.4", "-122.1", {"5", "0", "50"}}));

    const struct {
        MapOptionValues values;
        int field;
    } bad[] = {
        {{"0.1", "0", "0", {"1", "2", "3"}}, MapOptionValues::kScaleField},
        {{"1", "north", "0", {"1", "2", "3"}}, MapOptionValues::kLatField},
        {{"1", "0", "", {"1", "2", "3"}}, MapOptionValues::kLonField},
        {{"1", "0", "0", {"1", "-2", "3"}}, MapOptionValues::kRing1Field},
    };
    for (const auto& b : bad) {
        const std::optional<FieldError> e = saveMapOptions(profile, b.values);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->field, b.field);
    }
    EXPECT_EQ(profile.getString("VwMap", "Scale", ""), "2.00") << "nothing written";
}

// The view draws at most kMaxMapPlotSize pixels a side: larger rings at the scale as it is
// stored are refused at the largest ring, with the largest that fits.
TEST_F(ViewOptionsTest, MapOptionsRefuseAPlotLargerThanTheViewDraws) {
    const auto tooLarge = [](const char* scale, int reach) {
        return std::string("The map is drawn at most 4001 pixels across: at ") + scale +
               " meters / pixel its rings can reach " + std::to_string(reach) +
               " m. Please enter a larger scale or smaller ring radii.";
    };
    using F = MapOptionValues;
    const struct {
        MapOptionValues values;
        std::optional<FieldError> expected;
    } rows[] = {
        {{"0.3", "0", "0", {"10", "20", "599"}}, std::nullopt},
        {{"0.3", "0", "0", {"600", "20", "30"}}, FieldError{F::kRing0Field, tooLarge("0.30", 599)}},
        {{"0.25", "0", "0", {"10", "499", "0"}}, std::nullopt},
        {{"0.25", "0", "0", {"10", "500", "0"}}, FieldError{F::kRing1Field, tooLarge("0.25", 499)}},
        {{"0.254", "0", "0", {"1", "2", "500"}}, FieldError{F::kRing2Field, tooLarge("0.25", 499)}},
        {{"10000", "0", "0", {"4294967295", "0", "0"}},
         FieldError{F::kRing0Field, tooLarge("10000.00", 19984999)}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(saveMapOptions(profile, row.values), row.expected) << row.values.scale;
    }

    // Setup > Preferences refuses a new scale that the stored rings would not fit; rings set
    // beyond by hand do not hold up the other choices.
    profile.writeString("VwMap", "Scale", "0.30");
    profile.writeString("VwMap", "Ring2", "500");
    EXPECT_EQ(savePreferences(profile, {0, 0, "0.25", 1000}),
              (FieldError{PreferencesValues::kScaleField, tooLarge("0.25", 499)}));
    profile.writeString("VwMap", "Ring2", "1000");
    EXPECT_EQ(savePreferences(profile, {1, 0, "0.3", 1000}), std::nullopt);
    EXPECT_EQ(profile.getString("VwSig", "GraphType", ""), "1");
}

} // namespace
} // namespace zeph::monitor
