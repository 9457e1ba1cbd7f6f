#pragma once

// Recording stand-ins for what the parsers talk to, and a real decoder wired to them.

#include "monitor/link/command_sender.h"
#include "monitor/link/message_sink.h"
#include "monitor/link/parser_context.h"
#include "monitor/messages/message_decoder.h"
#include "monitor/messages/testing/recording_events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor::testing {

using Bytes = std::vector<uint8_t>;

// Each view and log call in order, as "show <code>: text" and "log: text".
class CallLogEvents : public MonitorEvents {
public:
    void writeLog(std::string_view text) override { calls.push_back("log: " + std::string(text)); }
    void showText(std::string_view text, uint16_t code) override {
        char tag[16];
        std::snprintf(tag, sizeof tag, "show %04X: ", code);
        calls.push_back(tag + std::string(text));
    }
    void activity() override { ++blinks; }

    // The link error lines, each checked to have been shown as a link error and then logged
    // with a line end.
    std::vector<std::string> reports() const {
        std::vector<std::string> lines;
        for (size_t i = 0; i < calls.size(); i += 2) {
            const std::string prefix = "show FFFF: ";
            if (calls[i].rfind(prefix, 0) != 0 || i + 1 >= calls.size()) {
                ADD_FAILURE() << "not a link error report: " << calls[i];
                return lines;
            }
            std::string line = calls[i].substr(prefix.size());
            EXPECT_EQ(calls[i + 1], "log: " + line + "\n");
            lines.push_back(std::move(line));
        }
        return lines;
    }

    std::vector<std::string> calls;
    int blinks = 0;
};

struct Received {
    uint8_t mid;
    std::string text;
    Bytes record;
    bool operator==(const Received&) const = default;
};

class RecordingSink : public MessageSink {
public:
    explicit RecordingSink(const RxMessage& expected) : expected_(expected) {}
    void onMessage(const RxMessage* msg) override {
        ASSERT_EQ(msg, &expected_) << "the source's own message must be handed on";
        messages.push_back({msg->mid, std::string(msg->textView()),
                            Bytes(msg->record.begin(), msg->record.begin() + 64)});
    }
    std::vector<uint8_t> mids() const {
        std::vector<uint8_t> out;
        for (const Received& r : messages) {
            out.push_back(r.mid);
        }
        return out;
    }
    std::vector<Received> messages;

private:
    const RxMessage& expected_;
};

class RecordingSender : public CommandSender {
public:
    void sendBinary(const uint8_t* payload, size_t length) override {
        sent.emplace_back(payload, payload + length);
    }
    std::vector<Bytes> sent;
};

// The parsers' surroundings with a real decoder.
struct LinkHarness {
    ProgramState state;
    CallLogEvents events;
    RecordingPrompter prompter;
    MessageDecoder decoder{state, events, prompter};
    RxMessage msg;
    RecordingSink sink{msg};

    ParserContext context() { return {decoder, state, events, sink}; }
};

// A frame built here from the framing rules, apart from the code under test.
inline Bytes frameOf(const Bytes& payload, int checksumDelta = 0) {
    unsigned sum = 0;
    for (uint8_t b : payload) {
        sum += b;
    }
    const unsigned checksum = (sum + static_cast<unsigned>(checksumDelta)) % 65536;
    Bytes out = {0xA0, 0xA2, static_cast<uint8_t>(payload.size() >> 8),
                 static_cast<uint8_t>(payload.size() & 0xFF)};
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(static_cast<uint8_t>(checksum >> 8));
    out.push_back(static_cast<uint8_t>(checksum & 0xFF));
    out.push_back(0xB0);
    out.push_back(0xB3);
    return out;
}

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// MID 11, an acknowledgement of MID 0x85: decoded without side effects.
inline const Bytes kAckPayload = {11, 0x85, 0x01};

} // namespace zeph::monitor::testing
