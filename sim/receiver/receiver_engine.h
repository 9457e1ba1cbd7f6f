#pragma once

// The simulated receiver: its protocol, line settings, message schedule, low-power cycle and
// the answers to commands. Pure: time comes in as milliseconds since start and everything it
// says goes out as packets, so each rule is testable without a line or a clock.

#include "input_parser.h"
#include "receiver_model.h"
#include "wire_writer.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zeph::sim {

enum class Protocol { Binary, Nmea };

// The receiver's own port settings.
struct LineFormat {
    uint32_t baud = 57600;
    uint8_t dataBits = 8;
    uint8_t parity = 0; // 0 none, 1 odd, 2 even
    uint8_t stopBits = 1;

    bool operator==(const LineFormat&) const = default;
};

// The rates the receiver's port can be set to by command.
bool isCommandBaud(uint32_t baud);

// One thing the receiver does on its line, in order.
struct Packet {
    enum class Kind { Frame, Sentence, LineChange };
    Kind kind = Kind::Frame;
    uint8_t mid = 0;    // Frame: the MID
    std::string type;   // Sentence: "GGA", "GSV", ...
    Bytes bytes;        // Frame, Sentence: the complete wire bytes
    LineFormat line;    // LineChange: the settings from here on, once the bytes before are out
    bool reply = false; // an answer to a command, as opposed to scheduled output
};

struct EngineConfig {
    Protocol protocol = Protocol::Binary;
    LineFormat line;
    std::string version = "231.000.000-ZEPHSIM";
    bool navLib = false;            // MIDs 28 to 31 every second
    bool plainDoubles = true;       // doubles in the order of software 2.3 or higher
    uint32_t debugEverySeconds = 5; // MID 255 text; 0 never
    bool drovana = false;           // MID 48, the dead-reckoning output, every second
    bool beacon = false;            // corrections from the internal beacon instead of SBAS
};

// NMEA sentences in the order of the set-NMEA-mode command's rate fields: GGA, GLL, GSA, GSV,
// RMC, VTG.
constexpr size_t kNmeaKinds = 6;

// The low-power cycle set by MID 151 (Lullcycle: duty cycle below 1000, Wake-On-Demand off).
struct LullTimes {
    uint32_t onMs = 0;
    uint32_t offMs = 0;
};
// On and off times for a MID 151 on-time and duty cycle (per mille), kept between one and five
// seconds each so the cycle shows within a short session; `maxOffMs` (MID 167) caps the off time
// when non-zero.
LullTimes lullTimes(uint32_t onTimeMs, uint32_t dutyPerMille, uint32_t maxOffMs);

class ReceiverEngine {
public:
    explicit ReceiverEngine(const EngineConfig& config);

    // The scheduled output due up to `nowMs`: navigation epochs fall on whole seconds from 0.
    std::vector<Packet> advance(uint64_t nowMs);
    // The answer to one message from the client. Call advance(nowMs) first.
    std::vector<Packet> receive(const InputMessage& message, uint64_t nowMs);
    // When advance() next has something to do.
    uint64_t nextEventMs() const;

    Protocol protocol() const { return protocol_; }
    const LineFormat& line() const { return line_; }
    bool cycling() const { return lull_.active; }
    bool asleep() const { return lull_.active && lull_.asleep; }
    uint8_t binaryRate(uint8_t mid) const { return binaryRates_[mid]; }
    uint8_t nmeaRate(size_t kind) const { return nmeaRates_[kind]; }
    // Messages dropped: binary while in NMEA, sentences while in binary, anything while asleep.
    uint64_t ignored() const { return ignored_; }

private:
    struct Lull {
        bool active = false;
        bool asleep = false;
        uint64_t phaseEndMs = 0;
        LullTimes times;
    };

    void epoch(uint32_t second, std::vector<Packet>& out) const;
    void lullPhaseEnd(std::vector<Packet>& out);
    Bytes scheduledPayload(uint8_t mid, const ReceiverSnapshot& s, uint32_t second) const;

    // receiver_commands.cpp
    void handleFrame(const Bytes& payload, uint64_t nowMs, std::vector<Packet>& out);
    bool handleCommand(const Bytes& payload, uint64_t nowMs, std::vector<Packet>& out);
    void handleSentence(const std::string& body, std::vector<Packet>& out);
    void changeLine(const LineFormat& line, std::vector<Packet>& out);
    void restoreDefaults();
    void updateLull(uint64_t nowMs);
    Bytes echoOf(uint8_t mid) const;

    EngineConfig config_;
    OutputOptions output_;
    Protocol protocol_;
    LineFormat line_;
    std::array<uint8_t, 256> binaryRates_{};
    std::array<uint8_t, kNmeaKinds> nmeaRates_{};
    std::map<uint8_t, Bytes> settings_; // last parameters by command MID, in payload form
    // The collections the polls report: the model's until MID 130 or 149 sets them.
    std::array<AlmanacWords, 32> almanac_{};
    std::array<EphemerisWords, 32> ephemeris_{};
    uint64_t nextEpochMs_ = 0;
    Lull lull_;
    uint64_t ignored_ = 0;
};

// Packet builders, shared with the tests.
Packet framePacket(const Bytes& payload, bool reply);
Packet sentencePacket(const std::string& body, bool reply);

} // namespace zeph::sim
