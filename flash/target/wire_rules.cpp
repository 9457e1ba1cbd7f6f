#include "wire_rules.h"

#include <array>

namespace zeph::flashsim {
namespace {

std::array<uint16_t, 256> makeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned value = i;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1U) != 0 ? (value >> 1) ^ 0xA001U : value >> 1;
        }
        table[i] = static_cast<uint16_t>(value);
    }
    return table;
}

} // namespace

uint8_t negatedSum(const uint8_t* bytes, size_t count) {
    unsigned sum = 0;
    for (size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<uint8_t>(0x100U - (sum & 0xFFU));
}

uint16_t crc16(const uint8_t* bytes, size_t count, uint16_t crc) {
    static const std::array<uint16_t, 256> table = makeCrcTable();
    for (size_t i = 0; i < count; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFFU]);
    }
    return crc;
}

Bytes framePacket(const Bytes& payload) {
    Bytes packet;
    packet.reserve(payload.size() + 3);
    appendBe16(packet, static_cast<uint16_t>(payload.size()));
    packet.insert(packet.end(), payload.begin(), payload.end());
    packet.push_back(negatedSum(packet.data(), packet.size()));
    return packet;
}

uint32_t readBe32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

uint16_t readBe16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

void appendBe32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void appendBe16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

} // namespace zeph::flashsim
