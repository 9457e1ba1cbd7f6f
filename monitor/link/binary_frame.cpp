#include "monitor/link/binary_frame.h"

#include <cstring>

namespace zeph::monitor {

uint16_t frameChecksum(const uint8_t* payload, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        sum += payload[i];
    }
    return static_cast<uint16_t>(sum & 0xFFFFu);
}

size_t buildFrame(const uint8_t* payload, size_t length, uint8_t* out, size_t capacity) {
    if (length > 0xFFFF || capacity < length + kFrameOverhead ||
        (payload == nullptr && length != 0)) {
        return 0;
    }
    const uint16_t checksum = frameChecksum(payload, length);
    out[0] = kStartSync1;
    out[1] = kStartSync2;
    out[2] = static_cast<uint8_t>(length >> 8);
    out[3] = static_cast<uint8_t>(length & 0xFF);
    if (length != 0) {
        std::memcpy(out + 4, payload, length);
    }
    out[4 + length] = static_cast<uint8_t>(checksum >> 8);
    out[5 + length] = static_cast<uint8_t>(checksum & 0xFF);
    out[6 + length] = kEndSync1;
    out[7 + length] = kEndSync2;
    return length + kFrameOverhead;
}

} // namespace zeph::monitor
