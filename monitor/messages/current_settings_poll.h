#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zeph::monitor {

constexpr int kPollTicks = 60; // 50 ms ticks of the serial service: 3 s
constexpr size_t kPolledRecordBytes = 40;

// The settings a command's MID 43 echo reported, laid out as the command's own payload.
using PolledSettings = std::array<uint8_t, kPolledRecordBytes>;

struct PollCountdown {
    uint8_t mid;
    int countdown = 0;
    bool arrived = false;
    PolledSettings record{};
};

// Whether a command's dialog polls the receiver's current settings first: the SBAS parameters
// always, the others unless the software is known to be unable to report them (2.0, Drovana,
// the navigation library).
bool currentSettingsPollDue(uint8_t mid, int targetSwClass);

// The feed's nine current-settings polls: a command's dialog opens with the receiver's echo
// when it comes in time, else with its defaults.
class CurrentSettingsPolls {
public:
    struct DialogToOpen {
        uint8_t mid;
        bool current; // false: the poll ran out, the record is cleared
        PolledSettings record;
    };

    CurrentSettingsPolls();

    void start(uint8_t mid);
    // Takes a MID 43 echo (from its echoed MID on, host order); false when nothing waits for it.
    bool accept(const uint8_t* echo, size_t length);
    // One 50 ms tick: the dialogs that must open now.
    std::vector<DialogToOpen> tick();

    const PollCountdown* find(uint8_t mid) const;

private:
    PollCountdown* slot(uint8_t mid);
    std::array<PollCountdown, 9> polls_;
};

} // namespace zeph::monitor
