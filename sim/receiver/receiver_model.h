#pragma once

// A plausible receiver: a position that moves on a slow circle, satellites that rise and set,
// and the output messages it sends about them.

#include "wire_writer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zeph::sim {

struct Satellite {
    uint8_t prn;
    double azimuth;        // degrees
    double elevation;      // degrees
    uint8_t cno;           // dB-Hz; 0: no signal in any of the ten samples
    uint16_t state = 0xBF; // tracking state; 0x0100 marks a lost signal
    bool used = true;      // in the navigation solution
};

struct ReceiverSnapshot {
    uint16_t week;
    uint32_t towMs;
    double latitude;     // degrees
    double longitude;    // degrees
    double altitude;     // metres above the ellipsoid
    int32_t ecef[3];     // metres
    int16_t velocity[3]; // 1/8 m/s
    std::vector<Satellite> satellites;
    uint8_t mode1 = 4;             // navigation mode 1: a 3D fix; bit 7 DGPS-corrected
    uint8_t mode2 = 0;             // navigation mode 2: bit 1 a validated fix
    std::optional<Satellite> sbas; // tracked on the last channel, never used in the fix
};

// The receiver `second` seconds after its start.
ReceiverSnapshot snapshotAt(uint32_t second);
// The same receiver under an open sky, as zephsim plays it: at the same time it drives round a
// circle of 20 m about the same place in 90 s, its fixes scattered by a metre or two, with 8 to
// 12 of its 12 satellites above the horizon at any second, rising and setting slowly. Its fix is
// DGPS-corrected; an SBAS satellite is tracked and not used, and so are three GPS satellites:
// one with a signal, one without (zero C/No) and one that has lost it (state bit 0x0100).
ReceiverSnapshot openSkySnapshotAt(uint32_t second);

struct OutputOptions {
    bool lowWordFirst = true; // double order of software before 2.3
    std::string version = "231.000.000-ZEPH-SIM";
};

Bytes navigationMessage(const ReceiverSnapshot& s, uint8_t mid);
Bytes trackerMessage(const ReceiverSnapshot& s, uint8_t mid);
Bytes rawTrackMessage(const ReceiverSnapshot& s, int channel);
Bytes swVersionMessage(const OutputOptions& o);
Bytes clockStatusMessage(const ReceiverSnapshot& s);
Bytes data50BpsMessage(const ReceiverSnapshot& s, int channel);
Bytes throughputMessage(uint32_t second);
Bytes errorMessage(uint16_t errorId, const std::vector<uint32_t>& params);
Bytes ackMessage(bool ack, uint8_t mid, uint8_t subId = 0);
Bytes visibleListMessage(const ReceiverSnapshot& s);

// The almanac and ephemeris of the constellation as the receiver collects them, derived from
// its orbits: the almanac has every satellite of the 32, the ephemeris only the satellites the
// receiver tracks (the 45 words of any other are zero, its first word, the satellite, too).
using AlmanacWords = std::array<uint16_t, 14>;
using EphemerisWords = std::array<uint16_t, 45>;
AlmanacWords almanacWords(uint8_t svid);
EphemerisWords ephemerisWords(uint8_t svid);
Bytes almanacMessage(uint8_t svid, const AlmanacWords& words);
Bytes ephemerisMessage(uint8_t svid, const EphemerisWords& words);
// The capture's fixed pattern of words, whatever the satellite.
Bytes almanacPatternMessage(uint8_t svid);
Bytes ephemerisPatternMessage(uint8_t svid);
Bytes rawDgpsMessage(const Bytes& data);
Bytes okToSendMessage(bool ready);
Bytes navParamsMessage();
Bytes dgpsStatusMessage(const ReceiverSnapshot& s, bool beacon);
Bytes navLibMeasurementMessage(const ReceiverSnapshot& s, const OutputOptions& o);
Bytes navLibDgpsMessage(const ReceiverSnapshot& s);
Bytes navLibSvStateMessage(const ReceiverSnapshot& s, const OutputOptions& o);
Bytes navLibInitMessage(const ReceiverSnapshot& s, const OutputOptions& o);
Bytes geodeticNavMessage(const ReceiverSnapshot& s);
Bytes commandParamsMessage(const Bytes& echoedPayload);
Bytes drOutMessage(uint8_t subId, uint32_t second);
Bytes sbasStatusMessage();
Bytes debugTextMessage(const std::string& text);

// NMEA sentences (bodies without '$' and checksum) for the same snapshot.
std::string ggaBody(const ReceiverSnapshot& s);
std::string rmcBody(const ReceiverSnapshot& s);
std::string gsaBody(const ReceiverSnapshot& s);
std::vector<std::string> gsvBodies(const ReceiverSnapshot& s);
std::string gllBody(const ReceiverSnapshot& s);
std::string vtgBody(const ReceiverSnapshot& s);

} // namespace zeph::sim
