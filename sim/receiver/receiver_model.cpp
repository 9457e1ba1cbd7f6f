#include "receiver_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

namespace zeph::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr uint16_t kStartWeek = 1182;
constexpr uint32_t kStartTowMs = 432000000; // a Friday, 00:00
constexpr double kPlaceLatitude = 37.4;
constexpr double kPlaceLongitude = -122.1;

struct Orbit {
    uint8_t prn;
    double azimuth0;
    double phase0;
};
constexpr Orbit kOrbits[] = {
    {2, 40, 0.3},   {5, 110, 1.1}, {7, 200, 2.0},  {9, 300, 0.7},  {13, 15, 2.6},  {16, 250, 1.6},
    {21, 160, 0.1}, {24, 80, 2.9}, {26, 330, 1.9}, {29, 190, 0.9}, {30, 270, 2.3}, {31, 120, 1.4},
};

uint32_t asU32(int32_t v) {
    return static_cast<uint32_t>(v);
}
uint32_t asU32(double v) {
    return static_cast<uint32_t>(static_cast<int32_t>(std::lround(v)));
}

std::string fmt(const char* format, double a, double b = 0, double c = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

// ddmm.mmmm and its hemisphere letter.
std::string nmeaAngle(double degrees, int degreeDigits, char positive, char negative) {
    const double a = std::fabs(degrees);
    const int whole = static_cast<int>(a);
    const double minutes = (a - whole) * 60.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*d%07.4f,%c", degreeDigits, whole, minutes,
                  degrees >= 0 ? positive : negative);
    return buf;
}

std::string nmeaTime(const ReceiverSnapshot& s) {
    const uint32_t daySeconds = (s.towMs / 1000) % 86400;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u%02u%02u.%03u", daySeconds / 3600, daySeconds / 60 % 60,
                  daySeconds % 60, s.towMs % 1000);
    return buf;
}

// WGS84 geodetic to earth-centred coordinates.
constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kEccentricitySquared = 6.69437999014e-3;

void placeInEcef(ReceiverSnapshot& s) {
    const double a = kSemiMajorAxis;
    const double e2 = kEccentricitySquared;
    const double lat = s.latitude * kDeg;
    const double lon = s.longitude * kDeg;
    const double n = a / std::sqrt(1 - e2 * std::sin(lat) * std::sin(lat));
    s.ecef[0] = static_cast<int32_t>(std::lround((n + s.altitude) * std::cos(lat) * std::cos(lon)));
    s.ecef[1] = static_cast<int32_t>(std::lround((n + s.altitude) * std::cos(lat) * std::sin(lon)));
    s.ecef[2] = static_cast<int32_t>(std::lround((n * (1 - e2) + s.altitude) * std::sin(lat)));
}

// The open-sky receiver's drive: a circle about the capture model's place, driven clockwise.
constexpr double kDriveRadius = 20.0; // metres
constexpr double kDrivePeriod = 90.0; // seconds per round
constexpr double kScatter = 3.0;      // metres, the spread of the fixes about the track
constexpr uint8_t kSbasPrn = 138;
constexpr uint8_t kMode1Dgps = 0x80;
constexpr uint16_t kStateSignalLost = 0x0100;
constexpr uint8_t kMode2Validated = 0x02;

// The tracker's channels for GPS satellites: all twelve, or eleven beside an SBAS satellite.
size_t gpsChannels(const ReceiverSnapshot& s) {
    return s.sbas ? 11 : 12;
}

// A repeatable number in [-0.5, 0.5) for each second and stream.
double jitter(uint32_t second, double stream) {
    const double v = std::sin(second * 12.9898 + stream * 78.233) * 43758.5453;
    return v - std::floor(v) - 0.5;
}

