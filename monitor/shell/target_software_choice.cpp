#include "monitor/shell/target_software_choice.h"

#include <algorithm>

namespace zeph::monitor {

namespace {

constexpr int kLastChoice = static_cast<int>(targetdialog::kChoices.size()) - 1;

} // namespace

TargetSoftwareChoice::TargetSoftwareChoice(ProgramState& state) : state_(state) {
    const int known = state_.targetSwClass - 1;
    if (known >= 0 && known <= kLastChoice) {
        choice_ = known;
        cancelEnabled_ = true;
    }
    autoDetect_ = state_.autoDetect;
    state_.targetDialogOpen = true;
}

void TargetSoftwareChoice::accept(int choice, bool autoDetect) {
    choice_ = std::clamp(choice, 0, kLastChoice);
    autoDetect_ = autoDetect;
    state_.targetSwClass = choice_ + 1;
    state_.autoDetect = autoDetect;
    state_.targetDialogOpen = false;
    open_ = false;
}

void TargetSoftwareChoice::cancel() {
    state_.targetDialogOpen = false;
    open_ = false;
}

} // namespace zeph::monitor
