#include "current_settings_poll.h"

#include <algorithm>
#include <cstring>

namespace zeph::monitor {

bool currentSettingsPollDue(uint8_t mid, int targetSwClass) {
    constexpr uint8_t kSbasParameters = 170;
    constexpr int kLastReportingClass = 2;
    return mid == kSbasParameters || targetSwClass <= kLastReportingClass;
}

CurrentSettingsPolls::CurrentSettingsPolls()
    : polls_{{{133}, {136}, {137}, {138}, {139}, {140}, {143}, {151}, {170}}} {}

PollCountdown* CurrentSettingsPolls::slot(uint8_t mid) {
    for (PollCountdown& p : polls_) {
        if (p.mid == mid) {
            return &p;
        }
    }
    return nullptr;
}

const PollCountdown* CurrentSettingsPolls::find(uint8_t mid) const {
    return const_cast<CurrentSettingsPolls*>(this)->slot(mid);
}

void CurrentSettingsPolls::start(uint8_t mid) {
    if (PollCountdown* p = slot(mid)) {
        p->countdown = kPollTicks;
        p->arrived = false;
    }
}

bool CurrentSettingsPolls::accept(const uint8_t* echo, size_t length) {
    PollCountdown* p = length > 0 ? slot(echo[0]) : nullptr;
    if (p == nullptr || p->countdown <= 0) {
        return false;
    }
    p->record.fill(0);
    std::memcpy(p->record.data(), echo, std::min(length, p->record.size()));
    p->arrived = true;
    return true;
}

std::vector<CurrentSettingsPolls::DialogToOpen> CurrentSettingsPolls::tick() {
    std::vector<DialogToOpen> open;
    for (PollCountdown& p : polls_) {
        if (p.countdown <= 0) {
            continue;
        }
        const int was = p.countdown--;
        if (was == 1) {
            p.record.fill(0);
            p.arrived = false;
            p.countdown = 0;
            open.push_back({p.mid, false, p.record});
        } else if (p.arrived) {
            p.arrived = false;
            p.countdown = 0;
            open.push_back({p.mid, true, p.record});
        }
    }
    return open;
}

} // namespace zeph::monitor
