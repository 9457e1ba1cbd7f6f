#pragma once

// Report: renders each message of a run for the current output mode. In console mode a
// message becomes text on the console sink (everything but the fatal errors is held back by
// -q); in pipe mode it becomes one pipe record on the pipe sink.

#include "flash/engine/cli/options.h"
#include "flash/engine/cli/output_sink.h"
#include "flash/engine/errors/error_texts.h"

#include <cstdint>
#include <string>

namespace zeph::flash {

enum ReportCode : uint32_t {
    kChipIdentified = 1000,
    kInputScanned = 1001,
    kProgrammingDone = 1002,
    kReadingDone = 1003,
    kProgrammingProgress = 1004,
    kReadingProgress = 1005,
    kEndOfRun = 1006,
};

// Times are carried in tenths of a second and shown with one decimal.
using Tenths = int32_t;

// The result file for -sr: program folder + "RES" + port name; for a device path the name is
// its last path element (RES + "ttyS0" for /dev/ttyS0).
std::string resultFileName(const std::string& programFolder, const std::string& port);

// Writes the result file `name`: "PASS" for exit status 0, else "FAIL", replacing the file
// whole so that it never holds a mix. False, with `error` set, when it could not be written; a
// FAIL that cannot be written removes the file instead, so that no earlier PASS stays behind. A
// front end that ran the engine with -sr writes it too when the engine died before writing it.
bool writeResultFile(const std::string& name, int exitStatus, std::string* error = nullptr);

struct ReportSettings {
    bool pipeMode = false;
    bool quiet = false;
    bool verbose = false;
    bool saveResult = false;
    std::string port;          // for the result file
    std::string programFolder; // ends with '/' or is empty
};

ReportSettings reportSettings(const Options& options, const std::string& programFolder);

class Report {
public:
    // `console` is standard output; `pipe` the -wp handle (used in pipe mode only).
    Report(ReportSettings settings, OutputSink& console, OutputSink* pipe);

    // 0..34: console text even with -q, or a record whose code is the error number.
    void error(const FatalError& error);
    // Console mode: the system's reason for the error just reported, on a line of its own,
    // printed even with -q. The pipe record keeps the message alone.
    void errorReason(const std::string& reason);
    // 1000: chipCount 1 or 2.
    void chipIdentified(int chipCount, const std::string& manufacturerName,
                        const std::string& deviceName, bool reading);
    // 1001: reportName is "S-MOTOROLA", "HEX-INTEL", "BINARY" or "AXF". Pipe mode only.
    void inputScanned(const char* reportName, int32_t lowAddr, int32_t hiAddr);
    // 1002
    void programmingDone(Tenths total, Tenths erase, Tenths program);
    // 1003
    void readingDone(Tenths total);
    // 1004
    void programmingProgress(int transferPercent, int programPercent, Tenths erase, Tenths program,
                             Tenths elapsed);
    // 1004 while sectors are erased one by one, before any block goes out: nothing is
    // transferred or programmed yet, the erase time grows. The console says how much of the
    // chip is erased.
    void erasingProgress(int erasedPercent, Tenths erase, Tenths program, Tenths elapsed);
    // 1005
    void readingProgress(int percent, Tenths elapsed);
    // -sr: the result file says FAIL from the start of a run, so that a run that never reaches
    // its end leaves no earlier PASS behind. False, with the reason on the console (also with
    // -q and in pipe mode), when it cannot be written: the run must not start.
    bool startOfRun();
    // 1006, always last: writes the result file first when -sr was given. Returns the exit
    // status to end with: 1 when the result file could not be written (the reason goes to the
    // console as above).
    int endOfRun(int exitStatus);
    // A run ended by a signal: one console line, printed even with -q. The pipe gets no record
    // for it; the end record says the rest.
    void stopped(const std::string& signalName);
    // Diagnostics of -v, to standard output in both modes.
    void verbose(const std::string& text);

private:
    void send(uint32_t code, const std::string& pipeText, const std::string& consoleText,
              bool evenWhenQuiet);

    bool saveResult(int exitStatus);

    ReportSettings settings_;
    bool resultUnwritable_ = false; // found at the start: not tried again
    OutputSink& console_;
    OutputSink* pipe_;
};

} // namespace zeph::flash
