#include "monitor/link/binary_frame.h"

#include "common/bytes/byte_order.h"

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
    writeBe16(out + 2, static_cast<uint16_t>(length));
    if (length != 0) {
        std::memcpy(out + 4, payload, length);
    }
    writeBe16(out + 4 + length, checksum);
    out[6 + length] = kEndSync1;
    out[7 + length] = kEndSync2;
    return length + kFrameOverhead;
}

} // namespace zeph::monitor
