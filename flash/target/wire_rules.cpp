#include "wire_rules.h"

#include "common/bytes/byte_order.h"

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

} // namespace zeph::flashsim