// North and east metres to degrees of latitude and longitude at `latitude`.
std::pair<double, double> degreesPerMetre(double latitude) {
    const double e2 = kEccentricitySquared;
    const double sin2 = std::sin(latitude * kDeg) * std::sin(latitude * kDeg);
    const double meridian = kSemiMajorAxis * (1 - e2) / std::pow(1 - e2 * sin2, 1.5);
    const double normal = kSemiMajorAxis / std::sqrt(1 - e2 * sin2);
    return {1 / (meridian * kDeg), 1 / (normal * std::cos(latitude * kDeg) * kDeg)};
}

// The ECEF velocity in 1/8 m/s of a north and east velocity in m/s.
void setVelocity(ReceiverSnapshot& s, double north, double east) {
    const double lat = s.latitude * kDeg;
    const double lon = s.longitude * kDeg;
    const double v[3] = {
        -std::sin(lat) * std::cos(lon) * north - std::sin(lon) * east,
        -std::sin(lat) * std::sin(lon) * north + std::cos(lon) * east,
        std::cos(lat) * north,
    };
    for (int k = 0; k < 3; ++k) {
        s.velocity[k] = static_cast<int16_t>(std::lround(v[k] * 8));
    }
}

} // namespace

ReceiverSnapshot snapshotAt(uint32_t second) {
    ReceiverSnapshot s{};
    s.week = kStartWeek;
    s.towMs = kStartTowMs + second * 1000;
    const double angle = second * 0.01;
    s.latitude = kPlaceLatitude + 0.001 * std::sin(angle);
    s.longitude = kPlaceLongitude + 0.001 * std::cos(angle);
    s.altitude = 35.0 + 2.0 * std::sin(angle * 3);

    placeInEcef(s);
    s.velocity[0] = static_cast<int16_t>(std::lround(-8 * 1.1 * std::sin(angle)));
    s.velocity[1] = static_cast<int16_t>(std::lround(8 * 1.1 * std::cos(angle)));
    s.velocity[2] = -3;

    for (const Orbit& o : kOrbits) {
        const double phase = o.phase0 + second * 0.0005;
        const double elevation = 85.0 * std::sin(phase) - 10.0;
        if (elevation <= 0) {
            continue;
        }
        const double azimuth = std::fmod(o.azimuth0 + second * 0.02, 360.0);
        const auto cno = static_cast<uint8_t>(std::clamp(30.0 + elevation / 5.0, 0.0, 55.0));
        s.satellites.push_back({o.prn, azimuth, elevation, cno});
    }
    return s;
}

ReceiverSnapshot openSkySnapshotAt(uint32_t second) {
    ReceiverSnapshot s = snapshotAt(second);
    s.satellites.clear();
    // Twelve orbits spread evenly in phase; each is above the horizon for about 290 degrees of
    // its cycle (sin > -0.83), so 9 or 10 are up at once and never fewer than 8.
    constexpr size_t kCount = std::size(kOrbits);
    for (size_t i = 0; i < kCount; ++i) {
        const Orbit& o = kOrbits[i];
        const double phase = 2.0 * kPi * static_cast<double>(i) / kCount +
                             0.15 * std::sin(o.phase0 * 3.0) + second * 0.0005;
        const double elevation = 48.0 * std::sin(phase) + 40.0;
        if (elevation <= 0) {
            continue;
        }
        const double azimuth = std::fmod(o.azimuth0 + second * 0.02, 360.0);
        const auto cno = static_cast<uint8_t>(std::clamp(30.0 + elevation / 5.0, 0.0, 55.0));
        s.satellites.push_back({o.prn, azimuth, elevation, cno});
    }

    // Channels 2, 4 and 6 are tracked without being used: with a signal, without one, and
    // with the signal lost; the SBAS satellite stands high in the south.
    if (s.satellites.size() > 6) { // never fewer than 8 are up
        s.satellites[2].used = false;
        s.satellites[4].used = false;
        s.satellites[4].cno = 0;
        s.satellites[6].used = false;
        s.satellites[6].state |= kStateSignalLost;
    }
    s.sbas = Satellite{kSbasPrn, 200.0, 42.0, 38, 0xBF, false};
    s.mode1 |= kMode1Dgps;
    s.mode2 |= kMode2Validated;

    const double turn = 2 * kPi * second / kDrivePeriod;
    const double north = kDriveRadius * std::cos(turn) + kScatter * jitter(second, 1);
    const double east = kDriveRadius * std::sin(turn) + kScatter * jitter(second, 2);
    const auto [latPerMetre, lonPerMetre] = degreesPerMetre(s.latitude);
    s.latitude = kPlaceLatitude + north * latPerMetre;
    s.longitude = kPlaceLongitude + east * lonPerMetre;
    placeInEcef(s);
    const double speed = kDriveRadius * 2 * kPi / kDrivePeriod;
    setVelocity(s, -speed * std::sin(turn), speed * std::cos(turn));
    return s;
}

