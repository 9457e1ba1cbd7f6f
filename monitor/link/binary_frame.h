#pragma once

// The binary frame on the receiver line:
//   A0 A2 | length N (2, high first) | payload (N, MID first) | checksum (2, high first) | B0 B3

#include <cstddef>
#include <cstdint>

namespace zeph::monitor {

constexpr uint8_t kStartSync1 = 0xA0;
constexpr uint8_t kStartSync2 = 0xA2;
constexpr uint8_t kEndSync1 = 0xB0;
constexpr uint8_t kEndSync2 = 0xB3;

constexpr size_t kFrameOverhead = 8;         // syncs, length and checksum around the payload
constexpr size_t kMaxLivePayload = 0x3F0;    // longest payload the live parser takes
constexpr size_t kMaxSendPayload = 992;      // longest payload SendBinary frames
constexpr size_t kMaxPlaybackPayload = 255;  // longest payload a capture file frame may carry
constexpr size_t kMaxNmeaBody = 990;         // longest body SendNmea frames
constexpr size_t kReceiveBufferBytes = 2048; // one message being assembled, binary or NMEA

constexpr uint8_t kPollSwVersionMid = 132;

// The frame checksum: the plain sum of the payload bytes, kept to 16 bits (no mask beyond that).
uint16_t frameChecksum(const uint8_t* payload, size_t length);

// Writes the frame around `payload` into `out`; returns its length (length + kFrameOverhead), or
// 0 when it does not fit into `capacity` or the payload is longer than a frame can declare.
size_t buildFrame(const uint8_t* payload, size_t length, uint8_t* out, size_t capacity);

} // namespace zeph::monitor
