#pragma once

// The live parser of a serial source: cuts the receiver's mixed byte stream into binary frames
// and NMEA sentences, hands each complete message on and reports framing errors.

#include "monitor/link/binary_frame.h"
#include "monitor/link/command_sender.h"
#include "monitor/link/parser_context.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeph::monitor {

class StreamParser {
public:
    // `source` is the owning serial source, for the replies some messages trigger; `sender`
    // carries the software-version poll. Either may be absent.
    StreamParser(ParserContext ctx, RxMessage& msg, SourceReplies* source = nullptr,
                 CommandSender* sender = nullptr);

    // Parses one received chunk; a null chunk is ignored. Returns count.
    size_t process(const uint8_t* bytes, size_t count);
    // Back to hunting, not synchronised: at open and at the source's reset.
    void reset();
    // True once a good frame or a complete sentence has been seen since the last reset.
    bool synchronised() const { return synchronised_; }
    // 0 to 11; see the state names in stream_parser.cpp.
    int state() const { return state_; }

private:
    void step(uint8_t b);
    void startSentence();
    void storeByte(uint8_t b);
    void checksumComplete(uint8_t low);
    void sentenceBodyByte(uint8_t b);
    void afterCr(uint8_t b);
    void frameAccepted();
    void sentenceAccepted();
    void report(std::string_view line);
    void reportIfSynchronised(std::string_view line);
    void reportDumpIfSynchronised(const char* prefix);

    ParserContext ctx_;
    RxMessage& msg_;
    SourceReplies* source_;
    CommandSender* sender_;

    int state_ = 0;
    bool synchronised_ = false;
    std::array<uint8_t, kReceiveBufferBytes> buffer_{};
    int index_ = -1;        // last stored byte of buffer_
    uint16_t length_ = 0;   // declared payload length
    uint16_t checksum_ = 0; // received checksum
};

} // namespace zeph::monitor
