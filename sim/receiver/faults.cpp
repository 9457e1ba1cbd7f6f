#include "faults.h"

namespace zeph::sim {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int hexValue(uint8_t c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

} // namespace

uint64_t FaultRandom::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double FaultRandom::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

WirePlan FaultInjector::plan(const Packet& packet) {
    WirePlan plan;
    if (random_.chance(options_.noise)) {
        const size_t count = 1 + random_.next() % kMaxNoiseBytes;
        while (plan.noise.size() < count) {
            const auto b = static_cast<uint8_t>(random_.next());
            if (b != 0xA0 && b != '$') {
                plan.noise.push_back(b);
            }
        }
    }

    Bytes bytes = packet.bytes;
    const bool isFrame = packet.kind == Packet::Kind::Frame;
    const size_t n = bytes.size();
    if (n >= 4 && random_.chance(options_.badChecksum)) {
        plan.fault = Fault::BadChecksum;
        if (isFrame) {
            bytes[n - 3] ^= 0x5A; // checksum low byte
        } else {
            uint8_t& digit = bytes[n - 3]; // "*hh\r\n": the second checksum digit
            digit = static_cast<uint8_t>(kHexDigits[(hexValue(digit) + 7) % 16]);
        }
    } else if (n >= 4 && random_.chance(options_.badTail)) {
        plan.fault = Fault::BadTail;
        if (!isFrame) {
            bytes[n - 1] = 'X'; // CR not followed by LF
        } else if (random_.next() % 2 == 0) {
            bytes[n - 2] = 0xB1;
        } else {
            bytes[n - 1] = 0xB4;
        }
    }

    if (options_.splitWrites && n >= 2) {
        const auto middle = static_cast<long>(n / 2);
        plan.pieces.emplace_back(bytes.begin(), bytes.begin() + middle);
        plan.pieces.emplace_back(bytes.begin() + middle, bytes.end());
    } else {
        plan.pieces.push_back(std::move(bytes));
    }
    return plan;
}

} // namespace zeph::sim
