#include "monitor/link/stream_parser.h"

#include "monitor/link/link_error.h"

#include "common/text/strprintf.h"

namespace zeph::monitor {
namespace {

enum State : int {
    kHunting = 0,
    kAfterSync1 = 1,
    kLengthHigh = 2,
    kLengthLow = 3,
    kPayload = 4,
    kChecksumHigh = 5,
    kChecksumLow = 6,
    kTail1 = 7,
    kTail2 = 8,
    kBetweenSentences = 9,
    kSentenceBody = 10,
    kAfterCr = 11,
};

constexpr int kMaxSentenceIndex = 0x3F0; // characters after the '$'
constexpr size_t kDumpLineBreak = 100;   // a dump line is reported once it grows past this
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

bool printable(uint8_t b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

StreamParser::StreamParser(ParserContext ctx, RxMessage& msg, SourceReplies* source,
                           CommandSender* sender)
    : ctx_(ctx), msg_(msg), source_(source), sender_(sender) {}

void StreamParser::reset() {
    state_ = kHunting;
    synchronised_ = false;
}

size_t StreamParser::process(const uint8_t* bytes, size_t count) {
    if (bytes == nullptr) {
        return count;
    }
    ctx_.events.activity();
    for (size_t i = 0; i < count; ++i) {
        step(bytes[i]);
    }
    return count;
}

void StreamParser::step(uint8_t b) {
    switch (state_) {
    case kHunting:
        if (b == kStartSync1) {
            state_ = kAfterSync1;
        } else if (b == '$') {
            startSentence();
        } else {
            reportIfSynchronised(strprintf("Comm: Unknown char: %02X", b));
        }
        break;
    case kAfterSync1:
        if (b == kStartSync2) {
            state_ = kLengthHigh;
        } else {
            reportIfSynchronised(strprintf("Comm: Unknown chars: A0 %02X", b));
            state_ = kHunting;
        }
        break;
    case kLengthHigh:
        length_ = static_cast<uint16_t>(b << 8);
        state_ = kLengthLow;
        break;
    case kLengthLow:
        length_ = static_cast<uint16_t>(length_ | b);
        if (length_ > kMaxLivePayload) {
            reportIfSynchronised(
                strprintf("Comm: Msg len > 03F0: %02X %02X", length_ >> 8, length_ & 0xFF));
            state_ = kHunting;
        } else {
            index_ = -1;
            state_ = kPayload;
        }
        break;
    case kPayload:
        // At least one byte is stored even for a declared length of 0.
        storeByte(b);
        if (index_ + 1 >= length_) {
            state_ = kChecksumHigh;
        }
        break;
    case kChecksumHigh:
        checksum_ = static_cast<uint16_t>(b << 8);
        state_ = kChecksumLow;
        break;
    case kChecksumLow:
        checksumComplete(b);
        break;
    case kTail1:
        if (b == kEndSync1) {
            state_ = kTail2;
        } else {
            report(strprintf("Comm: Msg 0x%02X bad tail sync: %02X", buffer_[0], b));
            state_ = kHunting;
        }
        break;
    case kTail2:
        if (b != kEndSync2) {
            report(strprintf("Comm: Msg 0x%02X bad tail sync: B0 %02X", buffer_[0], b));
        }
        state_ = kHunting;
        break;
    case kBetweenSentences:
        if (b == '$') {
            startSentence();
        } else if (b == kStartSync1) {
            state_ = kAfterSync1;
        } else {
            reportIfSynchronised(strprintf("Comm: NMEA unknown char: %02X", b));
            state_ = kHunting;
        }
        break;
    case kSentenceBody:
        sentenceBodyByte(b);
        break;
    case kAfterCr:
        afterCr(b);
        break;
    default:
        state_ = kHunting;
        break;
    }
}

void StreamParser::startSentence() {
    buffer_[0] = '$';
    index_ = 0;
    state_ = kSentenceBody;
}

void StreamParser::storeByte(uint8_t b) {
    // The length and sentence limits keep index_ far below the buffer's end; the check is the
    // buffer's own guard.
    if (static_cast<size_t>(index_ + 1) < buffer_.size()) {
        buffer_[static_cast<size_t>(++index_)] = b;
    }
}

void StreamParser::checksumComplete(uint8_t low) {
    checksum_ = static_cast<uint16_t>(checksum_ | low);
    if (frameChecksum(buffer_.data(), length_) == checksum_) {
        state_ = kTail1;
        frameAccepted();
    } else {
        reportIfSynchronised(strprintf("Comm: Msg 0x%02X bad chksum: %02X %02X", buffer_[0],
                                       checksum_ >> 8, checksum_ & 0xFF));
        state_ = kHunting;
    }
}

// The message goes on before its tail is seen; a bad tail is reported but does not withdraw it.
void StreamParser::frameAccepted() {
    synchronised_ = true;
    ctx_.decoder.decodeBinary(buffer_.data(), length_, msg_, source_);
    ctx_.sink.onMessage(&msg_);
    ctx_.state.dataReceived = true;
    if (ctx_.state.targetSwClass < 0) {
        ctx_.state.targetSwClass = kSwUnknown;
        if (sender_ != nullptr) {
            const uint8_t poll[] = {kPollSwVersionMid, 0};
            sender_->sendBinary(poll, sizeof poll);
        }
    }
}

void StreamParser::sentenceBodyByte(uint8_t b) {
    storeByte(b);
    if (printable(b) && b != '$') {
        if (index_ > kMaxSentenceIndex) {
            reportDumpIfSynchronised("Comm: NMEA msg len > 03F0:");
            state_ = kHunting;
        }
    } else if (b == kCr) {
        state_ = kAfterCr;
    } else {
        reportDumpIfSynchronised("Comm: Unknown chars:");
        state_ = kHunting;
    }
}

void StreamParser::afterCr(uint8_t b) {
    storeByte(b);
    if (b == kLf) {
        state_ = kBetweenSentences;
        sentenceAccepted();
    } else {
        reportDumpIfSynchronised("Comm: NMEA bad tail sync:");
        state_ = kHunting;
    }
}

void StreamParser::sentenceAccepted() {
    synchronised_ = true;
    ctx_.decoder.storeText(reinterpret_cast<const char*>(buffer_.data()),
                           static_cast<size_t>(index_ + 1), msg_);
    ctx_.sink.onMessage(&msg_);
    ctx_.state.dataReceived = true;
    // A sentence shows the receiver talks NMEA, so there is no software version to detect.
    ctx_.state.autoDetect = false;
}

void StreamParser::report(std::string_view line) {
    ReportLinkError(ctx_.events, line);
}

void StreamParser::reportIfSynchronised(std::string_view line) {
    if (synchronised_) {
        report(line);
    }
}

// The prefix, then " %02X" for buffer_[0] to buffer_[index_], cut into lines of a little over
// 100 characters; continuation lines carry no prefix.
void StreamParser::reportDumpIfSynchronised(const char* prefix) {
    if (!synchronised_) {
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::array<char, kDumpLineBreak + 4> line{};
    size_t used = 0;
    for (; prefix[used] != '\0' && used < kDumpLineBreak; ++used) {
        line[used] = prefix[used];
    }
    for (int i = 0; i <= index_; ++i) {
        const uint8_t b = buffer_[static_cast<size_t>(i)];
        line[used++] = ' ';
        line[used++] = kHex[b >> 4];
        line[used++] = kHex[b & 0x0F];
        if (used > kDumpLineBreak) {
            report({line.data(), used});
            used = 0;
        }
    }
    if (used != 0) {
        report({line.data(), used});
    }
}

} // namespace zeph::monitor
