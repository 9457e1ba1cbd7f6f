#include "monitor/link/playback_parser.h"

#include "monitor/link/binary_frame.h"

namespace zeph::monitor {
namespace {

// The binary machine's states.
enum BinaryState : int {
    kHunting = 0,
    kAfterSync1 = 1,
    kLengthHigh = 2,
    kLengthLow = 3,
    kPayload = 4,
    kChecksumHigh = 5,
    kChecksumLow = 6,
    kTail1 = 7,
    kTail2 = 8,
};

// The NMEA machine's states, over the bytes the binary machine passes on.
enum NmeaState : int {
    kOutsideSentence = 0,
    kSentenceBody = 1,
    kAfterCr = 2,
};

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

bool printable(uint8_t b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

PlaybackParser::PlaybackParser(ParserContext ctx, RxMessage& msg) : ctx_(ctx), msg_(msg) {}

void PlaybackParser::append(uint8_t b) {
    if (index_ < buffer_.size()) {
        buffer_[index_] = b;
    }
    ++index_;
}

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
    case kHunting:
        if (b == kStartSync1) {
            binaryState_ = kAfterSync1;
        } else {
            nmeaByte(b);
        }
        break;
    case kAfterSync1:
        if (b == kStartSync2) {
            binaryState_ = kLengthHigh;
        } else if (b != kStartSync1) {
            binaryState_ = kHunting;
            nmeaByte(b);
        }
        break;
    case kLengthHigh:
        length_ = static_cast<uint16_t>(b << 8);
        binaryState_ = kLengthLow;
        break;
    case kLengthLow: {
        const uint8_t high = static_cast<uint8_t>(length_ >> 8);
        length_ = static_cast<uint16_t>(length_ | b);
        if (length_ >= 1 && length_ <= kMaxPlaybackPayload) {
            index_ = 0;
            binaryState_ = kPayload;
        } else if (high == kStartSync1 && b == kStartSync2) {
            binaryState_ = kLengthHigh; // the "length" was a new start
        } else if (b == kStartSync1) {
            binaryState_ = kAfterSync1;
        } else {
            binaryState_ = kHunting;
            nmeaByte(b);
        }
        break;
    }
    case kPayload:
        append(b);
        if (index_ >= length_) {
            binaryState_ = kChecksumHigh;
        }
        break;
    case kChecksumHigh:
        checksum_ = static_cast<uint16_t>(b << 8);
        binaryState_ = kChecksumLow;
        break;
    case kChecksumLow:
        checksum_ = static_cast<uint16_t>(checksum_ | b);
        binaryState_ = kTail1;
        break;
    case kTail1:
        if (b == kEndSync1) {
            binaryState_ = kTail2;
        } else if (b == kStartSync1) {
            binaryState_ = kAfterSync1;
        } else {
            binaryState_ = kHunting;
            nmeaByte(b);
        }
        break;
    case kTail2:
        tail2(b);
        break;
    default:
        binaryState_ = kHunting;
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
            binaryState_ = kHunting;
            nmeaState_ = kOutsideSentence;
        } else {
            ctx_.events.writeLog("Comm: Checksum Error\n");
        }
    } else if (b == kStartSync1) {
        binaryState_ = kAfterSync1;
    } else {
        binaryState_ = kHunting;
        nmeaByte(b);
    }
}

void PlaybackParser::nmeaByte(uint8_t b) {
    switch (nmeaState_) {
    case kOutsideSentence:
        if (b == '$') {
            buffer_[0] = '$';
            index_ = 1;
            nmeaState_ = kSentenceBody;
        }
        break;
    case kSentenceBody:
        // The index is shared with the binary machine, which may have left it anywhere.
        append(b);
        if (index_ >= kMaxSentenceIndex) {
            nmeaState_ = kOutsideSentence;
        } else if (b == kCr) {
            nmeaState_ = kAfterCr;
        } else if (!printable(b)) {
            nmeaState_ = kOutsideSentence;
        }
        break;
    case kAfterCr:
        if (b == kLf && index_ < buffer_.size()) {
            buffer_[index_] = b;
            ctx_.decoder.storeText(reinterpret_cast<const char*>(buffer_.data()), index_ + 1, msg_);
            ctx_.sink.onMessage(&msg_);
            ctx_.state.dataReceived = true;
        }
        nmeaState_ = kOutsideSentence;
        break;
    default:
        nmeaState_ = kOutsideSentence;
        break;
    }
}

} // namespace zeph::monitor
