#pragma once

// The NMEA sentence checksum: the exclusive-or of every character between '$' and '*', written
// after the '*' as two hexadecimal digits.

#include <cstdint>
#include <string_view>

namespace zeph {

constexpr uint8_t nmeaChecksum(std::string_view body) {
    uint8_t sum = 0;
    for (const char c : body) {
        sum = static_cast<uint8_t>(sum ^ static_cast<uint8_t>(c));
    }
    return sum;
}

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Whether `sentence`, what follows the '$' up to the line end, ends in "*HH" naming the
// checksum of what stands before the '*'.
constexpr bool nmeaChecksumMatches(std::string_view sentence) {
    const std::size_t star = sentence.rfind('*');
    if (star == std::string_view::npos || star + 3 != sentence.size()) {
        return false;
    }
    const int high = hexDigitValue(sentence[star + 1]);
    const int low = hexDigitValue(sentence[star + 2]);
    return high >= 0 && low >= 0 && high * 16 + low == nmeaChecksum(sentence.substr(0, star));
}

} // namespace zeph
