#pragma once

// The data source of a receiver on a serial port: one SerialPort and the live StreamParser.

#include "monitor/link/command_sender.h"
#include "monitor/link/stream_parser.h"
#include "monitor/sources/data_source.h"
#include "monitor/sources/serial_port.h"

#include <string>

namespace zeph::monitor {

class SerialSource : public DataSource,
                     public SourceReplies,
                     public PortConsumer,
                     public CommandSender {
public:
    // Auto-detection waits this many seconds of synchronised link for a software version
    // before the user is asked to choose.
    static constexpr int kNoAnswerSeconds = 5;
    static constexpr int kSecondPeriodMs = 1000;

    // `port` is a "COMn" name or a device path; the other strings are the settings' line values.
    SerialSource(const SourceContext& ctx, std::string port, std::string baud, std::string dataBits,
                 std::string parity, std::string stopBits);
    ~SerialSource() override;

    // A non-empty name replaces the port. On failure the reason is shown in a message box.
    bool open(const std::string& name) override;
    void start() override;
    void close() override;
    // Back to hunting, unsynchronised, and what the port gathered so far is dropped.
    void reset();
    bool isSerial() const override { return true; }
    void sendBinary(const uint8_t* payload, size_t length) override;
    void sendNmea(std::string_view body) override;
    void writeRaw(const uint8_t* bytes, size_t length) override { port_.write(bytes, length); }

    // Timer 1033: the one-second tick.
    void onTimer(int clientId) override;

    // SourceReplies
    void setSendNow(bool ready) override;
    void sendInitialisation() override;
    CurrentSettingsPolls& currentSettingsPolls() override;

    // PortConsumer
    void process(const uint8_t* bytes, size_t count) override;
    void tick() override;

    const StreamParser& parser() const { return parser_; }
    const SerialPort& port() const { return port_; }

private:
    void countNoAnswerSecond();

    SerialPort port_;
    StreamParser parser_;
    std::string baud_;
    std::string dataBits_;
    std::string parity_;
    std::string stopBits_;
    int secondTimer_ = 0;
    int noAnswerSeconds_ = 0;
};

} // namespace zeph::monitor