Bytes navigationMessage(const ReceiverSnapshot& s, uint8_t mid) {
    PayloadWriter w(mid);
    for (int32_t c : s.ecef) {
        w.u32(asU32(c));
    }
    for (int16_t v : s.velocity) {
        w.u16(static_cast<uint16_t>(v));
    }
    std::vector<uint8_t> used;
    for (size_t i = 0; i < std::min(s.satellites.size(), gpsChannels(s)); ++i) {
        if (s.satellites[i].used) {
            used.push_back(s.satellites[i].prn);
        }
    }
    w.u8(s.mode1)
        .u8(7)
        .u8(s.mode2)
        .u16(s.week)
        .u32(s.towMs / 10)
        .u8(static_cast<uint32_t>(used.size()));
    for (size_t i = 0; i < 12; ++i) {
        w.u8(i < used.size() ? used[i] : 0);
    }
    return w;
}

Bytes trackerMessage(const ReceiverSnapshot& s, uint8_t mid) {
    PayloadWriter w(mid);
    w.u16(s.week).u32(s.towMs / 10).u8(12);
    const size_t gps = std::min(s.satellites.size(), gpsChannels(s));
    for (size_t ch = 0; ch < 12; ++ch) {
        const Satellite* sat = ch < gps ? &s.satellites[ch] : nullptr;
        if (ch == 11 && s.sbas) {
            sat = &*s.sbas;
        }
        if (sat == nullptr) {
            w.fill(15);
            continue;
        }
        w.u8(sat->prn).u8(static_cast<uint32_t>(sat->azimuth / 1.5));
        w.u8(static_cast<uint32_t>(sat->elevation / 0.5)).u16(sat->state);
        for (int k = 0; k < 10; ++k) {
            w.u8(sat->cno == 0 ? 0 : static_cast<uint32_t>(sat->cno + (k % 3) - 1));
        }
    }
    return w;
}

Bytes rawTrackMessage(const ReceiverSnapshot& s, int channel) {
    const Satellite sat =
        s.satellites.empty() ? Satellite{0, 0, 0, 0} : s.satellites[channel % s.satellites.size()];
    PayloadWriter w(5);
    w.u32(static_cast<uint32_t>(channel)).u16(sat.prn).u16(0x3F).u32(s.towMs).u16(12).u16(1);
    w.u32(asU32(-123456)).u32(987654).u32(asU32(-42)).u32(s.towMs / 10).u16(0);
    for (int k = 0; k < 10; ++k) {
        w.u8(sat.cno);
    }
    return w.u8(3).u8(1).u16(500).u16(2000);
}

Bytes swVersionMessage(const OutputOptions& o) {
    return PayloadWriter(6).text(o.version).u8(0);
}

Bytes clockStatusMessage(const ReceiverSnapshot& s) {
    return PayloadWriter(7)
        .u16(s.week)
        .u32(s.towMs / 10)
        .u8(static_cast<uint32_t>(s.satellites.size()))
        .u32(94315)
        .u32(1234567)
        .u32(s.towMs);
}

