#include "flash/frontend/core/line_choice.h"

#include <gtest/gtest.h>

namespace zeph::burnfront {
namespace {

TEST(LineChoice, TheListHoldsComOneToThirtyTwoInNumberOrder) {
    EXPECT_EQ(frontPorts({"COM3", "COM1", "COM33", "COM40", "/dev/ttyUSB0", "com2"}),
              (std::vector<std::string>{"COM1", "COM2", "COM3"}));
}

TEST(LineChoice, ANamedLineMustExist) {
    const std::vector<std::string> ports = {"COM2", "COM5"};
    EXPECT_EQ(chooseLine(ports, 0).index, 0);
    EXPECT_EQ(chooseLine({}, 0).index, -1);
    EXPECT_EQ(chooseLine(ports, 5).index, 1);
    const LineChoice missing = chooseLine(ports, 1);
    EXPECT_EQ(missing.index, -1);
    EXPECT_EQ(missing.refusal, "Specified line COM1 does not exist!\nProgram will terminate.");
}

TEST(LineChoice, WindowsOnDifferentLinesCascade) {
    struct Case {
        int ports, index;
        WindowPlace place;
    };
    // 1280x1024 screen, 400x300 window.
    const Case cases[] = {
        {1, 0, {440, 362}},
        {3, 0, {400, 322}},
        {3, 2, {480, 402}},
        {40, 0, {0, 0}}, // never off the top or left edge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cascadePlace(1280, 1024, 400, 300, c.ports, c.index), c.place) << c.ports;
    }
}

} // namespace
} // namespace zeph::burnfront
