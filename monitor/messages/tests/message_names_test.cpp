#include "monitor/messages/message_names.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeph::monitor {
namespace {

TEST(MessageNames, DisplayNames) {
    EXPECT_EQ(displayName(0), "None");
    EXPECT_EQ(displayName(2), "Meas Nav");
    EXPECT_EQ(displayName(30), "Nav Lib:SV State");
    EXPECT_EQ(displayName(255), "Debug");
    EXPECT_EQ(displayName(16), "");
}

TEST(MessageNames, ConstantNamesCoverOutputTransportAndInputMids) {
    EXPECT_EQ(constantName(43), "MID_CMD_PARAM");
    EXPECT_EQ(constantName(252), "MID_CheckSumError");
    EXPECT_EQ(constantName(128), "MID_NavigationInitialization");
    EXPECT_EQ(constantName(168), "MID_POLL_CMD_PARAM");
    EXPECT_EQ(constantName(148), "MID_FlashUpdate");
    EXPECT_EQ(constantName(170), "Unknown MID:170");
    EXPECT_EQ(constantName(17), "Unknown MID:17");
    EXPECT_EQ(constantName(172, 1), "MID_DrOut:SID_SetDrNavInit");
    EXPECT_EQ(constantName(172, 7), "MID_DrOut:SID_PollDrSensParam");
    EXPECT_EQ(constantName(172, 8), "Unknown MID:172");
    EXPECT_EQ(constantName(134, 5), "MID_SetSerialPort"); // the sub-ID only counts for 172
}

TEST(MessageNames, ErrorFormatsTakeParametersByTheirConversion) {
    const std::vector<uint32_t> params = {5, 0xFFFFFFFF, 0x1F};
    EXPECT_EQ(formatErrorText(errorFormat(4100), params),
              "Kalman Filter @5: Kill chan -1, range res=31");
    EXPECT_EQ(formatErrorText(errorFormat(8193), params), "UART buffer allocation error: 5");
    EXPECT_EQ(formatErrorText(errorFormat(4104), params),
              "SRAM control flags contain bad checksum");
    EXPECT_EQ(formatErrorText(errorFormat(8194), {}), "OSOR #0 (0 ms)");
    EXPECT_EQ(formatErrorText("100%% at %lx", params), "100% at 5");
}

} // namespace
} // namespace zeph::monitor