Bytes data50BpsMessage(const ReceiverSnapshot& s, int channel) {
    const uint8_t prn = s.satellites.empty() ? 0 : s.satellites[channel % s.satellites.size()].prn;
    PayloadWriter w(8);
    w.u8(static_cast<uint32_t>(channel)).u8(prn);
    for (uint32_t k = 0; k < 10; ++k) {
        w.u32(0x22C00000u + k * 0x01010101u + s.towMs / 6000);
    }
    return w;
}

Bytes throughputMessage(uint32_t second) {
    return PayloadWriter(9).u16(12 + second % 7).u16(186 * 3).u16(93).u16(186 * 12 + second % 50);
}

Bytes errorMessage(uint16_t errorId, const std::vector<uint32_t>& params) {
    PayloadWriter w(10);
    w.u16(errorId).u16(static_cast<uint32_t>(params.size()));
    for (uint32_t p : params) {
        w.u32(p);
    }
    return w;
}

Bytes ackMessage(bool ack, uint8_t mid, uint8_t subId) {
    return PayloadWriter(ack ? 11 : 12).u8(mid).u8(subId);
}

Bytes visibleListMessage(const ReceiverSnapshot& s) {
    PayloadWriter w(13);
    w.u8(static_cast<uint32_t>(s.satellites.size()));
    for (const Satellite& sat : s.satellites) {
        w.u8(sat.prn)
            .u16(static_cast<uint32_t>(sat.azimuth))
            .u16(static_cast<uint32_t>(sat.elevation));
    }
    return w;
}

namespace {

constexpr double kSqrtSemiMajorAxis = 5153.65; // square root of metres, a half-day orbit

// The orbit of a satellite: the model's own where it has one, a spread of the others.
Orbit orbitOf(uint8_t svid) {
    for (const Orbit& o : kOrbits) {
        if (o.prn == svid) {
            return o;
        }
    }
    return {svid, std::fmod(svid * 37.0, 360.0), std::fmod(svid * 0.19, 2 * kPi)};
}

bool tracked(uint8_t svid) {
    return std::any_of(std::begin(kOrbits), std::end(kOrbits),
                       [svid](const Orbit& o) { return o.prn == svid; });
}

// An angle in degrees as a signed fraction of a half circle, scaled by 2^bits.
int64_t semicircles(double degrees, int bits) {
    const double half = std::remainder(degrees, 360.0) / 180.0; // [-1, 1]
    return std::clamp<int64_t>(std::llround(half * std::ldexp(1.0, bits)), -(int64_t{1} << bits),
                               (int64_t{1} << bits) - 1);
}

// Appends a 32-bit value as its high and low word.
template <size_t N> void put32(std::array<uint16_t, N>& w, size_t& at, int64_t v) {
    const auto u = static_cast<uint32_t>(v);
    w[at++] = static_cast<uint16_t>(u >> 16);
    w[at++] = static_cast<uint16_t>(u);
}

uint16_t word(int64_t v) {
    return static_cast<uint16_t>(v);
}

} // namespace

// Health and satellite, week, reference time, eccentricity, inclination offset, rate of right
// ascension, then the root of the semi-major axis, the right ascension, the argument of perigee
// and the mean anomaly as 32-bit values.
AlmanacWords almanacWords(uint8_t svid) {
    const Orbit o = orbitOf(svid);
    const double eccentricity = 0.004 + 0.0007 * (svid % 16);
    AlmanacWords w{};
    size_t at = 0;
    w[at++] = word(svid << 8);
    w[at++] = word(kStartWeek);
    w[at++] = word(kStartTowMs / 1000 / 4096);
    w[at++] = word(std::llround(eccentricity * (1 << 21)));
    w[at++] = word(std::llround(2500 * std::sin(svid * 1.7)));
    w[at++] = word(-2600 - svid * 7);
    put32(w, at, std::llround((kSqrtSemiMajorAxis + svid * 0.01) * (1 << 11)));
    put32(w, at, semicircles(o.azimuth0 - 180, 23));
    put32(w, at, semicircles(o.azimuth0 * 0.5 + svid, 23));
    put32(w, at, semicircles(o.phase0 / kDeg, 23));
    return w;
}

