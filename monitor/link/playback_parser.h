#pragma once

// The parser of binary capture files. Unlike the live parser it reports nothing but checksum
// failures (to the log only), takes payloads of 1 to 255 bytes, and finds NMEA sentences in the
// bytes the binary machine passes over.
//
// Only a completed frame resets its two machines, so garbage or a frame cut short leaves them
// where they stopped. Each file source has a parser of its own, so a new file starts afresh.

#include "monitor/link/parser_context.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zeph::monitor {

class PlaybackParser {
public:
    static constexpr size_t kChunkBytes = 1000;
    static constexpr size_t kBufferBytes = 256;
    static constexpr size_t kMaxSentenceIndex = 254; // a sentence reaching this is dropped

    PlaybackParser(ParserContext ctx, RxMessage& msg);

    // Parses one chunk of the capture file; a null chunk is ignored.
    void process(const uint8_t* bytes, size_t count);
    // Reads and parses the file's next chunk. Returns the source's message, or nullptr at the
    // end of the file.
    const RxMessage* readNext(std::FILE* file);

    // 0 to 8 and 0 to 2; see the state names in playback_parser.cpp.
    int binaryState() const { return binaryState_; }
    int nmeaState() const { return nmeaState_; }

private:
    void binaryByte(uint8_t b);
    void nmeaByte(uint8_t b);
    void tail2(uint8_t b);
    // Keeps `b` at the index while there is room; the index counts on regardless.
    void append(uint8_t b);

    ParserContext ctx_;
    RxMessage& msg_;

    int binaryState_ = 0;
    int nmeaState_ = 0;
    // One buffer and one index serve both machines.
    std::array<uint8_t, kBufferBytes> buffer_{};
    size_t index_ = 0;
    uint16_t length_ = 0;
    uint16_t checksum_ = 0;
    std::array<uint8_t, kChunkBytes> chunk_{};
};

} // namespace zeph::monitor
