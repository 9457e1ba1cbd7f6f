#pragma once

// What zephctl does for one command line, worked out before the port is touched: the command
// by its name, its fields from FIELD=VALUE texts checked as the dialogs check them, and the
// steps on the line (frames, sentences, reopening at new settings, the answers to wait for).

#include "monitor/commands/command_catalogue.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// The line zephctl talks on: the rate from --port, eight data bits, no parity, one stop bit.
struct ControlLine {
    uint32_t baud = 57600;
};

struct ControlStep {
    enum class Kind {
        Frame,    // send `bytes` as a binary payload
        Sentence, // send `bytes` as an NMEA body
        Reopen,   // close the port and open it again at `baud`
        Traffic,  // wait for the receiver's output at the current settings
    };
    Kind kind = Kind::Frame;
    std::vector<uint8_t> bytes;
    // Frame: wait for its acknowledgement (MID 11 naming it) and fail on a rejection (MID 12).
    bool awaitAck = false;
    // Frame: then wait for `answerCount` messages of `answerMid` (for MID 43, echoing
    // `echoedMid`).
    uint8_t answerMid = 0;
    int answerCount = 0;
    uint8_t echoedMid = 0;
    uint32_t baud = 0;       // Reopen
    bool binaryOnly = false; // Traffic: a binary frame, not a sentence
};

struct ControlPlan {
    std::string command;
    std::vector<ControlStep> steps;
    // A current-settings poll: the command whose echoed fields are printed.
    const CommandSpec* echoOf = nullptr;
};

struct PlanResult {
    std::optional<ControlPlan> plan;
    std::string error; // bad usage or a refusal, one line or the dialog's text
};

// The plan for `command` with `fields` ("NAME=VALUE"); `nowUnixMs` is the PC clock for the
// initialisation's GPS time.
PlanResult makePlan(std::string_view command, std::span<const std::string> fields,
                    const ControlLine& line, int64_t nowUnixMs);

// A field's value as zephctl takes it: a number, or a list entry's word form.
std::string fieldValueText(const CommandField& field, double value);

// zephctl --list: every command with its fields, units, ranges and defaults.
std::string commandListText();

} // namespace zeph::monitor
