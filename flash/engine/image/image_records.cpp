#include "flash/engine/image/image_records.h"

#include "common/bytes/byte_order.h"

#include <algorithm>

namespace zeph::flash {

namespace {

// Characters that are not hex digits are converted as if they were, not refused: the record
// formats carry no validation beyond their structure.
uint32_t hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<uint32_t>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
    }
    return static_cast<uint32_t>(c - 'A' + 10) & 0x0F;
}

// `digits` hex digits from position `at`; the caller has checked the line is long enough.
uint32_t hexField(std::string_view line, size_t at, size_t digits) {
    uint32_t v = 0;
    for (size_t i = 0; i < digits; ++i) {
        v = (v << 4) | hexValue(line[at + i]);
    }
    return v;
}

// Decodes `count` bytes of hex pairs from `at`; false when the line is too short.
bool hexBytes(std::string_view line, size_t at, size_t count, std::vector<uint8_t>& out) {
    if (line.size() < at + 2 * count) {
        return false;
    }
    out.resize(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(hexField(line, at + 2 * i, 2));
    }
    return true;
}

enum class LineResult { Next, Stop, Bad };

bool deliver(uint64_t address, const std::vector<uint8_t>& bytes, const DataRecordHandler& onData) {
    if (bytes.empty()) {
        return true;
    }
    if (address + bytes.size() - 1 > kMaxImageAddress) {
        return false;
    }
    return onData(static_cast<uint32_t>(address), bytes);
}

// S1/S2/S3: count (2 digits), address of type + 1 bytes, data; S0 header, S7-S9 end.
LineResult motorolaLine(std::string_view line, std::vector<uint8_t>& bytes,
                        const DataRecordHandler& onData) {
    if (line.size() < 2 || line[0] != 'S' || line[1] < '0' || line[1] > '9') {
        return LineResult::Bad;
    }
    const int type = line[1] - '0';
    if (type == 0) {
        return LineResult::Next;
    }
    if (type >= 7) {
        return LineResult::Stop;
    }
    if (type >= 4) {
        return LineResult::Bad;
    }
    const size_t addressBytes = static_cast<size_t>(type) + 1;
    if (line.size() < 4 + 2 * addressBytes) {
        return LineResult::Bad;
    }
    const size_t count = hexField(line, 2, 2);
    if (count < addressBytes + 1) {
        return LineResult::Bad;
    }
    const uint64_t address = hexField(line, 4, 2 * addressBytes);
    if (!hexBytes(line, 4 + 2 * addressBytes, count - addressBytes - 1, bytes)) {
        return LineResult::Bad;
    }
    return deliver(address, bytes, onData) ? LineResult::Next : LineResult::Bad;
}

// :LLAAAATT data: the type is the second type digit alone.
LineResult intelLine(std::string_view line, uint64_t& base, std::vector<uint8_t>& bytes,
                     const DataRecordHandler& onData) {
    if (line.empty() || line[0] != ':' || line.size() < 9) {
        return LineResult::Bad;
    }
    const uint32_t type = hexValue(line[8]);
    if (type > 4) {
        return LineResult::Bad;
    }
    switch (type) {
    case 0: {
        const size_t length = hexField(line, 1, 2);
        const uint64_t address = hexField(line, 3, 4) + base;
        if (!hexBytes(line, 9, length, bytes)) {
            return LineResult::Bad;
        }
        return deliver(address, bytes, onData) ? LineResult::Next : LineResult::Bad;
    }
    case 1:
        return LineResult::Stop;
    case 2:
    case 4:
        if (line.size() < 13) {
            return LineResult::Bad;
        }
        base = static_cast<uint64_t>(hexField(line, 9, 4)) << (type == 2 ? 4 : 16);
        return LineResult::Next;
    default:
        return LineResult::Next;
    }
}

uint32_t field32(std::span<const uint8_t> b, size_t at, bool little) {
    return little ? readLe32(&b[at]) : readBe32(&b[at]);
}

uint32_t field16(std::span<const uint8_t> b, size_t at, bool little) {
    return little ? readLe16(&b[at]) : readBe16(&b[at]);
}

constexpr size_t kElfHeaderSize = 52;
constexpr size_t kProgramHeaderStride = 32;

} // namespace

bool walkTextRecords(std::string_view text, ImageFormat format, const DataRecordHandler& onData) {
    uint64_t base = 0;
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        const LineResult r = format == ImageFormat::MotorolaS
                                 ? motorolaLine(line, bytes, onData)
                                 : intelLine(line, base, bytes, onData);
        if (r == LineResult::Bad) {
            return false;
        }
        if (r == LineResult::Stop) {
            break;
        }
    }
    return true;
}

bool isAxf(std::span<const uint8_t> file) {
    if (file.size() <= kElfHeaderSize) {
        return false;
    }
    if (file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F' || file[4] != 1 ||
        file[5] == 0) {
        return false;
    }
    const bool little = file[5] == 1;
    return field16(file, 16, little) == 2 && field16(file, 18, little) == 40;
}

std::optional<std::vector<AxfSegment>> readAxfSegments(std::span<const uint8_t> file) {
    if (!isAxf(file)) {
        return std::nullopt;
    }
    const bool little = file[5] == 1;
    const uint64_t tableOffset = field32(file, 28, little);
    const uint64_t count = field16(file, 44, little);
    if (tableOffset + count * kProgramHeaderStride > file.size()) {
        return std::nullopt;
    }
    std::vector<AxfSegment> segments;
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = static_cast<size_t>(tableOffset + i * kProgramHeaderStride);
        AxfSegment s;
        s.fileOffset = field32(file, at + 4, little);
        s.address = field32(file, at + 8, little);
        s.size = field32(file, at + 16, little);
        if (s.size == 0) {
            continue;
        }
        if (static_cast<uint64_t>(s.address) + s.size - 1 > kMaxImageAddress) {
            return std::nullopt;
        }
        segments.push_back(s);
    }
    if (segments.empty()) {
        return std::nullopt;
    }
    std::stable_sort(
        segments.begin(), segments.end(),
        [](const AxfSegment& a, const AxfSegment& b) { return a.address < b.address; });
    return segments;
}

} // namespace zeph::flash
