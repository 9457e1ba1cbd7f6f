#pragma once

// Test doubles for the receiver core: everything it tells the program, in order.

#include "common/prompt/prompter.h"
#include "monitor/messages/message_decoder.h"

#include <string>
#include <vector>

namespace zeph::monitor::testing {

class RecordingEvents : public MonitorEvents {
public:
    void writeLog(std::string_view text) override { log += text; }
    void showText(std::string_view text, uint16_t code) override {
        shown.emplace_back(text);
        codes.push_back(code);
    }
    void targetSoftwareChanged() override { ++titleRebuilds; }
    void almanacComplete() override { ++almanacCompletions; }
    void ephemerisComplete() override { ++ephemerisCompletions; }
    void nmeaArrivingStarted() override { ++nmeaStarts; }
    void activity() override { ++blinks; }

    std::string log;
    std::vector<std::string> shown;
    std::vector<uint16_t> codes;
    int titleRebuilds = 0;
    int almanacCompletions = 0;
    int ephemerisCompletions = 0;
    int nmeaStarts = 0;
    int blinks = 0;
};

class RecordingPrompter : public Prompter {
public:
    Answer ask(const std::string& text, Icon, Buttons) override {
        asked.push_back(text);
        return Answer::Ok;
    }
    std::vector<std::string> asked;
};

class FakeSource : public SourceReplies {
public:
    void setSendNow(bool ready) override { sendNow.push_back(ready); }
    void sendInitialisation() override { ++initialisations; }
    CurrentSettingsPolls& currentSettingsPolls() override { return polls; }

    std::vector<bool> sendNow;
    int initialisations = 0;
    CurrentSettingsPolls polls;
};

} // namespace zeph::monitor::testing
