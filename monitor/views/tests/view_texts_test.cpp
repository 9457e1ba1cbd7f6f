// The texts the Debug, Error and Response views add, from wire bytes to the exact text.

#include "monitor/views/view_texts.h"

#include "monitor/views/testing/message_maker.h"

#include <gtest/gtest.h>

namespace zeph::monitor::testing {
namespace {

using sim::PayloadWriter;

class ViewTexts : public ::testing::Test {
protected:
    MessageMaker make;
};

TEST_F(ViewTexts, DebugShowsReceiverTextOnOneLine) {
    EXPECT_EQ(debugViewText(make.debugText("Nav: 5 SVs\r\nKF reset\r\n")),
              "Nav: 5 SVs  KF reset  \n");
    EXPECT_EQ(debugViewText(make.viewText("Unk: 3009AB\n", 0)), "Unk: 3009AB \n");
    EXPECT_EQ(debugViewText(make.binary(PayloadWriter(255).text("AB").u8(0).text("C"))), "AB\n");
    EXPECT_FALSE(debugViewText(make.binary(PayloadWriter(255))));
    EXPECT_FALSE(debugViewText(make.linkError("Comm: CE_FRAME")));
    EXPECT_FALSE(debugViewText(make.errorReport(2, {7, 3})));
}

TEST_F(ViewTexts, ErrorViewShowsAlertsWarningsNotificationsAndLinkErrors) {
    const std::pair<uint16_t, bool> cases[] = {{0, false},     {1, true},       {18, true},
                                               {19, false},    {0x0FFF, false}, {0x1000, true},
                                               {0x100D, true}, {0x100E, false}, {0x2000, true},
                                               {0x2003, true}, {0x2004, false}, {0x3000, false}};
    for (const auto& [code, shown] : cases) {
        EXPECT_EQ(errorViewText(make.errorReport(code, {1})).has_value(), shown) << code;
    }
    EXPECT_EQ(errorViewText(make.errorReport(0x1001, {1500})), "VCO lock lost in 1500 msec");
    EXPECT_EQ(errorViewText(make.errorReport(0x2000, {0xAB, 0xFFFFFFFF})),
              "Unknown format: ab ffffffff 0 0 0 0");
    EXPECT_EQ(errorViewText(make.linkError("Comm: CE_FRAME")), "Comm: CE_FRAME\n");
    EXPECT_FALSE(errorViewText(make.debugText("KF reset")));
}

TEST_F(ViewTexts, AnErrorTextStopsAt256Characters) {
    const std::optional<std::string> text = errorViewText(make.errorReport(
        4103, {0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000,
               0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000, 0x80000000,
               0x80000000, 0x80000000, 0x80000000, 0x80000000}));
    ASSERT_TRUE(text);
    // In full the text is 272 characters.
    EXPECT_EQ(text->size(), 256u);
    EXPECT_EQ(text->substr(text->size() - 30), "3648\nSAT4= -2147483648 -214748");
}

TEST_F(ViewTexts, ResponsesToCommandsAndPolls) {
    EXPECT_EQ(responseViewText(make.binary(PayloadWriter(6).text("231.000.000").u8(0))),
              "SW Version 231.000.000");
    EXPECT_EQ(responseViewText(make.binary(PayloadWriter(7)
                                               .u16(1182)
                                               .u32(4294967295u)
                                               .u8(9)
                                               .u32(94315)
                                               .u32(4000000000u)
                                               .u32(432000000))),
              "Week:1182  TOW:4294967295  EstGPSTime:432000000 ms  SVCnt:9\n"
              "Clock Drift:94315 Hz  Clock Bias:4000000000 ns");
    EXPECT_EQ(responseViewText(make.binary(PayloadWriter(11).u8(132).u8(9))),
              "Acknowledged MID_PollSWVersion");
    EXPECT_EQ(responseViewText(make.binary(PayloadWriter(11).u8(172).u8(5))),
              "Acknowledged MID_DrOut:SID_PollDrValid");
    EXPECT_EQ(responseViewText(make.binary(PayloadWriter(12).u8(170).u8(0))),
              "Rejected Unknown MID:170");
    EXPECT_FALSE(responseViewText(make.errorReport(0x1001, {1})));
    EXPECT_FALSE(responseViewText(make.binary(PayloadWriter(18).u8(1))));
}

// MID 19 with every item set; the power fields come last.
PayloadWriter navParams(uint8_t wake, uint32_t onTime, uint32_t period, uint8_t lull) {
    PayloadWriter w(19);
    w.u32(0).u8(1).u8(2).u16(0xFF9C).u8(3).u8(30).u8(15).u8(1).u8(0).u8(1).u32(0);
    w.u8(2).u16(75).u8(28).u32(0).u8(4).u8(3).u8(30).u32(0);
    w.u8(wake).u32(onTime).u32(period).u8(1).u32(5).u8(lull).u32(120000).u32(30000).fill(8);
    return w;
}

TEST_F(ViewTexts, NavigationParameterReport) {
    EXPECT_EQ(responseViewText(make.binary(navParams(0, 200, 1000, 1))),
              "AltMode: always\nAltSource: dynamic\nAltitude: -100\nDegradedMode: TimeOnly\n"
              "DegradedTimeout: 30 s\nDRTimeout: 15 s\nTrkSmoothMode: enabled\n"
              "StaticNav: disabled\n3SV LSQ: enabled\nDOPMaskMode: HDOP\nElevMask: 7.5 deg\n"
              "PwrMask: 28 dBHz\nDGPSSrc: S/W\nDGPSMode: mixed\nDGPSTimeout: 30 s\n"
              "Lullcycle enabled with 200 ms on, 20.000000% duty cycle\n"
              "User tasks enabled, period = 5\nMaxAcqTime = 120000 ms; MaxOffTime = 30000 ms\n");

    auto power = [&](uint8_t wake, uint32_t onTime, uint32_t period, uint8_t lull) {
        const std::string text =
            *responseViewText(make.binary(navParams(wake, onTime, period, lull)));
        const size_t from = text.find("DGPSTimeout: 30 s\n") + 18;
        return text.substr(from, text.find('\n', from) - from);
    };
    EXPECT_EQ(power(1, 200, 1000, 1), "Wake-On-Demand enabled");
    EXPECT_EQ(power(0, 200, 1000, 0), "Continuous power enabled");
    EXPECT_EQ(power(0, 200, 0, 1), "Lullcycle enabled with 200 ms on, 0.000000% duty cycle");

    NavParamsRecord p{};
    p.elevMask = -5;
    p.altMode = 3;
    p.dgpsSrc = 1;
    const std::string guarded = navParamsReport(p);
    EXPECT_EQ(guarded.rfind("AltMode: unknown (3)\n", 0), 0u);
    EXPECT_NE(guarded.find("ElevMask: -0.5 deg\n"), std::string::npos);
    EXPECT_NE(guarded.find("DGPSSrc: SBAS\n"), std::string::npos);
    EXPECT_NE(guarded.find("\nUser tasks disabled\n"), std::string::npos);
}

} // namespace
} // namespace zeph::monitor::testing
