#pragma once

#include "wire_writer.h"

#include <cstdint>

namespace zeph::sim {

struct CaptureOptions {
    uint32_t seconds = 20;
    bool lowWordFirst = true; // double order of the receiver's software
};

// A capture of a receiver's output as it reaches the serial port: a second of binary messages
// at a time, every output message at least once, NMEA sentences, line noise and broken frames.
Bytes sampleCapture(const CaptureOptions& options);

} // namespace zeph::sim
