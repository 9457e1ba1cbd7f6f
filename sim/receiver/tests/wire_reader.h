#pragma once

// The client's view of the line in the tests, written from the frame and sentence rules: a
// frame is A0 A2, a 16-bit length, the payload, the 16-bit sum of the payload and B0 B3; a
// sentence is '$', the body, '*', two hex digits of the XOR of the body, CR LF.

#include "common/bytes/byte_order.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zeph::sim::testing {

using WireBytes = std::vector<uint8_t>;

struct WireScan {
    std::vector<WireBytes> payloads;    // good frames in order
    std::map<int, int> goodFrames;      // by MID
    std::map<int, int> badChecksums;    // by MID
    std::map<int, int> badTails;        // by MID (checksum good, tail wrong)
    std::vector<std::string> sentences; // bodies of good sentences
    int badSentences = 0;
    int frameStarts = 0; // every A0 A2 pair
    int dollars = 0;     // every '$'

    std::vector<int> mids() const {
        std::vector<int> out;
        for (const WireBytes& p : payloads) {
            out.push_back(p[0]);
        }
        return out;
    }
};

inline WireScan scanWire(const WireBytes& b) {
    WireScan scan;
    for (size_t i = 0; i + 1 < b.size(); ++i) {
        scan.frameStarts += b[i] == 0xA0 && b[i + 1] == 0xA2;
    }
    for (uint8_t c : b) {
        scan.dollars += c == '$';
    }
    size_t i = 0;
    while (i < b.size()) {
        if (b[i] == 0xA0 && i + 4 <= b.size() && b[i + 1] == 0xA2) {
            const size_t n = readBe16(b, i + 2);
            if (n == 0 || i + 8 + n > b.size()) {
                ++i;
                continue;
            }
            unsigned sum = 0;
            for (size_t k = 0; k < n; ++k) {
                sum += b[i + 4 + k];
            }
            const unsigned checksum = readBe16(b, i + 4 + n);
            const int mid = b[i + 4];
            if ((sum & 0xFFFF) != checksum) {
                ++scan.badChecksums[mid];
            } else if (b[i + 6 + n] != 0xB0 || b[i + 7 + n] != 0xB3) {
                ++scan.badTails[mid];
            } else {
                ++scan.goodFrames[mid];
                scan.payloads.emplace_back(b.begin() + static_cast<long>(i + 4),
                                           b.begin() + static_cast<long>(i + 4 + n));
            }
            i += 8 + n;
            continue;
        }
        if (b[i] == '$') {
            size_t end = i + 1;
            while (end < b.size() && b[end] >= 0x20 && b[end] < 0x7F && b[end] != '$') {
                ++end;
            }
            const std::string text(b.begin() + static_cast<long>(i + 1),
                                   b.begin() + static_cast<long>(end));
            const bool terminated = end + 1 < b.size() && b[end] == '\r' && b[end + 1] == '\n';
            const size_t star = text.rfind('*');
            bool good = terminated && star != std::string::npos && star + 3 == text.size();
            if (good) {
                unsigned x = 0;
                for (size_t k = 0; k < star; ++k) {
                    x ^= static_cast<uint8_t>(text[k]);
                }
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02X", x);
                good = text.compare(star + 1, 2, digits) == 0;
            }
            if (good) {
                scan.sentences.push_back(text.substr(0, star));
            } else if (end < b.size()) { // a sentence cut off by the end of the capture is not bad
                ++scan.badSentences;
            }
            i = end;
            continue;
        }
        ++i;
    }
    return scan;
}

} // namespace zeph::sim::testing
