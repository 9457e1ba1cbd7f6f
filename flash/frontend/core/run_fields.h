#pragma once

// What the engine's pipe records put into the dialog: the two bars, the timing fields, the
// flash and input file information, and the messages to show.

#include "flash/engine/cli/pipe_record.h"
#include "flash/engine/cli/report.h"

#include <optional>
#include <string>

namespace zeph::burnfront {

// The record codes are the engine's own; codes up to 999 are its numbered fatal errors.
using enum flash::ReportCode;
inline constexpr uint32_t kLastFatalCode = 999;

struct RunFields {
    int xfer = 0; // bars, 0..100
    int prog = 0;
    std::string total = "0.0";
    std::string erase = "0.0";
    std::string burn = "0.0";
    std::string manufacturer;
    std::string model;
    std::string chips;
    std::string fileType;
    std::string lowestAddress;
    std::string highestAddress;
    // The times of records 1002 and 1003, kept but not shown.
    double totalTime = 0;
    double eraseTime = 0;
    double programTime = 0;

    // The timing fields as a run starts: erase and burn times mean nothing to a read.
    void startRun(bool programming);
    // Bars to 0 and the six info fields cleared, once the child runs.
    void childStarted();
};

struct RecordEffect {
    bool fieldsChanged = false;
    std::optional<std::string> message; // a fatal error's text to show
    std::optional<int> exitStatus;      // record 1006: the run is over
};

// The exit status record 1006 carries; 1 when its text is no number, as the run is over
// either way and nothing says it succeeded.
int endOfRunStatus(const std::string& text);

// Applies one record. A record whose text does not parse changes nothing.
RecordEffect applyRecord(const flash::PipeRecord& record, RunFields& fields);

} // namespace zeph::burnfront
