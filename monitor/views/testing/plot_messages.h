#pragma once

// Measured navigation and tracker payloads with the fields the plot views read, for the
// message maker to decode as the monitor does.

#include "sim/receiver/wire_writer.h"

#include <array>
#include <cstdint>

namespace zeph::monitor::testing {

struct NavFields {
    std::array<int32_t, 3> ecef{6378137, 0, 0}; // metres; 0 N 0 E on the ellipsoid
    std::array<int16_t, 3> velocity{};          // 1/8 m/s
    uint8_t mode1 = 4;                          // 3d fix
    uint8_t hdop = 5;
    uint8_t mode2 = 2; // validated
    uint16_t week = 1182;
    uint32_t tow = 0; // 1/100 s
    uint8_t count = 0;
    std::array<uint8_t, 12> prn{};
};

inline sim::Bytes navPayload(const NavFields& f, uint8_t mid = 2) {
    sim::PayloadWriter w(mid);
    for (int32_t c : f.ecef) {
        w.u32(static_cast<uint32_t>(c));
    }
    for (int16_t v : f.velocity) {
        w.u16(static_cast<uint16_t>(v));
    }
    w.u8(f.mode1).u8(f.hdop).u8(f.mode2).u16(f.week).u32(f.tow).u8(f.count);
    for (uint8_t p : f.prn) {
        w.u8(p);
    }
    return w;
}

struct ChannelFields {
    uint8_t prn = 0;
    uint8_t azimuth = 0;   // 1.5 degrees
    uint8_t elevation = 0; // 0.5 degrees
    uint16_t state = 0xBF;
    std::array<uint8_t, 10> cno{};
};
using TrackFields = std::array<ChannelFields, 12>;

inline sim::Bytes trackPayload(const TrackFields& channels, uint8_t mid = 4) {
    sim::PayloadWriter w(mid);
    w.u16(1182).u32(0).u8(12);
    for (const ChannelFields& c : channels) {
        w.u8(c.prn).u8(c.azimuth).u8(c.elevation).u16(c.state);
        for (uint8_t v : c.cno) {
            w.u8(v);
        }
    }
    return w;
}

inline std::array<uint8_t, 10> flatCno(uint8_t v) {
    std::array<uint8_t, 10> a;
    a.fill(v);
    return a;
}

} // namespace zeph::monitor::testing
