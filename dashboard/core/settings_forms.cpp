#include "dashboard/core/settings_forms.h"

namespace zeph::dashboard {

const std::vector<std::string>& speedItems() {
    static const std::vector<std::string> items = {"1200", "2400",  "4800",
                                                   "9600", "19200", "38400"};
    return items;
}

std::string settingsNotWrittenText(const std::string& path) {
    return "The settings could not be written to " + path + "!";
}

std::vector<std::string> SetFormCore::comItems() {
    std::vector<std::string> items;
    for (int i = 1; i <= kComPorts; ++i) {
        items.push_back("COM " + std::to_string(i));
    }
    return items;
}

void SetFormCore::activate() {
    main_.state().Settings = main_.settingsFile().read();
}

int SetFormCore::comIndex() const {
    const int port = main_.state().Settings.port;
    return port >= 1 && port <= kComPorts ? port - 1 : -1;
}

std::string SetFormCore::speed() const {
    return SettingsRecord::text(main_.state().Settings.speed);
}

void SetFormCore::choosePort(int index) {
    if (index >= 0 && index < kComPorts) {
        main_.state().Settings.port = static_cast<int16_t>(index + 1);
    }
}

void SetFormCore::chooseSpeed(const std::string& speed) {
    SettingsRecord::setText(main_.state().Settings.speed, speed);
}

bool SetFormCore::ok() {
    if (!main_.settingsFile().write(main_.state().Settings)) {
        prompter_.tell(settingsNotWrittenText(main_.settingsFile().path()), Prompter::Icon::Error);
        return false;
    }
    main_.controls().setFormVisible = false;
    main_.state().SettingsRequest = true;
    return true;
}

bool SetFormCore::cancel() {
    if (!cancelEnabled()) {
        return false;
    }
    main_.controls().setFormVisible = false;
    return true;
}

std::vector<std::string> DoubleFormCore::portItems() {
    std::vector<std::string> items;
    for (int i = 1; i <= kComPorts; ++i) {
        items.push_back(std::to_string(i));
    }
    return items;
}

void DoubleFormCore::activate() {
    main_.state().Settings = main_.settingsFile().read();
}

std::string DoubleFormCore::source1Speed() const {
    return SettingsRecord::text(main_.state().Settings.source1Speed);
}

std::string DoubleFormCore::source2Speed() const {
    return SettingsRecord::text(main_.state().Settings.source2Speed);
}

void DoubleFormCore::chooseSource1Speed(const std::string& speed) {
    SettingsRecord::setText(main_.state().Settings.source1Speed, speed);
}

void DoubleFormCore::chooseSource2Speed(const std::string& speed) {
    SettingsRecord::setText(main_.state().Settings.source2Speed, speed);
}

void DoubleFormCore::chooseSource1Port(int port) {
    main_.state().Settings.source1Port = static_cast<int16_t>(port);
}

void DoubleFormCore::chooseSource2Port(int port) {
    main_.state().Settings.source2Port = static_cast<int16_t>(port);
}

bool DoubleFormCore::ok() {
    if (!main_.settingsFile().write(main_.state().Settings)) {
        prompter_.tell(settingsNotWrittenText(main_.settingsFile().path()), Prompter::Icon::Error);
        return false;
    }
    main_.controls().doubleFormVisible = false;
    main_.state().DoubleRequest = true;
    return true;
}

void DoubleFormCore::cancel() {
    main_.controls().doubleFormVisible = false;
}

} // namespace zeph::dashboard
