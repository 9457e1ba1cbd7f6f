#include "output_catalogue.h"

#include "layout_checks.h"
#include "message_records.h"

#include <array>

namespace zeph::monitor {
namespace {

using T = FieldType;

// Rows of messages with a record name its member (ZEPH_FIELD, layout_checks.h); the others are
// shown by position only and have no record.

constexpr Field kNav[] = {
    ZEPH_FIELD(NavRecord, ecef, 1, T::I32, 3, "%ld"),
    ZEPH_FIELD(NavRecord, velocity, 13, T::I16, 3, "%.3f", 1.0 / 8),
    ZEPH_FIELD(NavRecord, mode1, 19, T::U8, 1, "%d"),
    ZEPH_FIELD(NavRecord, hdop, 20, T::U8, 1, "%.1f", 0.2),
    ZEPH_FIELD(NavRecord, mode2, 21, T::U8, 1, "%d"),
    ZEPH_FIELD(NavRecord, week, 22, T::U16, 1, "%d"),
    ZEPH_FIELD(NavRecord, tow, 24, T::U32, 1, "%ld"),
    ZEPH_FIELD(NavRecord, svCount, 28, T::U8, 1, "%d"),
    ZEPH_FIELD(NavRecord, prn, 29, T::U8, 12, "%d"),
};

constexpr Field kTrackHeader[] = {
    ZEPH_FIELD(TrackRecord, week, 1, T::U16, 1, "%d"),
    ZEPH_FIELD(TrackRecord, tow, 3, T::U32, 1, "%ld"),
    ZEPH_FIELD(TrackRecord, channelCount, 7, T::U8, 1, "%d"),
};
constexpr Field kTrackChannel[] = {
    ZEPH_FIELD(TrackChannel, svid, 0, T::U8, 1, "%d"),
    ZEPH_FIELD(TrackChannel, azimuth, 1, T::U8, 1, "%d", 1.5),
    ZEPH_FIELD(TrackChannel, elevation, 2, T::U8, 1, "%d", 0.5),
    ZEPH_FIELD(TrackChannel, state, 3, T::U16, 1, "%d"),
    ZEPH_FIELD(TrackChannel, cno, 5, T::U8, 10, "%d"),
};
constexpr Group kTrackChannels = ZEPH_GROUP(TrackRecord, channel, 8, 12, 15, kTrackChannel);

constexpr Field kRawTrack[] = {
    {1, T::I32, 1, "%ld"}, {5, T::U16, 1, "%d"},  {7, T::U16, 1, "%02x"}, {9, T::I32, 1, "%ld"},
    {13, T::U16, 1, "%d"}, {15, T::U16, 1, "%d"}, {17, T::I32, 4, "%ld"}, {33, T::U16, 1, "%d"},
    {35, T::U8, 10, "%d"}, {45, T::U8, 1, "%d"},  {46, T::U8, 1, "%d"},   {47, T::U16, 1, "%d"},
    {49, T::U16, 1, "%d"},
};

constexpr Field kClockStatus[] = {
    ZEPH_FIELD(ClockStatusRecord, week, 1, T::U16),
    ZEPH_FIELD(ClockStatusRecord, tow, 3, T::U32),
    ZEPH_FIELD(ClockStatusRecord, svCount, 7, T::U8),
    ZEPH_FIELD(ClockStatusRecord, drift, 8, T::U32),
    ZEPH_FIELD(ClockStatusRecord, bias, 12, T::U32),
    ZEPH_FIELD(ClockStatusRecord, estGpsTime, 16, T::U32),
};
constexpr Field k50Bps[] = {
    ZEPH_FIELD(Data50BpsRecord, channel, 1, T::U8),
    ZEPH_FIELD(Data50BpsRecord, svid, 2, T::U8),
    ZEPH_FIELD(Data50BpsRecord, word, 3, T::U32, 10),
};
constexpr Field kThroughput[] = {
    ZEPH_FIELD(ThroughputRecord, segStatMax, 1, T::U16),
    ZEPH_FIELD(ThroughputRecord, latency, 3, T::U16),
    ZEPH_FIELD(ThroughputRecord, avgTrkTime, 5, T::U16),
    ZEPH_FIELD(ThroughputRecord, navComplete, 7, T::U16),
};
constexpr Field kAck[] = {
    ZEPH_FIELD(AckRecord, ackedMid, 1, T::U8),
    ZEPH_FIELD(AckRecord, ackedSubId, 2, T::U8),
};
constexpr Field kAlmanac[] = {
    ZEPH_FIELD(AlmanacRecord, svid, 1, T::U8),
    ZEPH_FIELD(AlmanacRecord, word, 2, T::U16, 14),
};
constexpr Field kEphemeris[] = {
    ZEPH_FIELD(EphemerisRecord, svid, 1, T::U8),
    ZEPH_FIELD(EphemerisRecord, word, 2, T::U16, 45),
};
constexpr Field kOkToSend[] = {ZEPH_FIELD(OkToSendRecord, flag, 1, T::U8)};
constexpr Field kSbasStatus[] = {
    ZEPH_FIELD(SbasStatusRecord, prn, 1, T::U8),
    ZEPH_FIELD(SbasStatusRecord, mode, 2, T::U8),
    ZEPH_FIELD(SbasStatusRecord, timeout, 3, T::U8),
    ZEPH_FIELD(SbasStatusRecord, flags, 4, T::U8),
};

constexpr Field kNavParams[] = {
    ZEPH_FIELD(NavParamsRecord, reserved1, 1, T::U32),
    ZEPH_FIELD(NavParamsRecord, altMode, 5, T::U8),
    ZEPH_FIELD(NavParamsRecord, altSource, 6, T::U8),
    ZEPH_FIELD(NavParamsRecord, altitude, 7, T::I16),
    ZEPH_FIELD(NavParamsRecord, degradedMode, 9, T::U8),
    ZEPH_FIELD(NavParamsRecord, degradedTimeout, 10, T::U8),
    ZEPH_FIELD(NavParamsRecord, drTimeout, 11, T::U8),
    ZEPH_FIELD(NavParamsRecord, trkSmoothMode, 12, T::U8),
    ZEPH_FIELD(NavParamsRecord, staticNav, 13, T::U8),
    ZEPH_FIELD(NavParamsRecord, threeSvLsq, 14, T::U8),
    ZEPH_FIELD(NavParamsRecord, reserved2, 15, T::U32),
    ZEPH_FIELD(NavParamsRecord, dopMaskMode, 19, T::U8),
    ZEPH_FIELD(NavParamsRecord, elevMask, 20, T::I16),
    ZEPH_FIELD(NavParamsRecord, pwrMask, 22, T::U8),
    ZEPH_FIELD(NavParamsRecord, reserved3, 23, T::U32),
    ZEPH_FIELD(NavParamsRecord, dgpsSrc, 27, T::U8),
    ZEPH_FIELD(NavParamsRecord, dgpsMode, 28, T::U8),
    ZEPH_FIELD(NavParamsRecord, dgpsTimeout, 29, T::U8),
    ZEPH_FIELD(NavParamsRecord, reserved4, 30, T::U32),
    ZEPH_FIELD(NavParamsRecord, wakeOnDemand, 34, T::U8),
    ZEPH_FIELD(NavParamsRecord, lullOnTime, 35, T::U32),
    ZEPH_FIELD(NavParamsRecord, lullPeriod, 39, T::U32),
    ZEPH_FIELD(NavParamsRecord, userTasksEnabled, 43, T::U8),
    ZEPH_FIELD(NavParamsRecord, userTaskPeriod, 44, T::U32),
    ZEPH_FIELD(NavParamsRecord, lullEnabled, 48, T::U8),
    ZEPH_FIELD(NavParamsRecord, maxAcqTime, 49, T::U32),
    ZEPH_FIELD(NavParamsRecord, maxOffTime, 53, T::U32),
    ZEPH_FIELD(NavParamsRecord, reserved5, 57, T::U32, 2),
};

constexpr Field kNavLibMeas[] = {
    {1, T::U8, 1, "%d"},      {2, T::U32, 1, "%ld"},    {6, T::U8, 1, "%d"},
    {7, T::F64, 1, "%.10e"},  {15, T::F64, 1, "%.10e"}, {23, T::F32, 1, "%.10e"},
    {27, T::F64, 1, "%.10e"}, {35, T::U16, 1, "%d"},    {37, T::U8, 1, "%d"},
    {38, T::U8, 10, "%d"},    {48, T::U16, 1, "%d"},    {50, T::U16, 1, "%d"},
    {52, T::I16, 1, "%d"},    {54, T::U8, 1, "%d"},     {55, T::U8, 1, "%d"},
};
constexpr Field kNavLibDgps[] = {
    {1, T::I16, 1, "%d"},
    {3, T::I16, 1, "%d"},
    {5, T::U8, 1, "%d"},
    {6, T::F32, 5, "%.10e"},
};
constexpr Field kNavLibSvState[] = {
    {1, T::U8, 1, "%d"},      {2, T::F64, 1, "%.11e"},  {10, T::F64, 6, "%.10e"},
    {58, T::F64, 1, "%.10e"}, {66, T::F32, 1, "%.10e"}, {70, T::U8, 1, "%d"},
    {71, T::F32, 3, "%.10e"},
};
constexpr Field kNavLibInit[] = {
    {1, T::U8, 3, "%d"},   {4, T::F32, 1, "%.10e"},  {8, T::U8, 1, "%d"},
    {9, T::I16, 3, "%d"},  {15, T::U8, 2, "%d"},     {17, T::I16, 3, "%d"},
    {23, T::U8, 1, "%d"},  {24, T::I16, 3, "%d"},    {30, T::U8, 1, "%d"},
    {31, T::I16, 1, "%d"}, {33, T::U8, 1, "%d"},     {34, T::I16, 1, "%d"},
    {36, T::U8, 1, "%d"},  {37, T::I16, 1, "%d"},    {39, T::F64, 3, "%.10e"},
    {63, T::U8, 1, "%d"},  {64, T::F64, 1, "%.10e"}, {72, T::U16, 1, "%d"},
    {74, T::U8, 1, "%d"},  {75, T::F64, 1, "%.10e"}, {83, T::U8, 1, "%d"},
};

constexpr Field kGeodetic[] = {
    ZEPH_FIELD(GeodeticNavRecord, navValid, 1, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, navType, 3, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, extWeek, 5, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, tow, 7, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, utcYear, 11, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, utcMonth, 13, T::U8, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, utcDay, 14, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, utcHour, 16, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, utcMinute, 18, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, utcSecond, 20, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, svCount, 22, T::U8, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, latitude, 23, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, longitude, 27, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, altEllipsoid, 31, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, altMsl, 35, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, datum, 39, T::U8, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, speed, 40, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, course, 42, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, magVariation, 44, T::I16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, climbRate, 46, T::I16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, headingRate, 48, T::I16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, ehpe, 50, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, evpe, 54, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, ete, 58, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, ehve, 62, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, clockBias, 64, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, clockBiasError, 68, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, clockDrift, 72, T::I32, 1, "%ld"),
    ZEPH_FIELD(GeodeticNavRecord, clockDriftError, 76, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, distance, 80, T::U32, 1, "%lu"),
    ZEPH_FIELD(GeodeticNavRecord, distanceError, 84, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, headingError, 86, T::U16, 1, "%d"),
    ZEPH_FIELD(GeodeticNavRecord, reserved, 88, T::U8, 3),
};

// MID 10, 13 and 17 carry counts; their layouts here are the largest the record holds.
constexpr Field kErrorHeader[] = {
    ZEPH_FIELD(ErrorRecord, errorId, 1, T::U16),
    ZEPH_FIELD(ErrorRecord, count, 3, T::U16),
};
constexpr Field kVisibleHeader[] = {ZEPH_FIELD(VisibleListRecord, count, 1, T::U8)};
constexpr Field kVisibleEntry[] = {
    ZEPH_FIELD(VisibleEntry, svid, 0, T::U8),
    ZEPH_FIELD(VisibleEntry, azimuth, 1, T::U16),
    ZEPH_FIELD(VisibleEntry, elevation, 3, T::U16),
};
constexpr Group kVisibleEntries = ZEPH_GROUP(VisibleListRecord, entry, 2, 0, 5, kVisibleEntry);
constexpr Field kRawDgpsHeader[] = {ZEPH_FIELD(RawDgpsRecord, count, 1, T::I16)};

constexpr Field kDgpsBeacon[] = {
    ZEPH_FIELD(DgpsStatusRecord, sourceType, 1, T::U8),
    ZEPH_FIELD(DgpsStatusRecord, beacon.frequency, 2, T::U32),
    ZEPH_FIELD(DgpsStatusRecord, beacon.bitRate, 6, T::U8),
    ZEPH_FIELD(DgpsStatusRecord, beacon.status, 7, T::U8),
    ZEPH_FIELD(DgpsStatusRecord, beacon.magnitude, 8, T::U32),
    ZEPH_FIELD(DgpsStatusRecord, beacon.strength, 12, T::I16),
    ZEPH_FIELD(DgpsStatusRecord, beacon.snr, 14, T::I16),
};
constexpr Field kDgpsAges[] = {
    ZEPH_FIELD(DgpsStatusRecord, sourceType, 1, T::U8),
    ZEPH_FIELD(DgpsStatusRecord, age, 2, T::U8, 12),
};
constexpr Field kDgpsCorrection[] = {
    ZEPH_FIELD(DgpsCorrection, svid, 0, T::U8),
    ZEPH_FIELD(DgpsCorrection, correction, 1, T::I16),
};
constexpr Group kDgpsCorrections =
    ZEPH_GROUP(DgpsStatusRecord, correction, 16, 12, 3, kDgpsCorrection);
constexpr Layout kDgpsBeaconLayout{52, kDgpsBeacon, kDgpsCorrections};
constexpr Layout kDgpsAgesLayout{52, kDgpsAges, kDgpsCorrections};

constexpr Field kDrOut1[] = {
    ZEPH_FIELD(DrValidityRecord, subId, 1, T::U8, 1, "%d"),
    ZEPH_FIELD(DrValidityRecord, navStatus, 2, T::U8, 1, "%d"),
    ZEPH_FIELD(DrValidityRecord, dataValid, 3, T::U16, 1, "%d"),
    ZEPH_FIELD(DrValidityRecord, status, 5, T::U8, 10, "%d"),
    ZEPH_FIELD(DrValidityRecord, reserved, 15, T::U8, 2),
};
constexpr Field kDrOut2[] = {
    ZEPH_FIELD(DrNavStateRecord, subId, 1, T::U8, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, speed, 2, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, speedError, 4, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, speedSf, 6, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, speedSfError, 8, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, headingRate, 10, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, headingRateError, 12, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, gyroBias, 14, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, gyroBiasError, 16, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, gyroSf, 18, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, gyroSfError, 20, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, positionError, 22, T::U32, 1, "%lu"),
    ZEPH_FIELD(DrNavStateRecord, headingError, 26, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, navControl, 28, T::U8, 1, "%d"),
    ZEPH_FIELD(DrNavStateRecord, reserved, 29, T::U8),
};
constexpr Field kDrOut3[] = {
    ZEPH_FIELD(DrNavSubsystemRecord, subId, 1, T::U8, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsHeadingRate, 2, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsHeadingRateError, 4, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsHeading, 6, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsHeadingError, 8, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsSpeed, 10, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsSpeedError, 12, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, gpsPositionError, 14, T::U32, 1, "%lu"),
    ZEPH_FIELD(DrNavSubsystemRecord, drHeadingRate, 18, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drHeadingRateError, 20, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drHeading, 22, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drHeadingError, 24, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drSpeed, 26, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drSpeedError, 28, T::U16, 1, "%d"),
    ZEPH_FIELD(DrNavSubsystemRecord, drPositionError, 30, T::U32, 1, "%lu"),
    ZEPH_FIELD(DrNavSubsystemRecord, reserved, 34, T::U8, 2),
};
constexpr Field kDrOut4[] = {{1, T::U8, 1, "%d"}, {2, T::U32, 2, "%ld"}, {10, T::U16, 3, "%d"}};
constexpr Field kDrOut8[] = {
    ZEPH_FIELD(DrDataBlockRecord, subId, 1, T::U8, 1, "%d"),
    ZEPH_FIELD(DrDataBlockRecord, measType, 2, T::U8, 1, "%d"),
    ZEPH_FIELD(DrDataBlockRecord, validCount, 3, T::U8, 1, "%d"),
    ZEPH_FIELD(DrDataBlockRecord, backupFlags, 4, T::U16, 1, "%d"),
};
constexpr Field kDrOut8Entry[] = {
    ZEPH_FIELD(DrDataEntry, time, 0, T::U32, 1, "%lu"),
    ZEPH_FIELD(DrDataEntry, speed, 4, T::U16, 1, "%d"),
    ZEPH_FIELD(DrDataEntry, gyroRate, 6, T::U16, 1, "%d"),
};
constexpr Group kDrOut8Entries = ZEPH_GROUP(DrDataBlockRecord, entry, 6, 10, 8, kDrOut8Entry);

struct DrOutEntry {
    uint8_t subId;
    Layout layout;
};
constexpr DrOutEntry kDrOut[] = {
    {1, {17, kDrOut1}},
    {2, {30, kDrOut2}},
    {3, {36, kDrOut3}},
    {4, {16, kDrOut4}},
    {8, {86, kDrOut8, kDrOut8Entries}},
};

// MID 43 echoes, counted from the echoed command's MID.
constexpr Field kEcho133[] = {{0, T::U8, 2}, {2, T::U32}, {6, T::U8}};
constexpr Field kEcho136[] = {{0, T::U8, 6}, {6, T::I16}, {8, T::U8, 6}};
// Echoes of bytes only, by length.
constexpr Field kEcho2Bytes[] = {{0, T::U8, 2}};
constexpr Field kEcho3Bytes[] = {{0, T::U8, 3}};
constexpr Field kEcho4Bytes[] = {{0, T::U8, 4}};
constexpr Field kEcho5Bytes[] = {{0, T::U8, 5}};
constexpr Field kEcho139[] = {{0, T::U8}, {1, T::I16, 2}};
constexpr Field kEcho151[] = {
    {0, T::U8}, {1, T::U16, 2},  {5, T::U32},                      // the low-power command
    {9, T::U8}, {10, T::U32, 3}, {22, T::U16, 2}, {26, T::U32, 2}, // its acquisition parameters
};
struct EchoEntry {
    uint8_t mid;
    Layout layout;
};
constexpr EchoEntry kEchoes[] = {
    {133, {7, kEcho133}},    {136, {14, kEcho136}}, {137, {5, kEcho5Bytes}},
    {138, {3, kEcho3Bytes}}, {139, {5, kEcho139}},  {140, {3, kEcho3Bytes}},
    {143, {2, kEcho2Bytes}}, {151, {34, kEcho151}}, {170, {4, kEcho4Bytes}},
};

using D = Decoding;
using R = Rendering;
constexpr OutputMessage kCatalogue[] = {
    {1, D::Fixed, R::Csv, {41, kNav}},
    {2, D::Fixed, R::Csv, {41, kNav}},
    {3, D::Fixed, R::Csv, {188, kTrackHeader, kTrackChannels}},
    {4, D::Fixed, R::Csv, {188, kTrackHeader, kTrackChannels}},
    {5, D::Fixed, R::Csv, {51, kRawTrack}},
    {6, D::SwVersion, R::Hook, {}},
    {7, D::Fixed, R::Hook, {20, kClockStatus}},
    {8, D::Fixed, R::Hook, {43, k50Bps}},
    {9, D::Fixed, R::Hook, {9, kThroughput}},
    {10, D::Error, R::Hook, {5, kErrorHeader}},
    {11, D::Fixed, R::Hook, {3, kAck}},
    {12, D::Fixed, R::Hook, {3, kAck}},
    {13, D::VisibleList, R::Hook, {2, kVisibleHeader, kVisibleEntries}},
    {14, D::Fixed, R::Hook, {30, kAlmanac}},
    {15, D::Fixed, R::Hook, {92, kEphemeris}},
    {17, D::RawDgps, R::Hook, {3, kRawDgpsHeader}},
    {18, D::Fixed, R::Hook, {2, kOkToSend}},
    {19, D::Fixed, R::Hook, {65, kNavParams}},
    {27, D::DgpsStatus, R::None, {}},
    {28, D::Fixed, R::Csv, {56, kNavLibMeas}},
    {29, D::Fixed, R::Csv, {26, kNavLibDgps}},
    {30, D::Fixed, R::Csv, {83, kNavLibSvState}},
    {31, D::Fixed, R::Csv, {84, kNavLibInit}},
    {41, D::Fixed, R::Csv, {91, kGeodetic}},
    {43, D::CommandEcho, R::None, {}},
    {48, D::DrOut, R::Csv, {}},
    {50, D::Fixed, R::None, {5, kSbasStatus}},
    {255, D::Text, R::Hook, {}},
};

constexpr std::array<const OutputMessage*, 256> indexByMid() {
    std::array<const OutputMessage*, 256> index{};
    for (const OutputMessage& m : kCatalogue) {
        index[m.mid] = &m;
    }
    return index;
}
constexpr auto kByMid = indexByMid();

constexpr bool everyLayoutInOrder() {
    for (const OutputMessage& m : kCatalogue) {
        if (!layoutInOrder(m.layout)) {
            return false;
        }
    }
    for (const DrOutEntry& e : kDrOut) {
        if (!layoutInOrder(e.layout)) {
            return false;
        }
    }
    for (const EchoEntry& e : kEchoes) {
        if (!layoutInOrder(e.layout)) {
            return false;
        }
    }
    return layoutInOrder(kDgpsBeaconLayout) && layoutInOrder(kDgpsAgesLayout);
}
static_assert(everyLayoutInOrder(), "a layout's rows overlap, go backwards or pass its end");

} // namespace

const OutputMessage* outputMessage(uint8_t mid) {
    return kByMid[mid];
}

const Layout* drOutLayout(uint8_t subId) {
    for (const DrOutEntry& e : kDrOut) {
        if (e.subId == subId) {
            return &e.layout;
        }
    }
    return nullptr;
}

const Layout& dgpsStatusLayout(uint8_t sourceType) {
    return sourceType == 3 ? kDgpsBeaconLayout : kDgpsAgesLayout;
}

const Layout* commandEchoLayout(uint8_t echoedMid) {
    for (const EchoEntry& e : kEchoes) {
        if (e.mid == echoedMid) {
            return &e.layout;
        }
    }
    return nullptr;
}

} // namespace zeph::monitor
