#pragma once

// Test doubles for the dashboard core: a port object fed from the test, and a prompter that
// records what it was told.

#include "dashboard/core/nmea_port.h"

#include "common/prompt/prompter.h"

#include <string>
#include <vector>

namespace zeph::dashboard::testing {

class FakePort : public PortObject {
public:
    void setPort(int comNumber) override { port = comNumber; }
    void setSettings(const std::string& text) override { settings = text; }
    void open() override {
        ++opens;
        isOpen_ = !busy;
    }
    void close() override { isOpen_ = false; }
    bool isOpen() const override { return isOpen_; }
    std::string readAll() override {
        std::string out;
        out.swap(incoming);
        return out;
    }
    void write(const std::string& text) override { written.push_back(text); }

    bool busy = false;    // another holder: open fails
    std::string incoming; // what the next readAll returns
    int port = 0;
    std::string settings;
    int opens = 0;
    std::vector<std::string> written;

private:
    bool isOpen_ = false;
};

class RecordingPrompter : public Prompter {
public:
    Answer ask(const std::string& text, Icon icon, Buttons) override {
        messages.push_back(text);
        icons.push_back(icon);
        return Answer::Ok;
    }
    std::vector<std::string> messages;
    std::vector<Icon> icons;
};

} // namespace zeph::dashboard::testing
