#pragma once

// Typed views of the sub-records in RxMessage::record. Each struct is packed so that its fields
// lie at the wire offsets of its message; the decoder has already put them in host byte order.
// Read their fields by value (r.word[k]); a reference or pointer to a packed field may be
// misaligned.

#include <cstdint>

namespace zeph::monitor {

#pragma pack(push, 1)

struct NavRecord { // MID 1 and 2
    uint8_t mid;
    int32_t ecef[3];     // metres
    int16_t velocity[3]; // 1/8 m/s
    uint8_t mode1;
    uint8_t hdop; // 1/5
    uint8_t mode2;
    uint16_t week;
    uint32_t tow; // 1/100 s
    uint8_t svCount;
    uint8_t prn[12];
};
static_assert(sizeof(NavRecord) == 41);

struct TrackChannel {
    uint8_t svid;
    uint8_t azimuth;   // degrees / 1.5
    uint8_t elevation; // degrees / 0.5
    uint16_t state;
    uint8_t cno[10]; // dB-Hz, one per 100 ms
};
static_assert(sizeof(TrackChannel) == 15);

struct TrackRecord { // MID 3 and 4
    uint8_t mid;
    uint16_t week;
    uint32_t tow; // 1/100 s
    uint8_t channelCount;
    TrackChannel channel[12];
    uint8_t averageCno[12]; // added by the decoder: mean of the non-zero C/No values
};
static_assert(sizeof(TrackRecord) == 188 + 12);

struct SwVersionRecord { // MID 6
    uint8_t mid;
    char text[255]; // NUL-terminated
};

struct ClockStatusRecord { // MID 7
    uint8_t mid;
    uint16_t week;
    uint32_t tow;
    uint8_t svCount;
    uint32_t drift;      // Hz
    uint32_t bias;       // ns
    uint32_t estGpsTime; // ms
};
static_assert(sizeof(ClockStatusRecord) == 20);

struct Data50BpsRecord { // MID 8
    uint8_t mid;
    uint8_t channel;
    uint8_t svid; // 0: nothing to show
    uint32_t word[10];
};
static_assert(sizeof(Data50BpsRecord) == 43);

struct ThroughputRecord { // MID 9, times in units where 186 equal 1 ms
    uint8_t mid;
    uint16_t segStatMax;
    uint16_t latency;
    uint16_t avgTrkTime;
    uint16_t navComplete;
};
static_assert(sizeof(ThroughputRecord) == 9);

constexpr int kMaxErrorParams = 60;
struct ErrorRecord { // MID 10
    uint8_t mid;
    uint16_t errorId;
    uint16_t count; // capped at kMaxErrorParams
    uint32_t param[kMaxErrorParams];
};

struct AckRecord { // MID 11 and 12
    uint8_t mid;
    uint8_t ackedMid;
    uint8_t ackedSubId;
};

// The receiver's list holds 32 satellites, but counts above 32 are taken as 33.
constexpr int kMaxVisible = 33;
struct VisibleEntry {
    uint8_t svid;
    uint16_t azimuth;
    uint16_t elevation;
};
struct VisibleListRecord { // MID 13
    uint8_t mid;
    uint8_t count;
    VisibleEntry entry[kMaxVisible];
};

struct AlmanacRecord { // MID 14
    uint8_t mid;
    uint8_t svid;
    uint16_t word[14];
};
static_assert(sizeof(AlmanacRecord) == 30);

struct EphemerisRecord { // MID 15
    uint8_t mid;
    uint8_t svid;
    uint16_t word[45];
};
static_assert(sizeof(EphemerisRecord) == 92);

constexpr int kMaxRawDgpsBytes = 1000;
struct RawDgpsRecord { // MID 17
    uint8_t mid;
    int16_t count;
    char hex[2 * kMaxRawDgpsBytes + 1]; // upper-case hex of the data, NUL-terminated
};

struct OkToSendRecord { // MID 18
    uint8_t mid;
    uint8_t flag;
};

struct NavParamsRecord { // MID 19
    uint8_t mid;
    uint32_t reserved1;
    uint8_t altMode;
    uint8_t altSource;
    int16_t altitude;
    uint8_t degradedMode;
    uint8_t degradedTimeout;
    uint8_t drTimeout;
    uint8_t trkSmoothMode;
    uint8_t staticNav;
    uint8_t threeSvLsq;
    uint32_t reserved2;
    uint8_t dopMaskMode;
    int16_t elevMask; // 1/10 degree
    uint8_t pwrMask;
    uint32_t reserved3;
    uint8_t dgpsSrc;
    uint8_t dgpsMode;
    uint8_t dgpsTimeout;
    uint32_t reserved4;
    uint8_t wakeOnDemand;
    uint32_t lullOnTime; // ms
    uint32_t lullPeriod; // ms
    uint8_t userTasksEnabled;
    uint32_t userTaskPeriod;
    uint8_t lullEnabled;
    uint32_t maxAcqTime; // ms
    uint32_t maxOffTime; // ms
    uint32_t reserved5[2];
};
static_assert(sizeof(NavParamsRecord) == 65);

struct DgpsCorrection {
    uint8_t svid;
    int16_t correction; // 0.01 m
};
struct DgpsBeacon {
    uint32_t frequency;
    uint8_t bitRate;
    uint8_t status;
    uint32_t magnitude;
    int16_t strength;
    int16_t snr;
};
struct DgpsStatusRecord { // MID 27
    uint8_t mid;
    uint8_t sourceType; // 3: internal beacon
    union {
        DgpsBeacon beacon;
        uint8_t age[12]; // per-channel correction ages; the two bytes after them are skipped
    };
    DgpsCorrection correction[12];
};
static_assert(sizeof(DgpsStatusRecord) == 52);

struct GeodeticNavRecord { // MID 41
    uint8_t mid;
    uint16_t navValid;
    uint16_t navType;
    uint16_t extWeek;
    uint32_t tow; // ms
    uint16_t utcYear;
    uint8_t utcMonth;
    uint16_t utcDay;
    uint16_t utcHour;
    uint16_t utcMinute;
    uint16_t utcSecond; // ms
    uint8_t svCount;
    int32_t latitude;     // 1e-7 degree
    int32_t longitude;    // 1e-7 degree
    int32_t altEllipsoid; // 0.01 m
    int32_t altMsl;       // 0.01 m
    uint8_t datum;
    uint16_t speed;  // 0.01
    uint16_t course; // 0.01 degree
    int16_t magVariation;
    int16_t climbRate;
    int16_t headingRate;
    uint32_t ehpe;
    uint32_t evpe;
    uint32_t ete;
    uint16_t ehve;
    int32_t clockBias;
    uint32_t clockBiasError;
    int32_t clockDrift;
    uint32_t clockDriftError;
    uint32_t distance;
    uint16_t distanceError;
    uint16_t headingError; // 0.01
    uint8_t reserved[3];
};
static_assert(sizeof(GeodeticNavRecord) == 91);

struct CommandParamsRecord { // MID 43: the echoed command's own payload from offset 1
    uint8_t mid;
    uint8_t echoedMid;
    uint8_t payload[40];
};

// MID 48, the dead-reckoning output, by sub-ID.
struct DrValidityRecord { // sub-ID 1
    uint8_t mid;
    uint8_t subId;
    uint8_t navStatus;  // status byte 1
    uint16_t dataValid; // one bit per sensor datum
    uint8_t status[10]; // status bytes 2 to 11
    uint8_t reserved[2];
};
static_assert(sizeof(DrValidityRecord) == 17);

struct DrNavStateRecord { // sub-ID 2
    uint8_t mid;
    uint8_t subId;
    uint16_t speed;            // 0.01
    uint16_t speedError;       // 0.01
    uint16_t speedSf;          // 0.0001
    uint16_t speedSfError;     // 0.0001
    uint16_t headingRate;      // 0.01
    uint16_t headingRateError; // 0.01
    uint16_t gyroBias;         // 0.01
    uint16_t gyroBiasError;    // 0.01
    uint16_t gyroSf;           // 0.0001
    uint16_t gyroSfError;      // 0.0001
    uint32_t positionError;    // 0.01
    uint16_t headingError;     // 0.01
    uint8_t navControl;
    uint8_t reserved;
};
static_assert(sizeof(DrNavStateRecord) == 30);

struct DrNavSubsystemRecord { // sub-ID 3
    uint8_t mid;
    uint8_t subId;
    uint16_t gpsHeadingRate;      // 0.0001
    uint16_t gpsHeadingRateError; // 0.01
    uint16_t gpsHeading;          // 0.01
    uint16_t gpsHeadingError;     // 0.01
    uint16_t gpsSpeed;            // 0.01
    uint16_t gpsSpeedError;       // 0.01
    uint32_t gpsPositionError;    // 0.01
    uint16_t drHeadingRate;       // 0.0001
    uint16_t drHeadingRateError;  // 0.01
    uint16_t drHeading;           // 0.01
    uint16_t drHeadingError;      // 0.01
    uint16_t drSpeed;             // 0.01
    uint16_t drSpeedError;        // 0.01
    uint32_t drPositionError;     // 0.01
    uint8_t reserved[2];
};
static_assert(sizeof(DrNavSubsystemRecord) == 36);

constexpr int kDrDataEntries = 10;
struct DrDataEntry {
    uint32_t time;
    uint16_t speed;    // 0.01
    uint16_t gyroRate; // 0.01, a signed value in a word
};
struct DrDataBlockRecord { // sub-ID 8
    uint8_t mid;
    uint8_t subId;
    uint8_t measType;
    uint8_t validCount;
    uint16_t backupFlags;
    DrDataEntry entry[kDrDataEntries];
};
static_assert(sizeof(DrDataBlockRecord) == 86);

struct SbasStatusRecord { // MID 50
    uint8_t mid;
    uint8_t prn;
    uint8_t mode;
    uint8_t timeout;
    uint8_t flags;
};

#pragma pack(pop)

} // namespace zeph::monitor
