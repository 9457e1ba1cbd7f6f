#include "message_decoder.h"

#include "message_records.h"
#include "output_catalogue.h"

#include "common/bytes/byte_order.h"
#include "common/text/strprintf.h"

#include <algorithm>
#include <cstring>

namespace zeph::monitor {
namespace {

constexpr size_t kMaxSwVersionChars = 254;
constexpr uint8_t kSetSerialPortMid = 134;

// Copies what the frame holds of a layout into the record. A frame shorter than its layout
// leaves the rest zero rather than showing bytes of an earlier message.
void copyPayload(RxMessage& msg, const uint8_t* payload, size_t length, size_t layoutLength,
                 size_t at = 0) {
    const size_t n = std::min({length, layoutLength, kRecordBytes - at});
    std::memcpy(msg.record.data() + at, payload, n);
    msg.recordLength = std::max(msg.recordLength, at + layoutLength);
}

uint8_t byteAt(const uint8_t* payload, size_t length, size_t offset) {
    return offset < length ? payload[offset] : 0;
}

} // namespace

MessageDecoder::MessageDecoder(ProgramState& state, MonitorEvents& events, Prompter& prompter)
    : state_(state), events_(events), prompter_(prompter) {}

DoubleOrder MessageDecoder::doubleOrder() const {
    const bool plain = state_.targetSwClass == kSw23OrHigher || state_.targetSwClass == kSwDrovana;
    return plain ? DoubleOrder::BigEndian : DoubleOrder::LowWordFirst;
}

void MessageDecoder::reset(RxMessage& msg) const {
    std::fill_n(msg.record.begin(), std::min(msg.recordLength, kRecordBytes), uint8_t{0});
    msg.recordLength = 0;
    msg.mid = 0;
    msg.subId = 0;
    msg.timeTag.reset();
    msg.textCode = 0;
    msg.text = nullptr;
}

void MessageDecoder::decodeBinary(const uint8_t* payload, size_t length, RxMessage& msg,
                                  SourceReplies* source) {
    reset(msg);
    if (payload == nullptr || length == 0) {
        return;
    }
    const uint8_t mid = payload[0];
    msg.mid = mid;
    const OutputMessage* entry = outputMessage(mid);
    if (entry == nullptr) {
        reportUnknown(payload, length);
    } else {
        switch (entry->decoding) {
        case Decoding::Fixed:
            decodeFixed(entry->layout, payload, length, msg);
            afterFixed(msg, source);
            break;
        case Decoding::SwVersion:
            decodeSwVersion(payload, length, msg);
            break;
        case Decoding::Error:
            decodeError(payload, length, msg);
            break;
        case Decoding::VisibleList:
            decodeVisibleList(payload, length, msg);
            break;
        case Decoding::RawDgps:
            decodeRawDgps(payload, length, msg);
            break;
        case Decoding::DgpsStatus:
            decodeFixed(dgpsStatusLayout(byteAt(payload, length, 1)), payload, length, msg);
            break;
        case Decoding::CommandEcho:
            decodeCommandEcho(payload, length, msg, source);
            break;
        case Decoding::DrOut:
            msg.subId = byteAt(payload, length, 1);
            if (const Layout* layout = drOutLayout(msg.subId)) {
                decodeFixed(*layout, payload, length, msg);
            } else {
                copyPayload(msg, payload, length, 2);
                reportUnknown(payload, length);
            }
            break;
        case Decoding::Text:
            state_.text.assign(reinterpret_cast<const char*>(payload + 1), length - 1);
            msg.text = &state_.text;
            copyPayload(msg, payload, length, 1);
            break;
        }
    }
    state_.nmeaArriving = false;
}

void MessageDecoder::decodeFixed(const Layout& layout, const uint8_t* payload, size_t length,
                                 RxMessage& msg) {
    copyPayload(msg, payload, length, layout.length);
    toHostOrder(msg.record.data(), layout, doubleOrder());
}

// Side effects of the fixed-layout messages, on the decoded record.
void MessageDecoder::afterFixed(RxMessage& msg, SourceReplies* source) {
    switch (msg.mid) {
    case 1:
    case 2: {
        const auto nav = msg.as<NavRecord>();
        msg.timeTag = TimeTag{nav.week, nav.tow};
        break;
    }
    case 3:
    case 4: {
        auto track = msg.as<TrackRecord>();
        msg.timeTag = TimeTag{track.week, track.tow};
        for (int ch = 0; ch < 12; ++ch) {
            int sum = 0;
            int used = 0;
            for (uint8_t cno : track.channel[ch].cno) {
                sum += cno;
                used += cno != 0 ? 1 : 0;
            }
            track.averageCno[ch] = static_cast<uint8_t>(used != 0 ? sum / used : 0);
        }
        std::memcpy(msg.record.data(), &track, sizeof track);
        msg.recordLength = std::max(msg.recordLength, sizeof track);
        break;
    }
    case 11:
        if (source != nullptr && state_.initAfterAck &&
            msg.as<AckRecord>().ackedMid == kSetSerialPortMid) {
            state_.initAfterAck = false;
            source->sendInitialisation();
        }
        break;
    case 14: {
        const auto alm = msg.as<AlmanacRecord>();
        if (alm.svid >= 1 && alm.svid <= kSatellites) {
            if (alm.svid == 1) {
                state_.almanac = {};
            }
            for (int k = 0; k < kAlmanacWords; ++k) {
                state_.almanac[alm.svid - 1][k] = alm.word[k];
            }
            if (alm.svid == kSatellites) {
                events_.almanacComplete();
            }
        }
        break;
    }
    case 15: {
        const auto eph = msg.as<EphemerisRecord>();
        if (eph.svid >= 1 && eph.svid <= kSatellites) {
            if (eph.svid == 1) {
                state_.ephemeris = {};
            }
            for (int k = 0; k < kEphemerisWords; ++k) {
                state_.ephemeris[eph.svid - 1][k] = eph.word[k];
            }
            if (eph.svid == kSatellites) {
                events_.ephemerisComplete();
            }
        } else {
            events_.writeLog("Ephemeris Data contains invalid SVID\n");
        }
        break;
    }
    case 18: {
        const bool ready = msg.as<OkToSendRecord>().flag != 0;
        events_.writeLog(ready ? "OkToSend: TRUE\n" : "OkToSend: FALSE\n");
        if (source != nullptr) {
            source->setSendNow(ready);
        }
        break;
    }
    default:
        break;
    }
}

void MessageDecoder::decodeSwVersion(const uint8_t* payload, size_t length, RxMessage& msg) {
    // The text runs from offset 1 and leaves out the payload's last byte.
    const size_t chars = std::min(length >= 2 ? length - 2 : 0, kMaxSwVersionChars);
    copyPayload(msg, payload, 1 + chars, sizeof(SwVersionRecord));
    const char* text = reinterpret_cast<const char*>(msg.record.data() + 1);
    state_.targetSwText = text;
    events_.targetSoftwareChanged();
    if (!state_.autoDetect) {
        return;
    }
    if (text[0] == '1') {
        prompter_.tell("S/W for Nimbra I is not supported.");
        return;
    }
    const char c2 = text[0] != '\0' ? text[1] : '\0';
    const char c3 = c2 != '\0' ? text[2] : '\0';
    if (c2 == '.') {
        state_.targetSwClass = c3 == '0' ? kSw20 : kSw21Or22;
    } else {
        state_.targetSwClass = c2 < '3' ? kSw21Or22 : kSw23OrHigher;
    }
}

void MessageDecoder::decodeError(const uint8_t* payload, size_t length, RxMessage& msg) {
    decodeFixed(outputMessage(10)->layout, payload, length, msg);
    ErrorRecord error = msg.as<ErrorRecord>();
    const uint16_t announced = error.count; // packed: never bind a reference to it
    error.count = std::min<uint16_t>(announced, kMaxErrorParams);
    for (size_t i = 0; i < error.count; ++i) {
        uint8_t wire[4];
        for (size_t b = 0; b < 4; ++b) {
            wire[b] = byteAt(payload, length, offsetof(ErrorRecord, param) + 4 * i + b);
        }
        error.param[i] = readBe32(wire);
    }
    std::memcpy(msg.record.data(), &error, sizeof error);
    msg.recordLength = std::max(msg.recordLength, sizeof error);
}

void MessageDecoder::decodeVisibleList(const uint8_t* payload, size_t length, RxMessage& msg) {
    const OutputMessage& entry = *outputMessage(13);
    Layout layout = entry.layout;
    const uint8_t count = byteAt(payload, length, 1);
    layout.group.count = count > 32 ? kMaxVisible : count;
    layout.length = static_cast<uint16_t>(2 + layout.group.count * layout.group.stride);
    decodeFixed(layout, payload, length, msg);
    msg.record[1] = layout.group.count;
}

void MessageDecoder::decodeRawDgps(const uint8_t* payload, size_t length, RxMessage& msg) {
    decodeFixed(outputMessage(17)->layout, payload, length, msg);
    const int16_t count = msg.as<RawDgpsRecord>().count;
    // A count of zero or below (its first byte's top bit set) carries nothing.
    const int n = std::min<int>(count, kMaxRawDgpsBytes);
    std::string hex;
    for (int i = 0; i < n; ++i) {
        hex += strprintf("%02X", byteAt(payload, length, 3 + static_cast<size_t>(i)));
    }
    std::memcpy(msg.record.data() + offsetof(RawDgpsRecord, hex), hex.c_str(), hex.size() + 1);
    msg.recordLength = std::max(msg.recordLength, offsetof(RawDgpsRecord, hex) + hex.size() + 1);
}

void MessageDecoder::decodeCommandEcho(const uint8_t* payload, size_t length, RxMessage& msg,
                                       SourceReplies* source) {
    copyPayload(msg, payload, length, 2);
    const Layout* echo = commandEchoLayout(msg.record[1]);
    if (echo == nullptr) {
        return;
    }
    copyPayload(msg, payload + 1, length - 1, echo->length, 1);
    toHostOrder(msg.record.data() + 1, *echo, doubleOrder());
    if (source != nullptr) {
        source->currentSettingsPolls().accept(msg.record.data() + 1, echo->length);
    }
}

void MessageDecoder::reportUnknown(const uint8_t* payload, size_t length) {
    std::string text = "Unk: ";
    for (size_t i = 0; i < length; ++i) {
        text += strprintf("%02X", payload[i]);
    }
    text += '\n';
    events_.showText(text, 0);
    events_.writeLog(text);
}

void MessageDecoder::storeViewText(std::string_view text, uint16_t code, RxMessage& msg) {
    reset(msg);
    msg.mid = 255;
    msg.record[0] = 255;
    msg.recordLength = 1;
    msg.textCode = code;
    state_.text.assign(text.data(), text.size());
    msg.text = &state_.text;
}

void MessageDecoder::storeText(const char* sentence, size_t length, RxMessage& msg) {
    // The CR LF that ends the sentence is not kept.
    storeViewText({sentence, length >= 2 ? length - 2 : 0}, 0, msg);
    if (!state_.nmeaArriving) {
        state_.nmeaArriving = true;
        events_.nmeaArrivingStarted();
    }
}

} // namespace zeph::monitor
