#pragma once

// zephctl's end of the receiver line: the serial port (exclusive and locked, as the monitor
// holds it), the monitor's framers and live parser, and the messages the parser hands on.

#include "common/prompt/prompter.h"
#include "common/serial/serial_line.h"
#include "monitor/link/send.h"
#include "monitor/link/stream_parser.h"
#include "monitor/messages/message_decoder.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace zeph::monitor {

class ReceiverSession : public OutputPort,
                        public MonitorEvents,
                        public MessageSink,
                        public Prompter {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    // `verbose`: every write goes to `out` as the log's "Tx: 0x" line.
    ReceiverSession(std::string path, bool verbose, std::FILE* out, std::FILE* err);
    ~ReceiverSession() override;

    // Opens (or reopens) the port at `baud`, 8 data bits, no parity, one stop bit, drops what
    // was waiting and lets the line settle as the monitor's port does.
    SerialStatus open(uint32_t baud);
    uint32_t baud() const { return baud_; }

    bool sendFrame(const std::vector<uint8_t>& payload);
    bool sendSentence(std::string_view body);
    // Bytes as they are, once the receiver has said something (Send Data's raw and NMEA sends).
    void sendRaw(const uint8_t* bytes, size_t n);

    // The receiver as decoded so far: the collected almanac and ephemeris among it.
    const ProgramState& state() const { return state_; }
    // How many collections reached their last satellite.
    int almanacsComplete() const { return almanacs_; }
    int ephemeridesComplete() const { return ephemerides_; }

    // Reads and parses until a message satisfies `wanted` (true) or the deadline passes (false).
    bool waitFor(const std::function<bool(const RxMessage&)>& wanted, Deadline deadline);

    // OutputPort
    bool sendNow() const override { return true; }
    void write(const uint8_t* bytes, size_t n) override;
    StagingBuffer& staging() override { return staging_; }
    // MessageSink
    void onMessage(const RxMessage* msg) override;
    // MonitorEvents
    void almanacComplete() override { ++almanacs_; }
    void ephemerisComplete() override { ++ephemerides_; }
    // Prompter: the framers' refusals go to standard error
    Answer ask(const std::string& text, Icon icon, Buttons buttons) override;

private:
    // The monitor writes only once the receiver has said something, waiting up to 3 s.
    void awaitFirstByte();
    bool readSome(int timeoutMs);

    std::string path_;
    bool verbose_;
    std::FILE* out_;
    std::FILE* err_;
    uint32_t baud_ = 0;
    bool heard_ = false;
    bool written_ = false;
    int almanacs_ = 0;
    int ephemerides_ = 0;
    SerialLine line_;
    StagingBuffer staging_;
    ProgramState state_;
    MessageDecoder decoder_;
    std::unique_ptr<RxMessage> msg_;
    std::unique_ptr<StreamParser> parser_;
    std::deque<RxMessage> received_;
};

} // namespace zeph::monitor
