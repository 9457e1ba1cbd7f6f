#pragma once

// The rules of the "Select Target Software" dialog over the program-wide state: which choice it
// opens with, and what OK and Cancel change. The Qt dialog only shows them.

#include "monitor/messages/program_state.h"

#include <array>

namespace zeph::monitor {

namespace targetdialog {

constexpr const char* kTitle = "Select Target Software";
// One choice per known class, in class order: choice n is TargetSwClass n + 1.
constexpr std::array<const char*, 5> kChoices = {"2.&3 or higher", "2.&1 && 2.2", "2.&0", "Drovana",
                                                 "ZephNav"};
constexpr const char* kAutoDetection = "&Auto-detection";

} // namespace targetdialog

class TargetSoftwareChoice {
public:
    // Opening: the choice of the known class, or the first choice with Cancel disabled while no
    // class is known (the user must name one); the box shows the auto-detection flag. Marks the
    // dialog open, which holds back auto-detection's no-answer count.
    explicit TargetSoftwareChoice(ProgramState& state);

    int choice() const { return choice_; }
    bool autoDetect() const { return autoDetect_; }
    bool cancelEnabled() const { return cancelEnabled_; }
    bool isOpen() const { return open_; }

    // OK: the class of the choice and the box's flag; the dialog is no longer open.
    void accept(int choice, bool autoDetect);
    // Cancel changes nothing but the dialog-open flag.
    void cancel();

private:
    ProgramState& state_;
    int choice_ = 0;
    bool autoDetect_ = false;
    bool cancelEnabled_ = false;
    bool open_ = true;
};

} // namespace zeph::monitor
