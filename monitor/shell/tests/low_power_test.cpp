// The Low Power dialog's rules: what each mode, the target software and the list-only flag
// enable, the checks of Send in their order, and the two messages it sends.

#include "monitor/shell/low_power.h"

#include "monitor/messages/program_state.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zeph::monitor {
namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    for (const uint8_t b : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        out += two;
    }
    return out;
}

TEST(LowPower, EnablingFollowsModeSoftwareAndListFlag) {
    struct Case {
        int mode;
        int targetClass;
        bool listOnly;
        LowPowerEnabling expected; // timing, adaptive, period, invalid-setting group
    };
    const Case cases[] = {
        {kContinuous, kSwUnknown, true, {false, false, false, false}},
        {kLullcycle, kSwUnknown, true, {true, true, false, true}},
        {kLullcycle, kSw23OrHigher, false, {true, true, false, false}},
        {kLullcycle, kSw21Or22, true, {true, false, false, true}},
        {kWakeOnDemand, kSw21Or22, true, {false, false, true, false}},
        {kWakeOnDemand, kSw20, true, {false, false, false, false}},
        {kWakeOnDemand, kSwVersionPollPending, true, {false, false, true, false}},
    };
    for (const Case& c : cases) {
        LowPowerFields f;
        f.mode = c.mode;
        f.listOnly = c.listOnly;
        EXPECT_EQ(lowPowerEnabling(f, c.targetClass), c.expected)
            << c.mode << " " << c.targetClass << " " << c.listOnly;
    }
}

TEST(LowPower, SendChecksInOrderAndSendsBothMessages) {
    const std::string acq = "A7000075300001D4C000000708000000000000000000000000";
    struct Case {
        void (*edit)(LowPowerFields&);
        std::string expected; // MID 151 | MID 167 in hex, or the refusal
        bool stopAutoDetect = false;
    };
    const Case cases[] = {
        // continuous still carries the disabled on time and the three timings
        {[](LowPowerFields&) {}, "97000003E8000000C8|" + acq},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "3", f.onTime = "300"; },
         "97000000640000012C|" + acq},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.onTime = "700"; },
         "Lullcycler on-time is invalid with update rate."},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.onTime = "700", f.listOnly = false; },
         "97000002BC000002BC|" + acq},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "12"; },
         "Select update rate from list"},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "03"; },
         "Select update rate from list"},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "12", f.onTime = "250"; },
         "Select update rate from list"},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.onTime = "250"; },
         "Select on-time from list"},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "0", f.listOnly = false; },
         "Please enter an integer between 1 and 4294967295."},
        // outside Lullcycle the lists are not checked
        {[](LowPowerFields& f) { f.updateRate = "12", f.onTime = "250"; },
         "97000003E8000000FA|" + acq, true},
        {[](LowPowerFields& f) { f.mode = kWakeOnDemand, f.period = "5"; },
         "Wake-On-Demand off time is out of range (10 to 7200-s)."},
        {[](LowPowerFields& f) { f.mode = kWakeOnDemand, f.period = "7200", f.adaptive = true; },
         "970001000A000000C8|A7000075300001D4C000001C20000100000000000000000000"},
        {[](LowPowerFields& f) { f.maxSearchTime = "2 min"; }, "Please enter an integer."},
        {[](LowPowerFields& f) { f.mode = kLullcycle, f.updateRate = "5"; },
         "9700000028000000C8|" + acq, true},
        {[](LowPowerFields& f) { f.mode = kWakeOnDemand, f.updateRate = "4"; },
         "970001000A000000C8|" + acq},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        LowPowerFields f;
        cases[i].edit(f);
        const LowPowerSend sent = lowPowerSend(f);
        std::string got = sent.refusal.value_or("");
        for (const auto& payload : sent.payloads) {
            got += (got.empty() ? "" : "|") + hex(payload);
        }
        EXPECT_EQ(got, cases[i].expected) << i;
        EXPECT_EQ(sent.stopAutoDetect, cases[i].stopAutoDetect) << i;
    }
}

} // namespace
} // namespace zeph::monitor
