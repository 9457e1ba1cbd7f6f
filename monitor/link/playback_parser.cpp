#include "monitor/link/playback_parser.h"

#include "monitor/link/binary_frame.h"

namespace zeph::monitor {
namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

bool printable(uint8_t b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

PlaybackParser::PlaybackParser(ParserContext ctx, RxMessage& msg) : ctx_(ctx), msg_(msg) {}

const RxMessage* PlaybackParser::readNext(std::FILE* file) {
    const size_t got = std::fread(chunk_.data(), 1, chunk_.size(), file);
    if (got == 0) {
        return nullptr;
    }
    process(chunk_.data(), got);
    return &msg_;
}

void PlaybackParser::process(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) {
        return;
    }
    ctx_.events.activity();
    for (size_t i = 0; i < count; ++i) {
        binaryByte(bytes[i]);
    }
}

// The binary machine sees every byte first; what it does not take goes on to the NMEA machine.
void PlaybackParser::binaryByte(uint8_t b) {
    switch (binaryState_) {
    case 0:
        if (b == kStartSync1) {
            binaryState_ = 1;
        } else {
            nmeaByte(b);
        }
        break;
    case 1:
        if (b == kStartSync2) {
            binaryState_ = 2;
        } else if (b != kStartSync1) {
            binaryState_ = 0;
            nmeaByte(b);
        }
        break;
    case 2:
        length_ = static_cast<uint16_t>(b << 8);
        binaryState_ = 3;
        break;
    case 3: {
        const uint8_t high = static_cast<uint8_t>(length_ >> 8);
        length_ = static_cast<uint16_t>(length_ | b);
        if (length_ >= 1 && length_ <= kMaxPlaybackPayload) {
            index_ = 0;
            binaryState_ = 4;
        } else if (high == kStartSync1 && b == kStartSync2) {
            binaryState_ = 2; // the "length" was a new start
        } else if (b == kStartSync1) {
            binaryState_ = 1;
        } else {
            binaryState_ = 0;
            nmeaByte(b);
        }
        break;
    }
    case 4:
        if (index_ < buffer_.size()) {
            buffer_[index_] = b;
        }
        ++index_;
        if (index_ >= length_) {
            binaryState_ = 5;
        }
        break;
    case 5:
        checksum_ = static_cast<uint16_t>(b << 8);
        binaryState_ = 6;
        break;
    case 6:
        checksum_ = static_cast<uint16_t>(checksum_ | b);
        binaryState_ = 7;
        break;
    case 7:
        if (b == kEndSync1) {
            binaryState_ = 8;
        } else if (b == kStartSync1) {
            binaryState_ = 1;
        } else {
            binaryState_ = 0;
            nmeaByte(b);
        }
        break;
    case 8:
        tail2(b);
        break;
    default:
        binaryState_ = 0;
        break;
    }
}

// A frame counts only once its last sync byte is in. A checksum failure keeps the machine here,
// so a repeated end sync is checked (and logged) again.
void PlaybackParser::tail2(uint8_t b) {
    if (b == kEndSync2) {
        if (frameChecksum(buffer_.data(), length_) == checksum_) {
            ctx_.decoder.decodeBinary(buffer_.data(), length_, msg_, nullptr);
            ctx_.sink.onMessage(&msg_);
            ctx_.state.dataReceived = true;
            binaryState_ = 0;
            nmeaState_ = 0;
        } else {
            ctx_.events.writeLog("Comm: Checksum Error\n");
        }
    } else if (b == kStartSync1) {
        binaryState_ = 1;
    } else {
        binaryState_ = 0;
        nmeaByte(b);
    }
}

void PlaybackParser::nmeaByte(uint8_t b) {
    switch (nmeaState_) {
    case 0:
        if (b == '$') {
            buffer_[0] = '$';
            index_ = 1;
            nmeaState_ = 1;
        }
        break;
    case 1:
        // The index is shared with the binary machine, which may have left it anywhere.
        if (index_ < buffer_.size()) {
            buffer_[index_] = b;
        }
        ++index_;
        if (index_ >= kMaxSentenceIndex) {
            nmeaState_ = 0;
        } else if (b == kCr) {
            nmeaState_ = 2;
        } else if (!printable(b)) {
            nmeaState_ = 0;
        }
        break;
    case 2:
        if (b == kLf && index_ < buffer_.size()) {
            buffer_[index_] = b;
            ctx_.decoder.storeText(reinterpret_cast<const char*>(buffer_.data()), index_ + 1, msg_);
            ctx_.sink.onMessage(&msg_);
            ctx_.state.dataReceived = true;
        }
        nmeaState_ = 0;
        break;
    default:
        nmeaState_ = 0;
        break;
    }
}

} // namespace zeph::monitor
