#pragma once

// What zephctl does for one command line, worked out before the port is touched: the command
// by its name, its fields from FIELD=VALUE texts checked as the dialogs check them, and the
// steps on the line (frames, sentences, reopening at new settings, the answers to wait for).

#include "monitor/commands/command_catalogue.h"
#include "monitor/shell/collection_files.h"
#include "monitor/shell/send_data.h"

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
        SendData, // `bytes` is a Send Data text, sent in `wrapper` as the dialog sends it
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
    uint32_t baud = 0;                             // Reopen
    bool binaryOnly = false;                       // Traffic: a binary frame, not a sentence
    SendWrapper wrapper = SendWrapper::ZephBinary; // SendData
    bool quiet = false; // the answers are counted, not printed (a collection for a file)
};

struct ControlPlan {
    std::string command;
    std::vector<ControlStep> steps;
    // A current-settings poll: the command whose echoed fields are printed.
    const CommandSpec* echoOf = nullptr;
    // A collection saved, once complete, to `savePath` as the monitor saves it.
    std::optional<Collection> save;
    std::string savePath;
    // Told once the steps are done, and the run ends with the usage status: a file whose faulty
    // line comes after satellites that were sent.
    std::string finalError;
};

// What zephctl's options add to a command: the file a collection is saved to, and the wrapper
// or the command file of send.
struct PlanOptions {
    std::optional<std::string> save = std::nullopt;
    std::optional<std::string> wrapper = std::nullopt;
    std::optional<std::string> file = std::nullopt;
};

struct PlanResult {
    std::optional<ControlPlan> plan;
    std::string error; // bad usage or a refusal, one line or the dialog's text
};

// The plan for `command` with `fields` ("NAME=VALUE"); `nowUnixMs` is the PC clock for the
// initialisation's GPS time.
PlanResult makePlan(std::string_view command, std::span<const std::string> fields,
                    const ControlLine& line, int64_t nowUnixMs, const PlanOptions& options = {});

// A field's value as zephctl takes it: a number, or a list entry's word form.
std::string fieldValueText(const CommandField& field, double value);

// zephctl --list: every command with its fields, units, ranges and defaults.
std::string commandListText();

} // namespace zeph::monitor
