// The receiver's answers to commands: binary input messages by MID, and the proprietary NMEA
// command sentences.

#include "receiver_engine.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>

namespace zeph::sim {
namespace {

// The commands this receiver understands: the shortest payload each may have (its catalogue
// length) and, for those the current-settings poll reports, the length of the echo.
struct CommandRule {
    uint8_t mid;
    uint16_t length;
    uint8_t echoLength;
};
constexpr CommandRule kCommands[] = {
    {128, 25, 0},  {129, 24, 0}, {130, 897, 0}, {132, 2, 0},  {133, 7, 7}, {134, 9, 0}, {135, 2, 0},
    {136, 14, 14}, {137, 5, 5},  {138, 3, 3},   {139, 5, 5},  {140, 3, 3}, {143, 2, 2}, {144, 2, 0},
    {145, 9, 0},   {146, 2, 0},  {147, 3, 0},   {149, 91, 0}, {150, 7, 0}, {151, 9, 9}, {152, 2, 0},
    {165, 49, 0},  {166, 8, 0},  {167, 25, 25}, {168, 6, 0},  {170, 6, 4}, {172, 2, 0},
};
// Drovana command lengths by sub-ID (MID 172); 0 for sub-IDs that do not exist.
constexpr uint8_t kDrovanaLengths[] = {0, 16, 3, 3, 7, 2, 2, 2};

const CommandRule* ruleOf(uint8_t mid) {
    for (const CommandRule& rule : kCommands) {
        if (rule.mid == mid) {
            return &rule;
        }
    }
    return nullptr;
}

size_t echoLength(uint8_t mid) {
    const CommandRule* rule = ruleOf(mid);
    return rule == nullptr ? 0 : rule->echoLength;
}

bool understood(const Bytes& p) {
    const CommandRule* rule = ruleOf(p[0]);
    if (rule == nullptr || p.size() < rule->length) {
        return false;
    }
    if (p[0] != 172) {
        return true;
    }
    const uint8_t subId = p[1];
    return subId < std::size(kDrovanaLengths) && kDrovanaLengths[subId] != 0 &&
           p.size() >= kDrovanaLengths[subId];
}

// Settings as the receiver holds them before any command, in command payload form.
const std::map<uint8_t, Bytes>& defaultSettings() {
    static const std::map<uint8_t, Bytes> kDefaults = {
        {133, PayloadWriter(133).u8(1).u32(0).u8(0)}, // SBAS corrections, beacon auto scan
        // degraded mode clock then direction, dead reckoning on, 100 m, timeouts 30 s and 15 s
        {136, Bytes{136, 0, 1, 1, 0, 1, 0, 100, 0, 0, 0, 30, 15, 1}},
        {137, PayloadWriter(137).u8(0).u8(10).u8(8).u8(8)},
        {138, PayloadWriter(138).u8(0).u8(30)},
        {139, PayloadWriter(139).u16(50).u16(75)},
        {140, PayloadWriter(140).u8(28).u8(28)},
        {143, PayloadWriter(143).u8(0)},
        {151, PayloadWriter(151).u16(0).u16(1000).u32(200)},
        {167, PayloadWriter(167).u32(30000).u32(120000).u32(1800).u16(0).u16(0).u32(0).u32(0)},
        {170, PayloadWriter(170).u8(0).u8(1).u8(0)},
    };
    return kDefaults;
}

std::optional<long> number(const std::string& field) {
    long value = 0;
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (field.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> fields(const std::string& body) {
    std::vector<std::string> out(1);
    for (char c : body) {
        if (c == ',') {
            out.emplace_back();
        } else {
            out.back().push_back(c);
        }
    }
    return out;
}

// Line settings from a baud, data bits, stop bits and parity as the commands give them; none
// when the receiver's port cannot take them. A stop-bit value of 0 or 1 means one stop bit.
std::optional<LineFormat> lineFrom(long baud, long dataBits, long stopBits, long parity) {
    if (baud < 0 || !isCommandBaud(static_cast<uint32_t>(baud)) ||
        (dataBits != 7 && dataBits != 8) || stopBits < 0 || stopBits > 2 || parity < 0 ||
        parity > 2) {
        return std::nullopt;
    }
    return LineFormat{static_cast<uint32_t>(baud), static_cast<uint8_t>(dataBits),
                      static_cast<uint8_t>(parity), static_cast<uint8_t>(stopBits == 2 ? 2 : 1)};
}

} // namespace

void ReceiverEngine::restoreDefaults() {
    settings_ = defaultSettings();
    binaryRates_.fill(0);
    for (const int mid : {2, 4, 7, 9, 27, 41, 50}) {
        binaryRates_[mid] = 1;
    }
    for (uint8_t mid = 28; mid <= 31; ++mid) {
        binaryRates_[mid] = config_.navLib ? 1 : 0;
    }
    binaryRates_[255] = static_cast<uint8_t>(std::min<uint32_t>(config_.debugEverySeconds, 255));
    binaryRates_[48] = config_.drovana ? 1 : 0;
    nmeaRates_ = {1, 0, 1, 1, 1, 0}; // GGA, GSA, GSV and RMC every second
    lull_ = {};
    for (uint8_t svid = 1; svid <= 32; ++svid) {
        almanac_[svid - 1] = almanacWords(svid);
        ephemeris_[svid - 1] = ephemerisWords(svid);
    }
}

void ReceiverEngine::changeLine(const LineFormat& line, std::vector<Packet>& out) {
    if (line == line_) {
        return;
    }
    line_ = line;
    Packet p;
    p.kind = Packet::Kind::LineChange;
    p.line = line;
    p.reply = true;
    out.push_back(p);
}

Bytes ReceiverEngine::echoOf(uint8_t mid) const {
    Bytes echo;
    const auto append = [&](uint8_t m) {
        Bytes params = settings_.at(m);
        params.resize(echoLength(m), 0);
        echo.insert(echo.end(), params.begin(), params.end());
    };
    append(mid);
    if (mid == 151) { // the low-power parameters come with their acquisition part
        append(167);
    }
    return echo;
}

void ReceiverEngine::updateLull(uint64_t nowMs) {
    const Bytes& lp = settings_.at(151);
    const uint32_t wakeOnDemand = readBe16(lp, 1);
    const uint32_t duty = readBe16(lp, 3);
    if (wakeOnDemand != 0 || duty == 0 || duty >= 1000) {
        lull_ = {};
        return;
    }
    const LullTimes times = lullTimes(readBe32(lp, 5), duty, readBe32(settings_.at(167), 1));
    if (!lull_.active) {
        lull_.active = true;
        lull_.asleep = false;
        lull_.phaseEndMs = nowMs + times.onMs;
    }
    lull_.times = times;
}

std::vector<Packet> ReceiverEngine::receive(const InputMessage& message, uint64_t nowMs) {
    std::vector<Packet> out;
    const bool binary = message.kind == InputMessage::Kind::Frame;
    if (asleep() || binary != (protocol_ == Protocol::Binary)) {
        ++ignored_;
        return out;
    }
    if (binary) {
        handleFrame(message.payload, nowMs, out);
    } else {
        handleSentence(message.body, out);
    }
    return out;
}

void ReceiverEngine::handleFrame(const Bytes& payload, uint64_t nowMs, std::vector<Packet>& out) {
    if (payload.empty()) {
        return;
    }
    const uint8_t mid = payload[0];
    const uint8_t subId = mid == 172 && payload.size() > 1 ? payload[1] : 0;
    std::vector<Packet> answer;
    if (!understood(payload) || !handleCommand(payload, nowMs, answer)) {
        out.push_back(framePacket(ackMessage(false, mid, subId), true));
        return;
    }
    // A binary receiver acknowledges a change of its own line on the new line, so a client that
    // follows at once hears it; one that switches to NMEA acknowledges before it goes.
    const bool lineChanged = std::any_of(answer.begin(), answer.end(), [](const Packet& p) {
        return p.kind == Packet::Kind::LineChange;
    });
    if (lineChanged && protocol_ == Protocol::Binary) {
        out.insert(out.end(), answer.begin(), answer.end());
        out.push_back(framePacket(ackMessage(true, mid, subId), true));
        return;
    }
    out.push_back(framePacket(ackMessage(true, mid, subId), true));
    out.insert(out.end(), answer.begin(), answer.end());
}

// Carries out a command whose length is right; false when its values cannot be taken.
bool ReceiverEngine::handleCommand(const Bytes& p, uint64_t nowMs, std::vector<Packet>& out) {
    const uint8_t mid = p[0];
    const ReceiverSnapshot s = openSkySnapshotAt(static_cast<uint32_t>(nowMs / 1000));
    switch (mid) {
    case 128: { // initialisation: the reset configuration byte is all this receiver heeds
        const uint8_t reset = p[24];
        if ((reset & 0x0F) == 8) { // factory reset: defaults, binary at 38400
            restoreDefaults();
            protocol_ = Protocol::Binary;
            changeLine(LineFormat{38400, 8, 0, 1}, out);
        }
        for (uint8_t m = 28; m <= 31; ++m) {
            binaryRates_[m] = (reset & 0x10) != 0 ? 1 : 0;
        }
        binaryRates_[255] = static_cast<uint8_t>(
            (reset & 0x20) != 0 ? 1 : std::min<uint32_t>(config_.debugEverySeconds, 255));
        return true;
    }
    case 129: {
        const std::optional<LineFormat> line = lineFrom(readBe16(p, 22), 8, 1, 0);
        if (!line) {
            return false;
        }
        for (size_t kind = 0; kind < kNmeaKinds; ++kind) {
            nmeaRates_[kind] = p[2 + 2 * kind];
        }
        protocol_ = Protocol::Nmea;
        changeLine(*line, out);
        return true;
    }
    case 132:
        out.push_back(framePacket(swVersionMessage(output_), true));
        return true;
    case 134: {
        const std::optional<LineFormat> line = lineFrom(readBe32(p, 1), p[5], p[6], p[7]);
        if (!line) {
            return false;
        }
        changeLine(*line, out);
        return true;
    }
    case 144:
        out.push_back(framePacket(clockStatusMessage(s), true));
        return true;
    case 130: // the whole almanac, 14 words a satellite from SVID 1
        for (size_t k = 0; k < 32 * 14; ++k) {
            almanac_[k / 14][k % 14] = readBe16(p, 1 + 2 * k);
        }
        return true;
    case 146:
        for (uint8_t svid = 1; svid <= 32; ++svid) {
            out.push_back(framePacket(almanacMessage(svid, almanac_[svid - 1]), true));
        }
        return true;
    case 147:
        for (uint8_t svid = 1; svid <= 32; ++svid) {
            if (p[1] == 0 || p[1] == svid) {
                out.push_back(framePacket(ephemerisMessage(svid, ephemeris_[svid - 1]), true));
            }
        }
        return true;
    case 149: { // one satellite's ephemeris, its first word the satellite
        const uint16_t svid = readBe16(p, 1);
        if (svid < 1 || svid > 32) {
            return false;
        }
        for (size_t k = 0; k < 45; ++k) {
            ephemeris_[svid - 1][k] = readBe16(p, 1 + 2 * k);
        }
        return true;
    }
    case 152:
        out.push_back(framePacket(navParamsMessage(), true));
        return true;
    case 151:
    case 167:
        settings_[mid] = Bytes(p.begin(), p.begin() + static_cast<long>(echoLength(mid)));
        updateLull(nowMs);
        return true;
    case 133:
    case 136:
    case 137:
    case 138:
    case 139:
    case 140:
    case 143:
    case 170:
        settings_[mid] = Bytes(p.begin(), p.begin() + static_cast<long>(echoLength(mid)));
        return true;
    case 165: { // the receiver's UART 0 is the port the client is on
        for (size_t at = 1; at + 12 <= p.size(); at += 12) {
            if (p[at] != 0) {
                continue;
            }
            const std::optional<LineFormat> line =
                lineFrom(readBe32(p, at + 3), p[at + 7], p[at + 8], p[at + 9]);
            if ((p[at + 1] != 0 && p[at + 1] != 1) || !line) {
                return false;
            }
            protocol_ = p[at + 1] == 0 ? Protocol::Binary : Protocol::Nmea;
            changeLine(*line, out);
        }
        return true;
    }
    case 166: {
        const uint8_t target = p[2];
        if (scheduledPayload(target, s, 0).empty() || p[3] > 30) {
            return false;
        }
        if (p[1] != 0) {
            const auto second = static_cast<uint32_t>(nowMs / 1000);
            out.push_back(framePacket(scheduledPayload(target, s, second), true));
        } else {
            binaryRates_[target] = p[3];
        }
        return true;
    }
    case 168:
        if (echoLength(p[1]) == 0 || p[1] == 167) {
            return false;
        }
        out.push_back(framePacket(commandParamsMessage(echoOf(p[1])), true));
        return true;
    default: // 135, 145, 150, 172: taken without a visible effect
        return true;
    }
}

void ReceiverEngine::handleSentence(const std::string& body, std::vector<Packet>& out) {
    const std::vector<std::string> f = fields(body);
    const auto field = [&](size_t i) { return i < f.size() ? number(f[i]) : std::nullopt; };
    if (f[0] == "ZUVE100" && f.size() >= 6) {
        // protocol (0 binary, 1 NMEA), baud, data bits, stop bits, parity
        const std::optional<long> protocol = field(1);
        const auto baud = field(2), dataBits = field(3), stopBits = field(4), parity = field(5);
        if (!protocol || (*protocol != 0 && *protocol != 1) || !baud || !dataBits || !stopBits ||
            !parity) {
            ++ignored_;
            return;
        }
        const std::optional<LineFormat> line = lineFrom(*baud, *dataBits, *stopBits, *parity);
        if (!line) {
            ++ignored_;
            return;
        }
        protocol_ = *protocol == 0 ? Protocol::Binary : Protocol::Nmea;
        changeLine(*line, out);
    } else if (f[0] == "ZUVE103" && f.size() >= 4) {
        // sentence number (GGA 0 .. VTG 5), mode 0 (set rate), rate in seconds (0 off)
        const auto kind = field(1), mode = field(2), rate = field(3);
        if (!kind || *kind < 0 || *kind >= static_cast<long>(kNmeaKinds) || mode != 0 || !rate ||
            *rate < 0 || *rate > 255) {
            ++ignored_;
            return;
        }
        nmeaRates_[static_cast<size_t>(*kind)] = static_cast<uint8_t>(*rate);
    } else if (f[0] != "ZUVE105") { // development data: nothing more to show here
        ++ignored_;
    }
}

} // namespace zeph::sim
