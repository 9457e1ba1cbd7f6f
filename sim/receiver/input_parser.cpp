#include "input_parser.h"

#include "common/text/nmea_checksum.h"

namespace zeph::sim {
namespace {

constexpr uint8_t kSync1 = 0xA0;
constexpr uint8_t kSync2 = 0xA2;
constexpr uint8_t kTail1 = 0xB0;
constexpr uint8_t kTail2 = 0xB3;

bool printable(uint8_t b) {
    return b >= 0x20 && b <= 0x7E;
}

} // namespace

std::vector<InputMessage> InputParser::feed(const uint8_t* bytes, size_t count) {
    std::vector<InputMessage> out;
    for (size_t i = 0; i < count; ++i) {
        if (step(bytes[i], out)) {
            step(bytes[i], out); // the state is now Hunt, so this returns false
        }
    }
    return out;
}

void InputParser::startSentence() {
    body_.clear();
    state_ = State::SentenceBody;
}

bool InputParser::step(uint8_t b, std::vector<InputMessage>& out) {
    switch (state_) {
    case State::Hunt:
        if (b == kSync1) {
            state_ = State::Sync2;
        } else if (b == '$') {
            startSentence();
        } else {
            ++rejects_.strayBytes;
        }
        return false;
    case State::Sync2:
        if (b == kSync2) {
            state_ = State::LengthHigh;
            return false;
        }
        ++rejects_.strayBytes; // the 0xA0 before
        state_ = State::Hunt;
        return true;
    case State::LengthHigh:
        length_ = static_cast<size_t>(b) << 8;
        state_ = State::LengthLow;
        return false;
    case State::LengthLow:
        length_ |= b;
        if (length_ == 0 || length_ > kMaxInputPayload) {
            ++rejects_.badLengths;
            state_ = State::Hunt;
        } else {
            payload_.clear();
            state_ = State::Payload;
        }
        return false;
    case State::Payload:
        payload_.push_back(b);
        if (payload_.size() == length_) {
            state_ = State::ChecksumHigh;
        }
        return false;
    case State::ChecksumHigh:
        checksum_ = static_cast<unsigned>(b) << 8;
        state_ = State::ChecksumLow;
        return false;
    case State::ChecksumLow: {
        checksum_ |= b;
        unsigned sum = 0;
        for (uint8_t p : payload_) {
            sum += p;
        }
        if ((sum & 0xFFFF) != checksum_) {
            ++rejects_.badChecksums;
            state_ = State::Hunt;
        } else {
            state_ = State::Tail1;
        }
        return false;
    }
    case State::Tail1:
        if (b == kTail1) {
            state_ = State::Tail2;
            return false;
        }
        ++rejects_.badTails;
        state_ = State::Hunt;
        return true;
    case State::Tail2:
        if (b == kTail2) {
            out.push_back({InputMessage::Kind::Frame, payload_, {}});
            state_ = State::Hunt;
            return false;
        }
        ++rejects_.badTails;
        state_ = State::Hunt;
        return true;
    case State::SentenceBody:
        if (b == '\r') {
            state_ = State::SentenceLf;
        } else if (b == '$') {
            ++rejects_.badSentences; // a new sentence starts over the broken one
            startSentence();
        } else if (!printable(b) || body_.size() >= kMaxSentenceBody) {
            ++rejects_.badSentences;
            state_ = State::Hunt;
            return b == kSync1; // a frame may begin right here
        } else {
            body_.push_back(static_cast<char>(b));
        }
        return false;
    case State::SentenceLf:
        if (b == '\n') {
            finishSentence(out);
            state_ = State::Hunt;
            return false;
        }
        ++rejects_.badTails;
        state_ = State::Hunt;
        return true;
    }
    return false;
}

void InputParser::finishSentence(std::vector<InputMessage>& out) {
    const size_t star = body_.rfind('*');
    if (star == std::string::npos || star + 3 != body_.size()) {
        ++rejects_.badSentences;
        return;
    }
    if (!nmeaChecksumMatches(body_)) {
        ++rejects_.badChecksums;
        return;
    }
    body_.resize(star);
    out.push_back({InputMessage::Kind::Sentence, {}, body_});
}

} // namespace zeph::sim
