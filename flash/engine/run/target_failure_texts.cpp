#include "flash/engine/run/target_failure_texts.h"

#include "common/text/strprintf.h"

#include <array>

namespace zeph::flash {

namespace {

// What the target was doing when it stopped: one heading per pair of codes (even for a 16-bit
// bus, odd for a 32-bit bus), and whether the third value is a status or the data read back.
struct ActivityKind {
    const char* heading;
    bool status;
};

constexpr std::array<ActivityKind, 6> kActivities = {{
    {"waiting for write or erase completion", true},
    {"waiting for write completion", true},
    {"waiting for erase completion", true},
    {"write verify", false},
    {"erase sector verify", false},
    {"erase chip verify", false},
}};

} // namespace

std::string LastOperationText(const std::optional<LastOperation>& operation) {
    if (!operation) {
        return "Last operation: not reported by the target\n";
    }
    switch (operation->code) {
    case 0:
        return strprintf("Last operation: block write at 0x%x\n", operation->address);
    case 1:
        return strprintf("Last operation: sector erase at 0x%x\n", operation->address);
    case 2:
        return "Last operation: chip erase\n";
    case 3:
        return strprintf("Last operation: sector lock at 0x%x\n", operation->address);
    case 4:
        return strprintf("Last operation: sector unlock at 0x%x\n", operation->address);
    default:
        return strprintf("Last operation code: 0x%x\n", operation->code);
    }
}

std::string LastActivityText(const std::optional<LastActivity>& activity) {
    if (!activity) {
        return "Last activity: not reported by the target\n";
    }
    const size_t kind = activity->code / 2u;
    if (kind >= kActivities.size()) {
        return strprintf("Last activity: unknown (code 0x%x)\n", activity->code);
    }
    const ActivityKind& what = kActivities[kind];
    const bool wide = activity->code % 2 != 0; // odd codes: a 32-bit bus
    const char* third = what.status ? "Status:        " : "Actual data:   ";
    uint32_t expected = activity->expected;
    uint32_t value = activity->actual;
    if (what.status) {
        value &= wide ? 0x00FF00FFu : 0xFFu;
    } else if (!wide) {
        value &= 0xFFFFu;
    }
    if (!wide) {
        expected &= 0xFFFFu;
    }
    if (wide) {
        return strprintf(
            "Last activity: %s\nAddress:       0x%08x\nExpected data: 0x%08x\n%s0x%08x\n",
            what.heading, activity->address, expected, third, value);
    }
    return strprintf("Last activity: %s\nAddress:       0x%08x\nExpected data: 0x%04x\n%s0x%04x\n",
                     what.heading, activity->address, expected, third, value);
}

} // namespace zeph::flash
