#include "common/text/nmea_checksum.h"

#include <gtest/gtest.h>

namespace zeph {
namespace {

TEST(NmeaChecksum, JudgesTheDigitsAfterTheStar) {
    // A sentence recorded from a receiver (dashboard/core/tests/data), then spoilt one way each.
    const struct {
        const char* sentence;
        bool matches;
    } cases[] = {
        {"GPRMC,050509.200,A,4659.2842,N,00124.0315,W,000.0,000.0,250116,,,A*74", true},
        {"GPGGA,171807,0645.0673,S,03707.7834,W,1,06,01.1,00241.0,M,-011.9,M,,*6e", true},
        {"GPGGA,171807,0645.0673,S,03707.7834,W,1,06,01.1,00241.0,M,-011.9,M,,*6F", false},
        {"GPRMC,050509.200,A,4659.2842,N,00124.0315,W,000.0,000.0,250116,,,A*7", false},
        {"GPRMC,050509.200,A,4659.2842,N,00124.0315,W,000.0,000.0,250116,,,A*74 ", false},
        {"GPRMC,050509.200,A,4659.2842,N,00124.0315,W,000.0,000.0,250116,,,A74", false},
        {"*G0", false},
        {"*00", true},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nmeaChecksumMatches(c.sentence), c.matches) << c.sentence;
    }
    EXPECT_EQ(nmeaChecksum("ZUVE103,05,00,00,01"), 0x2A);
}

} // namespace
} // namespace zeph
