// The satellite colour rule in its order: the fix list, then no signal, then SBAS with a DGPS
// fix, then tracked.

#include "monitor/views/satellite_colours.h"

#include <gtest/gtest.h>

namespace zeph::monitor {
namespace {

using C = SatelliteColour;

TEST(SatelliteColour, RulesApplyInOrder) {
    const struct {
        uint8_t prn;
        uint16_t state;
        uint8_t average;
        uint8_t mode1;
        C expected;
        const char* why;
    } rows[] = {
        {5, 0xBF, 40, 0x04, C::Used, "in the fix list"},
        {5, 0xBF, 0, 0x04, C::Used, "the fix list wins over zero C/No"},
        {5, 0x1BF, 40, 0x04, C::Used, "the fix list wins over the no-signal bit"},
        {30, 0xBF, 0, 0x04, C::NoSignal, "zero average C/No"},
        {30, 0x0100, 40, 0x04, C::NoSignal, "state bit 0x0100"},
        {122, 0xBF, 0, 0x84, C::NoSignal, "no signal comes before SBAS"},
        {122, 0xBF, 40, 0x84, C::Sbas, "SBAS while the fix is DGPS-corrected"},
        {122, 0xBF, 40, 0x04, C::Tracked, "SBAS without DGPS"},
        {32, 0xBF, 40, 0x84, C::Tracked, "PRN 32 is no SBAS satellite"},
        {33, 0xBF, 40, 0x84, C::Sbas, "PRN 33 is"},
        {30, 0xFEFF, 1, 0x04, C::Tracked, "tracked, not used"},
        {12, 0xBF, 40, 0x04, C::Used, "every one of the twelve entries counts, not only the first"},
    };
    NavRecord nav{};
    nav.svCount = 1;
    nav.prn[0] = 5;
    nav.prn[11] = 12;
    for (const auto& r : rows) {
        nav.mode1 = r.mode1;
        EXPECT_EQ(satelliteColour(r.prn, r.state, r.average, nav), r.expected) << r.why;
    }
}

TEST(SatelliteColour, ExactValues) {
    EXPECT_EQ(rgbOf(C::Used), (Rgb{20, 210, 20}));
    EXPECT_EQ(rgbOf(C::NoSignal), (Rgb{255, 0, 0}));
    EXPECT_EQ(rgbOf(C::Sbas), (Rgb{20, 210, 210}));
    EXPECT_EQ(rgbOf(C::Tracked), (Rgb{0, 0, 255}));
}

} // namespace
} // namespace zeph::monitor