// The satellite, week, issue of data, ephemeris and clock reference times, the orbit as 32-bit
// values (root of the semi-major axis, eccentricity, mean anomaly, argument of perigee, right
// ascension, inclination, its rate), the small corrections, the clock terms, and a last word
// that sums the others.
EphemerisWords ephemerisWords(uint8_t svid) {
    EphemerisWords w{};
    if (!tracked(svid)) {
        return w;
    }
    const Orbit o = orbitOf(svid);
    size_t at = 0;
    w[at++] = svid;
    w[at++] = word(kStartWeek);
    w[at++] = word(svid * 3 % 256);
    w[at++] = word(kStartTowMs / 1000 / 16);
    w[at++] = word(kStartTowMs / 1000 / 16);
    put32(w, at, std::llround((kSqrtSemiMajorAxis + svid * 0.01) * (1 << 19)));
    put32(w, at, std::llround((0.004 + 0.0007 * (svid % 16)) * std::ldexp(1.0, 33)));
    put32(w, at, semicircles(o.phase0 / kDeg, 31));
    put32(w, at, semicircles(o.azimuth0 * 0.5 + svid, 31));
    put32(w, at, semicircles(o.azimuth0 - 180, 31));
    put32(w, at, semicircles(55.0 + std::sin(svid * 1.7), 31));
    put32(w, at, -21000 - svid * 57);
    for (int k = 0; k < 8; ++k) { // delta-n, inclination rate, harmonic corrections
        w[at++] = word(std::llround(900 * std::sin(svid * 0.7 + k * 1.3)));
    }
    w[at++] = word(-(svid % 7)); // group delay
    w[at++] = 0;                 // clock drift rate
    w[at++] = word(std::llround(40 * std::cos(svid * 0.9)));
    put32(w, at, std::llround(1e5 * std::sin(svid * 2.3)));
    w[at++] = 0; // accuracy and health: good
    uint32_t sum = 0;
    for (size_t k = 0; k + 1 < w.size(); ++k) {
        sum += w[k];
    }
    w.back() = word(sum);
    return w;
}

Bytes almanacMessage(uint8_t svid, const AlmanacWords& words) {
    PayloadWriter w(14);
    w.u8(svid);
    for (const uint16_t v : words) {
        w.u16(v);
    }
    return w;
}

Bytes ephemerisMessage(uint8_t svid, const EphemerisWords& words) {
    PayloadWriter w(15);
    w.u8(svid);
    for (const uint16_t v : words) {
        w.u16(v);
    }
    return w;
}

Bytes almanacPatternMessage(uint8_t svid) {
    PayloadWriter w(14);
    w.u8(svid);
    for (uint32_t k = 0; k < 14; ++k) {
        w.u16(svid * 1000u + k * 4099u);
    }
    return w;
}

Bytes ephemerisPatternMessage(uint8_t svid) {
    PayloadWriter w(15);
    w.u8(svid);
    for (uint32_t k = 0; k < 45; ++k) {
        w.u16(svid * 700u + k * 1543u);
    }
    return w;
}

Bytes rawDgpsMessage(const Bytes& data) {
    PayloadWriter w(17);
    w.u16(static_cast<uint32_t>(data.size()));
    for (uint8_t b : data) {
        w.u8(b);
    }
    return w;
}

Bytes okToSendMessage(bool ready) {
    return PayloadWriter(18).u8(ready ? 1 : 0);
}

