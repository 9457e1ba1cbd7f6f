#include "receiver_engine.h"

#include "correction_output.h"

#include <algorithm>
#include <cstdio>

namespace zeph::sim {
namespace {

constexpr uint64_t kEpochMs = 1000;
// After a stall (the host was suspended), skip to the present rather than replay old epochs.
constexpr uint64_t kMaxCatchUpMs = 3000;
constexpr uint32_t kMinPhaseMs = 1000;
constexpr uint32_t kMaxPhaseMs = 5000;

// The order of one second's binary output.
constexpr uint8_t kBinaryOrder[] = {2, 4, 5, 7, 8, 9, 13, 17, 41, 48, 27, 28, 29, 30, 31, 50, 255};
constexpr uint8_t kMidDrOut = 48;

std::string debugText(const ReceiverSnapshot& s, uint32_t second) {
    char text[96];
    switch (second / 5 % 3) {
    case 0:
        std::snprintf(text, sizeof text, "RxM: %zu SVs in view, %zu used", s.satellites.size(),
                      std::min<size_t>(s.satellites.size(), 12));
        break;
    case 1:
        std::snprintf(text, sizeof text, "Nav: 3D fix, week %u TOW %u", s.week, s.towMs / 1000);
        break;
    default:
        std::snprintf(text, sizeof text, "KF: clock drift 94315 Hz, bias 1234567 ns");
        break;
    }
    return text;
}

} // namespace

bool isCommandBaud(uint32_t baud) {
    constexpr uint32_t kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

LullTimes lullTimes(uint32_t onTimeMs, uint32_t dutyPerMille, uint32_t maxOffMs) {
    const uint64_t periodMs = dutyPerMille == 0 ? 0 : uint64_t{onTimeMs} * 1000 / dutyPerMille;
    uint64_t offMs = periodMs > onTimeMs ? periodMs - onTimeMs : 0;
    if (maxOffMs != 0) {
        offMs = std::min<uint64_t>(offMs, maxOffMs);
    }
    return {std::clamp(onTimeMs, kMinPhaseMs, kMaxPhaseMs),
            static_cast<uint32_t>(std::clamp<uint64_t>(offMs, kMinPhaseMs, kMaxPhaseMs))};
}

Packet framePacket(const Bytes& payload, bool reply) {
    Packet p;
    p.kind = Packet::Kind::Frame;
    p.mid = payload.empty() ? 0 : payload[0];
    p.bytes = frame(payload);
    p.reply = reply;
    return p;
}

Packet sentencePacket(const std::string& body, bool reply) {
    Packet p;
    p.kind = Packet::Kind::Sentence;
    p.type = body.size() >= 5 ? body.substr(2, 3) : body; // "GPGGA,..." is a GGA
    const std::string text = sentence(body);
    p.bytes.assign(text.begin(), text.end());
    p.reply = reply;
    return p;
}

ReceiverEngine::ReceiverEngine(const EngineConfig& config)
    : config_(config), protocol_(config.protocol), line_(config.line) {
    output_.lowWordFirst = !config.plainDoubles;
    output_.version = config.version;
    restoreDefaults();
}

uint64_t ReceiverEngine::nextEventMs() const {
    return lull_.active ? std::min(nextEpochMs_, lull_.phaseEndMs) : nextEpochMs_;
}

std::vector<Packet> ReceiverEngine::advance(uint64_t nowMs) {
    std::vector<Packet> out;
    if (nowMs > nextEpochMs_ + kMaxCatchUpMs) {
        nextEpochMs_ = nowMs / kEpochMs * kEpochMs;
    }
    while (nextEventMs() <= nowMs) {
        // A phase change that falls on an epoch comes first: asleep, the epoch is skipped;
        // awake again, it is sent after OkToSend.
        if (lull_.active && lull_.phaseEndMs <= nextEpochMs_) {
            lullPhaseEnd(out);
            continue;
        }
        if (!asleep()) {
            epoch(static_cast<uint32_t>(nextEpochMs_ / kEpochMs), out);
        }
        nextEpochMs_ += kEpochMs;
    }
    return out;
}

void ReceiverEngine::lullPhaseEnd(std::vector<Packet>& out) {
    lull_.asleep = !lull_.asleep;
    if (protocol_ == Protocol::Binary) {
        out.push_back(framePacket(okToSendMessage(!lull_.asleep), false));
    }
    lull_.phaseEndMs += lull_.asleep ? lull_.times.offMs : lull_.times.onMs;
}

void ReceiverEngine::epoch(uint32_t second, std::vector<Packet>& out) const {
    const ReceiverSnapshot s = openSkySnapshotAt(second);
    if (protocol_ == Protocol::Binary) {
        for (uint8_t mid : kBinaryOrder) {
            const uint8_t rate = binaryRates_[mid];
            if (rate == 0 || second % rate != 0) {
                continue;
            }
            if (mid == kMidDrOut) {
                for (uint8_t subId : kDrovanaSubIds) {
                    out.push_back(framePacket(drovanaOutput(subId, s, second), false));
                }
            } else {
                out.push_back(framePacket(scheduledPayload(mid, s, second), false));
            }
        }
        return;
    }
    for (size_t kind = 0; kind < kNmeaKinds; ++kind) {
        const uint8_t rate = nmeaRates_[kind];
        if (rate == 0 || second % rate != 0) {
            continue;
        }
        switch (kind) {
        case 0:
            out.push_back(sentencePacket(ggaBody(s), false));
            break;
        case 1:
            out.push_back(sentencePacket(gllBody(s), false));
            break;
        case 2:
            out.push_back(sentencePacket(gsaBody(s), false));
            break;
        case 3:
            for (const std::string& body : gsvBodies(s)) {
                out.push_back(sentencePacket(body, false));
            }
            break;
        case 4:
            out.push_back(sentencePacket(rmcBody(s), false));
            break;
        default:
            out.push_back(sentencePacket(vtgBody(s), false));
            break;
        }
    }
}

Bytes ReceiverEngine::scheduledPayload(uint8_t mid, const ReceiverSnapshot& s,
                                       uint32_t second) const {
    const int channel = static_cast<int>(second % 12);
    switch (mid) {
    case 2:
        return navigationMessage(s, 2);
    case 4:
        return trackerMessage(s, 4);
    case 5:
        return rawTrackMessage(s, channel);
    case 7:
        return clockStatusMessage(s);
    case 8:
        return data50BpsMessage(s, channel);
    case 9:
        return throughputMessage(second);
    case 13:
        return visibleListMessage(s);
    case 17:
        return rawDgpsMessage({0x66, 0x1B, static_cast<uint8_t>(second), 0x3C});
    case 27:
        return dgpsStatus(s, second,
                          config_.beacon ? CorrectionSource::Beacon : CorrectionSource::Sbas);
    case 28:
        return navLibMeasurementMessage(s, output_);
    case 29:
        return navLibDgpsMessage(s);
    case 30:
        return navLibSvStateMessage(s, output_);
    case 31:
        return navLibInitMessage(s, output_);
    case 41:
        return geodeticNavMessage(s);
    case 50:
        return sbasParameters(second);
    case 255:
        return debugTextMessage(debugText(s, second));
    default:
        return {};
    }
}

} // namespace zeph::sim
