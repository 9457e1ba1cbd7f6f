#include "correction_output.h"

#include <cmath>
#include <iterator>

namespace zeph::sim {
namespace {

constexpr uint32_t kCycleSeconds = 60;

uint16_t word(double v) {
    return static_cast<uint16_t>(static_cast<int32_t>(std::lround(v)));
}

// Status bits that hold for three seconds at a time and look unrelated from one byte to the
// next; every tenth second all of them are clear.
uint8_t statusBits(uint32_t second, uint32_t byte) {
    if (second % 10 == 0) {
        return 0;
    }
    uint32_t h = (second / 3) * 2654435761u ^ (byte + 1) * 40503u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<uint8_t>(h);
}

// The receiver's ground velocity: its ECEF velocity turned to north and east, in m/s.
struct Ground {
    double speed;
    double heading; // degrees from north
};
Ground groundOf(const ReceiverSnapshot& s) {
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
    const double lat = s.latitude * kRadiansPerDegree;
    const double lon = s.longitude * kRadiansPerDegree;
    const double vx = s.velocity[0] / 8.0;
    const double vy = s.velocity[1] / 8.0;
    const double vz = s.velocity[2] / 8.0;
    const double north = -std::sin(lat) * std::cos(lon) * vx - std::sin(lat) * std::sin(lon) * vy +
                         std::cos(lat) * vz;
    const double east = -std::sin(lon) * vx + std::cos(lon) * vy;
    const double heading = std::atan2(east, north) / kRadiansPerDegree;
    return {std::hypot(north, east), heading < 0 ? heading + 360.0 : heading};
}

Bytes validity(uint32_t second) {
    PayloadWriter w(48);
    w.u8(1).u8(statusBits(second, 0) & 0x7F);
    w.u16((statusBits(second, 1) | statusBits(second, 2) << 8) & 0x07FF);
    for (uint32_t b = 2; b <= 11; ++b) {
        w.u8(statusBits(second, b + 1));
    }
    return w.fill(2);
}

Bytes navState(const ReceiverSnapshot& s, uint32_t second) {
    // Navigation control 3 is no state the receiver names.
    constexpr uint8_t kControls[] = {1, 2, 4, 3};
    const uint32_t t = second % kCycleSeconds;
    PayloadWriter w(48);
    w.u8(2).u16(word(groundOf(s).speed * 100)).u16(5 + t % 7);
    w.u16(word(10000 + 25 * std::sin(second * 0.1))).u16(12 + t % 5);
    w.u16(word(57 + 20 * std::sin(second * 0.2))).u16(3);
    w.u16(word(150 + 40 * std::cos(second * 0.05))).u16(9);
    w.u16(word(9990 + 15 * std::cos(second * 0.1))).u16(4);
    w.u32(250 + t * 41).u16(180 + t * 3);
    return w.u8(kControls[t / 15]).u8(0);
}

Bytes subsystem(const ReceiverSnapshot& s, uint32_t second) {
    const auto [speed, heading] = groundOf(s);
    PayloadWriter w(48);
    w.u8(3).u16(5730 + second % 9).u16(30).u16(word(heading * 100)).u16(150);
    w.u16(word(speed * 100)).u16(20).u32(350 + second % 60 * 11);
    w.u16(5710 + second % 13).u16(45).u16(word(std::fmod(heading + 0.4, 360.0) * 100)).u16(210);
    w.u16(word(speed * 100 + 3)).u16(25).u32(420 + second % 60 * 17);
    return w.fill(2);
}

Bytes dataBlock(const ReceiverSnapshot& s, uint32_t second) {
    // Measurement type 3 is no kind the monitor names.
    const uint32_t t = second % kCycleSeconds;
    const uint32_t valid = 1 + t % 10;
    PayloadWriter w(48);
    w.u8(8).u8(t / 15).u8(valid).u16((t * 0x95u + 0x201u) & 0x3FF);
    for (uint32_t k = 0; k < 10; ++k) {
        const double at = second + k * 0.1;
        w.u32(s.towMs - (9 - k) * 100).u16(word(groundOf(s).speed * 100 + k));
        w.u16(word(1200 * std::sin(at * 0.3))); // a signed heading rate, 0.01 degree/s
    }
    return w;
}

} // namespace

Bytes drovanaOutput(uint8_t subId, const ReceiverSnapshot& s, uint32_t second) {
    switch (subId) {
    case 1:
        return validity(second);
    case 2:
        return navState(s, second);
    case 3:
        return subsystem(s, second);
    default:
        return dataBlock(s, second);
    }
}

Bytes dgpsStatus(const ReceiverSnapshot& s, uint32_t second, CorrectionSource source) {
    const uint32_t t = second % kCycleSeconds;
    PayloadWriter w(27);
    if (source == CorrectionSource::Beacon) {
        const uint8_t locked = t < 40 ? 0x01 : 0x00;
        const uint8_t autoTuning = (t / 10) % 2 == 0 ? 0x02 : 0x00;
        w.u8(3).u32(304500).u8(t < 20 ? 100 : 200).u8(locked | autoTuning);
        w.u32(41000 + t * 250).u16(word(-20 + static_cast<int>(t % 30))).u16(8 + t % 12);
    } else {
        // SBAS, then two seconds each of serial RTCM, none, software and a value out of range.
        constexpr uint8_t kOthers[] = {2, 0, 4, 7};
        w.u8(t < 52 ? 1 : kOthers[(t - 52) / 2]);
        for (uint32_t ch = 0; ch < 12; ++ch) {
            w.u8((t + ch * 3) % 31);
        }
        w.fill(2);
    }
    for (size_t ch = 0; ch < 12; ++ch) {
        const uint8_t prn = ch < s.satellites.size() ? s.satellites[ch].prn : 0;
        const double metres = prn == 0 ? 0 : 4.0 * std::sin(second * 0.05 + prn);
        w.u8(prn).u16(word(metres * 100));
    }
    return w;
}

Bytes sbasParameters(uint32_t second) {
    struct Setting {
        uint8_t prn;
        uint8_t mode;
        uint8_t flags;
    };
    // Five seconds each: every system, both modes, and each flag set and clear.
    constexpr Setting kSettings[] = {
        {122, 1, 0x00}, {134, 1, 0x08}, {120, 1, 0x01}, {131, 0, 0x09},
        {129, 1, 0x02}, {137, 1, 0x04}, {124, 0, 0x0F}, {122, 1, 0x06},
        {120, 1, 0x0A}, {133, 0, 0x00}, {129, 1, 0x0C}, {122, 1, 0x08},
    };
    static_assert(std::size(kSettings) * 5 == kCycleSeconds);
    const Setting& now = kSettings[second % kCycleSeconds / 5];
    const uint8_t timeout = (now.flags & 0x01) != 0 ? 30 : 18;
    return PayloadWriter(50).u8(now.prn).u8(now.mode).u8(timeout).u8(now.flags);
}

} // namespace zeph::sim