Bytes navParamsMessage() {
    return PayloadWriter(19)
        .u32(0)
        .u8(0)
        .u8(0)
        .u16(100) // altitude hold: auto, last KF alt, 100 m
        .u8(1)
        .u8(30)
        .u8(15) // degraded mode, its time-out, DR time-out
        .u8(1)
        .u8(0)
        .u8(1) // track smoothing, static navigation, 3SV LSQ
        .u32(0)
        .u8(0)
        .u16(75)
        .u8(28) // DOP mask, elevation mask 7.5 degrees, power mask
        .u32(0)
        .u8(1)
        .u8(0)
        .u8(30) // DGPS source, mode, time-out
        .u32(0)
        .u8(0)
        .u32(200)
        .u32(1000) // Wake-On-Demand off, Lullcycle 200 ms of 1000 ms
        .u8(1)
        .u32(5) // user tasks
        .u8(1)
        .u32(120000)
        .u32(30000) // Lullcycle on, acquisition and off times
        .u32(0)
        .u32(0);
}

Bytes dgpsStatusMessage(const ReceiverSnapshot& s, bool beacon) {
    PayloadWriter w(27);
    if (beacon) {
        w.u8(3).u32(304000).u8(100).u8(1).u32(5000).u16(45).u16(12);
    } else {
        w.u8(1);
        for (int ch = 0; ch < 12; ++ch) {
            w.u8(static_cast<uint32_t>(ch * 2));
        }
        w.fill(2);
    }
    for (size_t ch = 0; ch < 12; ++ch) {
        const uint8_t prn = ch < s.satellites.size() ? s.satellites[ch].prn : 0;
        w.u8(prn).u16(static_cast<uint16_t>(static_cast<int16_t>(prn * 37 - 400)));
    }
    return w;
}

Bytes navLibMeasurementMessage(const ReceiverSnapshot& s, const OutputOptions& o) {
    const Satellite sat = s.satellites.empty() ? Satellite{} : s.satellites.front();
    PayloadWriter w(28);
    w.u8(0).u32(s.towMs).u8(sat.prn);
    w.f64(s.towMs / 1000.0, o.lowWordFirst).f64(2.1234567890123e7, o.lowWordFirst);
    w.f32(-1234.5f).f64(1.5e-3, o.lowWordFirst).u16(1).u8(sat.cno);
    for (int k = 0; k < 10; ++k) {
        w.u8(sat.cno);
    }
    return w.u16(1000).u16(0).u16(static_cast<uint16_t>(-5)).u8(0).u8(0);
}

Bytes navLibDgpsMessage(const ReceiverSnapshot& s) {
    const uint8_t prn = s.satellites.empty() ? 0 : s.satellites.front().prn;
    return PayloadWriter(29).u16(prn).u16(2).u8(1).f32(1.25f).f32(-0.5f).f32(0.01f).f32(3.0f).f32(
        0.0f);
}

Bytes navLibSvStateMessage(const ReceiverSnapshot& s, const OutputOptions& o) {
    const uint8_t prn = s.satellites.empty() ? 0 : s.satellites.front().prn;
    PayloadWriter w(30);
    w.u8(prn).f64(s.towMs / 1000.0, o.lowWordFirst);
    const double pv[6] = {-1.2e7, 1.9e7, 1.3e7, 1234.5, -567.25, 2100.125};
    for (double v : pv) {
        w.f64(v, o.lowWordFirst);
    }
    w.f64(1.0e-5, o.lowWordFirst).f32(2.5e-9f).u8(1).f32(1.5f).f32(2.5f).f32(-0.75f);
    return w;
}

Bytes navLibInitMessage(const ReceiverSnapshot& s, const OutputOptions& o) {
    PayloadWriter w(31);
    w.u8(1).u8(0).u8(1).f32(35.0f).u8(1);
    for (int32_t c : s.ecef) {
        w.u16(static_cast<uint16_t>(c / 1000));
    }
    w.u8(0).u8(1).u16(1).u16(static_cast<uint16_t>(-2)).u16(3).u8(0).u16(10).u16(20).u16(30);
    w.u8(1).u16(50).u8(0).u16(28).u8(1).u16(100);
    w.f64(s.ecef[0], o.lowWordFirst).f64(s.ecef[1], o.lowWordFirst).f64(s.ecef[2], o.lowWordFirst);
    w.u8(1).f64(94315.0, o.lowWordFirst).u16(s.week).u8(2);
    w.f64(s.towMs / 1000.0, o.lowWordFirst).u8(0);
    return w;
}

