#pragma once

// The rules of the two settings windows without their widgets. Choices go into the in-memory
// SettingsRecord of ReceiverState; OK writes the whole record and leaves a request that the
// main window carries out at its next activation.

#include "dashboard/core/trekdash_core.h"

#include "common/prompt/prompter.h"

#include <string>
#include <vector>

namespace zeph::dashboard {

// "1200" .. "38400", the speeds both windows offer.
const std::vector<std::string>& speedItems();

// SetForm: one receiver.
class SetFormCore {
public:
    SetFormCore(TrekdashCore& main, Prompter& prompter) : main_(main), prompter_(prompter) {}

    // "COM 1" .. "COM 16".
    static std::vector<std::string> comItems();

    // Load and every activation read the record again and show it.
    void load() { activate(); }
    void activate();

    int comIndex() const;      // list entry port - 1; -1 when the port is not in the list
    std::string speed() const; // the stored speed text
    bool cancelEnabled() const { return !main_.state().PortOpenFailed; }

    void choosePort(int index);
    void chooseSpeed(const std::string& speed);

    // Writes the record, hides the window and sets SettingsRequest. When the record cannot be
    // written the user is told and the window stays.
    bool ok();
    // Hides the window; refused (false) while the last apply failed to open the port.
    bool cancel();

private:
    TrekdashCore& main_;
    Prompter& prompter_;
};

// DoubleForm: two receivers.
class DoubleFormCore {
public:
    DoubleFormCore(TrekdashCore& main, Prompter& prompter) : main_(main), prompter_(prompter) {}

    // "1" .. "16".
    static std::vector<std::string> portItems();

    void activate();
    int source1Port() const { return main_.state().Settings.source1Port; }
    int source2Port() const { return main_.state().Settings.source2Port; }
    std::string source1Speed() const;
    std::string source2Speed() const;

    void chooseSource1Speed(const std::string& speed);
    void chooseSource2Speed(const std::string& speed);
    void chooseSource1Port(int port);
    void chooseSource2Port(int port);

    // Writes the record, hides the window, sets DoubleRequest; see SetFormCore::ok.
    bool ok();
    // Hides the window; the main window is shown again.
    void cancel();

private:
    TrekdashCore& main_;
    Prompter& prompter_;
};

// The message when the settings file cannot be written.
std::string settingsNotWrittenText(const std::string& path);

} // namespace zeph::dashboard
