#pragma once

// The receiver's input side: cuts what the client writes into binary command frames and NMEA
// command sentences. Written from the wire rules alone, apart from the monitor's parsers.

#include "wire_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zeph::sim {

struct InputMessage {
    enum class Kind { Frame, Sentence };
    Kind kind = Kind::Frame;
    Bytes payload;    // Frame: the payload, MID first
    std::string body; // Sentence: the text between '$' and '*', e.g. "ZUVE100,0,38400,8,1,0"
};

// What the parser threw away, by cause.
struct InputRejects {
    uint64_t badChecksums = 0; // frames and sentences whose checksum did not match
    uint64_t badTails = 0;     // frames without B0 B3, sentences without CR LF
    uint64_t badLengths = 0;   // frames declaring 0 or more than kMaxInputPayload bytes
    uint64_t badSentences = 0; // sentences with a control byte, no checksum, or too long
    uint64_t strayBytes = 0;   // bytes between messages

    uint64_t messages() const { return badChecksums + badTails + badLengths + badSentences; }
};

// A command payload is at most 992 bytes; a little room above that costs nothing.
constexpr size_t kMaxInputPayload = 1023;
// Command sentences are short; anything longer is line noise.
constexpr size_t kMaxSentenceBody = 255;

class InputParser {
public:
    // Consumes a chunk; a message split over several chunks is completed by a later call. A
    // frame counts only with a matching checksum and its tail, a sentence only with a matching
    // "*hh" checksum and CR LF.
    std::vector<InputMessage> feed(const uint8_t* bytes, size_t count);
    // Drops a partly received message (the line settings changed under it).
    void reset() { state_ = State::Hunt; }

    const InputRejects& rejects() const { return rejects_; }

private:
    enum class State {
        Hunt,
        Sync2,
        LengthHigh,
        LengthLow,
        Payload,
        ChecksumHigh,
        ChecksumLow,
        Tail1,
        Tail2,
        SentenceBody,
        SentenceLf
    };

    // Returns true when the byte must be looked at again from the hunting state.
    bool step(uint8_t b, std::vector<InputMessage>& out);
    void startSentence();
    void finishSentence(std::vector<InputMessage>& out);

    State state_ = State::Hunt;
    size_t length_ = 0;
    unsigned checksum_ = 0;
    Bytes payload_;
    std::string body_;
    InputRejects rejects_;
};

} // namespace zeph::sim