// The velocity over the ground: speed and course in 0.01 m/s and 0.01 degree (0..35999), climb
// in 0.01 m/s, from the earth-centred velocity turned into local east, north and up. The binary
// geodetic message and the NMEA sentences report the same values.
struct GroundVelocity {
    uint16_t speed;
    uint16_t course;
    int16_t climb;
};

GroundVelocity groundVelocity(const ReceiverSnapshot& s) {
    const double lat = s.latitude * kDeg;
    const double lon = s.longitude * kDeg;
    const double vx = s.velocity[0] / 8.0;
    const double vy = s.velocity[1] / 8.0;
    const double vz = s.velocity[2] / 8.0;
    const double east = -std::sin(lon) * vx + std::cos(lon) * vy;
    const double north = -std::sin(lat) * std::cos(lon) * vx - std::sin(lat) * std::sin(lon) * vy +
                         std::cos(lat) * vz;
    const double up = std::cos(lat) * std::cos(lon) * vx + std::cos(lat) * std::sin(lon) * vy +
                      std::sin(lat) * vz;
    double course = std::atan2(east, north) / kDeg;
    course += course < 0 ? 360 : 0;
    return {static_cast<uint16_t>(std::hypot(east, north) * 100),
            static_cast<uint16_t>(static_cast<int>(course * 100) % 36000),
            static_cast<int16_t>(up * 100)};
}

// Course in degrees true with one decimal, 0.0..359.9.
std::string nmeaCourse(const GroundVelocity& g) {
    const int tenths = (g.course + 5) / 10 % 3600;
    return fmt("%.0f.%.0f", static_cast<double>(tenths / 10), static_cast<double>(tenths % 10));
}

std::string nmeaSpeed(const GroundVelocity& g, double unitsPerMetre) {
    return fmt("%.1f", g.speed / 100.0 * unitsPerMetre);
}

constexpr double kKnotsPerMps = 3600.0 / 1852.0;
constexpr double kKmhPerMps = 3.6;

Bytes geodeticNavMessage(const ReceiverSnapshot& s) {
    const uint32_t daySeconds = (s.towMs / 1000) % 86400;
    const GroundVelocity ground = groundVelocity(s);
    return PayloadWriter(41)
        .u16(0)
        .u16(static_cast<uint16_t>(0x0200 | s.mode1))
        .u16(s.week)
        .u32(s.towMs)
        .u16(2002)
        .u8(9)
        .u16(6)
        .u16(daySeconds / 3600)
        .u16(daySeconds / 60 % 60)
        .u16(daySeconds % 60 * 1000 + s.towMs % 1000)
        .u8(static_cast<uint32_t>(s.satellites.size()))
        .u32(asU32(s.latitude * 1e7))
        .u32(asU32(s.longitude * 1e7))
        .u32(asU32(s.altitude * 100))
        .u32(asU32(s.altitude * 100 + 3200))
        .u8(21)
        .u16(ground.speed)
        .u16(ground.course)
        .u16(0)
        .u16(static_cast<uint16_t>(ground.climb))
        .u16(57)
        .u32(350)
        .u32(700)
        .u32(800)
        .u16(15)
        .u32(asU32(-94315))
        .u32(1234)
        .u32(9431)
        .u32(56)
        .u32(1520)
        .u16(30)
        .u16(250)
        .fill(3);
}

Bytes commandParamsMessage(const Bytes& echoedPayload) {
    PayloadWriter w(43);
    for (uint8_t b : echoedPayload) {
        w.u8(b);
    }
    return w;
}

