#pragma once

// Builds the receiver's side of the wire: big-endian payloads, frames and sentences. Written
// from the wire rules alone, apart from the monitor's own code, so a fault on either side shows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::sim {

using Bytes = std::vector<uint8_t>;

class PayloadWriter {
public:
    explicit PayloadWriter(uint8_t mid) { bytes_.push_back(mid); }

    PayloadWriter& u8(uint32_t v);
    PayloadWriter& u16(uint32_t v);
    PayloadWriter& u32(uint32_t v);
    PayloadWriter& f32(float v);
    // `lowWordFirst`: the order of software before 2.3, low-order 32-bit half first.
    PayloadWriter& f64(double v, bool lowWordFirst);
    PayloadWriter& text(std::string_view s);
    PayloadWriter& fill(size_t n, uint8_t v = 0);

    const Bytes& bytes() const { return bytes_; }
    operator Bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

// A complete binary frame around `payload`.
Bytes frame(const Bytes& payload);
// A complete NMEA sentence: '$', body, '*', checksum, CR LF.
std::string sentence(std::string_view body);

} // namespace zeph::sim
