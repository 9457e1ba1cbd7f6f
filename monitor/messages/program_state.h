#pragma once

#include "rx_message.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeph::monitor {

// TargetSwClass: which generation of receiver software the monitor talks to.
enum TargetSw : int {
    kSwVersionPollPending = -1,
    kSwUnknown = 0,
    kSw23OrHigher = 1,
    kSw21Or22 = 2,
    kSw20 = 3,
    kSwDrovana = 4,
    kSwZephNav = 5,
};

constexpr int kSatellites = 32;
constexpr int kAlmanacWords = 14;
constexpr int kEphemerisWords = 45;
using AlmanacTable = std::array<std::array<uint16_t, kAlmanacWords>, kSatellites>;
using EphemerisTable = std::array<std::array<uint16_t, kEphemerisWords>, kSatellites>;

// What the whole monitor shares about its receiver, whatever source is open.
struct ProgramState {
    int targetSwClass = kSwUnknown;
    bool autoDetect = false;       // the "Select Target Software" dialog's box
    bool targetDialogOpen = false; // that dialog is showing
    std::string targetSwText = "Unknown";
    bool initAfterAck = false; // an initialisation waits for MID 134's acknowledgement
    bool dataReceived = false; // set by every complete message
    bool nmeaArriving = false; // set by an NMEA sentence, cleared by a binary message
    TextBuffer text;           // MID 255 text
    AlmanacTable almanac{};
    EphemerisTable ephemeris{};
};

// What the receiver core tells the rest of the program. Every call has a default that does
// nothing, so a tool implements only what it shows.
class MonitorEvents {
public:
    virtual ~MonitorEvents() = default;
    // The message log's "write text": only written while a log file is open.
    virtual void writeLog(std::string_view /*text*/) {}
    // A text message of MID 255 for the views; code kLinkErrorCode marks a link-error line.
    virtual void showText(std::string_view /*text*/, uint16_t /*code*/) {}
    virtual void targetSoftwareChanged() {}
    virtual void almanacComplete() {}
    virtual void ephemerisComplete() {}
    // The first NMEA sentence after binary traffic: the frame opens the Debug and Error views.
    virtual void nmeaArrivingStarted() {}
    // The parsers' activity blink, once per received chunk.
    virtual void activity() {}
};

} // namespace zeph::monitor