Bytes drOutMessage(uint8_t subId, uint32_t second) {
    PayloadWriter w(48);
    w.u8(subId);
    switch (subId) {
    case 1:
        w.u8(1).u16(0x00FF);
        for (int k = 0; k < 12; ++k) {
            w.u8(static_cast<uint32_t>(k));
        }
        break;
    case 2:
        for (uint32_t k = 0; k < 10; ++k) {
            w.u16(k * 11 + second % 5);
        }
        w.u32(second * 1000).u16(7).u8(1).u8(0);
        break;
    case 3:
        for (uint32_t k = 0; k < 6; ++k) {
            w.u16(100 + k);
        }
        w.u32(4000000000u);
        for (uint32_t k = 0; k < 6; ++k) {
            w.u16(200 + k);
        }
        w.u32(second).u8(1).u8(2);
        break;
    case 4:
        w.u32(asU32(-5)).u32(70000).u16(1).u16(2).u16(3);
        break;
    case 8:
        w.u8(1).u8(10).u16(250);
        for (uint32_t k = 0; k < 10; ++k) {
            w.u32(second * 1000 + k * 100).u16(3000 + k).u16(k % 2);
        }
        break;
    default:
        w.fill(4, 0x5A);
        break;
    }
    return w;
}

Bytes sbasStatusMessage() {
    return PayloadWriter(50).u8(122).u8(1).u8(18).u8(0x08);
}

Bytes debugTextMessage(const std::string& text) {
    return PayloadWriter(255).text(text);
}

std::string ggaBody(const ReceiverSnapshot& s) {
    return "GPGGA," + nmeaTime(s) + "," + nmeaAngle(s.latitude, 2, 'N', 'S') + "," +
           nmeaAngle(s.longitude, 3, 'E', 'W') + ",1," +
           fmt("%02.0f,1.4,%.1f,M,-25.7,M,,0000", static_cast<double>(s.satellites.size()),
               s.altitude);
}

std::string rmcBody(const ReceiverSnapshot& s) {
    return "GPRMC," + nmeaTime(s) + ",A," + nmeaAngle(s.latitude, 2, 'N', 'S') + "," +
           nmeaAngle(s.longitude, 3, 'E', 'W') + "," + nmeaSpeed(groundVelocity(s), kKnotsPerMps) +
           "," + nmeaCourse(groundVelocity(s)) + ",060902,,";
}

std::string gsaBody(const ReceiverSnapshot& s) {
    std::string body = "GPGSA,A,3";
    for (size_t i = 0; i < 12; ++i) {
        body += i < s.satellites.size() ? fmt(",%02.0f", s.satellites[i].prn) : ",";
    }
    return body + ",2.1,1.4,1.6";
}

std::vector<std::string> gsvBodies(const ReceiverSnapshot& s) {
    const size_t count = s.satellites.size();
    const size_t messages = std::max<size_t>(1, (count + 3) / 4);
    std::vector<std::string> out;
    for (size_t m = 0; m < messages; ++m) {
        std::string body = fmt("GPGSV,%.0f,%.0f,%02.0f", static_cast<double>(messages),
                               static_cast<double>(m + 1), static_cast<double>(count));
        for (size_t i = m * 4; i < std::min(count, m * 4 + 4); ++i) {
            const Satellite& sat = s.satellites[i];
            body += fmt(",%02.0f,%02.0f,%03.0f", sat.prn, std::floor(sat.elevation),
                        std::floor(sat.azimuth));
            body += fmt(",%02.0f", sat.cno);
        }
        out.push_back(body);
    }
    return out;
}

std::string gllBody(const ReceiverSnapshot& s) {
    return "GPGLL," + nmeaAngle(s.latitude, 2, 'N', 'S') + "," +
           nmeaAngle(s.longitude, 3, 'E', 'W') + "," + nmeaTime(s) + ",A";
}

std::string vtgBody(const ReceiverSnapshot& s) {
    const GroundVelocity g = groundVelocity(s);
    return "GPVTG," + nmeaCourse(g) + ",T,,M," + nmeaSpeed(g, kKnotsPerMps) + ",N," +
           nmeaSpeed(g, kKmhPerMps) + ",K";
}

} // namespace zeph::sim
