#pragma once

// The receiver's output messages, each described once: where its fields lie, their types and
// how the log prints them.

#include "field_layout.h"

#include <cstdint>

namespace zeph::monitor {

enum class Rendering : uint8_t {
    None, // never logged
    Csv,  // the MID, then every printed field in wire order, comma-separated
    Hook, // a text of its own (message_renderer.cpp)
};

enum class Decoding : uint8_t {
    Fixed,       // the whole layout, whatever the frame length
    SwVersion,   // MID 6: text
    Error,       // MID 10: counted parameters
    VisibleList, // MID 13: counted entries
    RawDgps,     // MID 17: counted bytes shown as hex
    DgpsStatus,  // MID 27: layout chosen by the source type
    CommandEcho, // MID 43: layout of the echoed command
    DrOut,       // MID 48: layout chosen by the sub-ID
    Text,        // MID 255
};

struct OutputMessage {
    uint8_t mid;
    Decoding decoding;
    Rendering rendering;
    Layout layout; // for Fixed; for the others, what the wire holds at most
};

// The catalogue entry of a MID, or nullptr for a MID the monitor does not know.
const OutputMessage* outputMessage(uint8_t mid);

// MID 48 layouts by sub-ID, or nullptr for a sub-ID the monitor does not know.
const Layout* drOutLayout(uint8_t subId);

// MID 27: the beacon layout for source type 3, the per-channel ages otherwise.
const Layout& dgpsStatusLayout(uint8_t sourceType);

// MID 43: the layout of the echoed command's payload, counted from its own MID byte, or nullptr
// when that command's settings are not reported.
const Layout* commandEchoLayout(uint8_t echoedMid);

} // namespace zeph::monitor
