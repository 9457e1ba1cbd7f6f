#pragma once

// RunProgrammer: one run of ZephBurnCL once its options are checked. Open the port, bring the
// target up with the phase-1 program, identify the chip variant, the bus width and the flash
// chips, find them in the chip list, start the phase-2 program named there, then read a flash
// range into the data file or program the data file into flash. Every numbered fatal
// error ends the run the same way: the message, Finish, the port closed, the end record 1006
// with 1 (and the result file), exit status 1.

#include "common/clock/clock.h"
#include "flash/engine/cli/options.h"
#include "flash/engine/cli/output_sink.h"
#include "flash/engine/link/target_port.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace zeph::flash {

// Chip-select n starts at kChipSelectBase + n * kChipSelectStep.
inline constexpr uint32_t kChipSelectBase = 0x40000000;
inline constexpr uint32_t kChipSelectStep = 0x01000000;
// The rate the phase-1 download and the first commands run at.
inline constexpr int kPhase1Baud = 38400;
// Pause before the first command after a download, so the target program has started.
inline constexpr std::chrono::milliseconds kStartPause{100};

// Names of the support files in the program folder.
inline constexpr char kPhase1File[] = "detect.bin";
inline constexpr char kChipListFile[] = "chiplist.txt";
inline constexpr char kGenericPhase2File[] = "generic.bin";

// What a run talks to: the target port, the clock, the console, the pipe (pipe mode only),
// the folder of the support files, the moment the run began, and the signal that asked the run
// to stop (0 while none did; without it nothing stops a run).
struct RunContext {
    TargetPort& port;
    Clock& clock;
    OutputSink& console;
    OutputSink* pipe = nullptr;
    std::string programFolder; // ends with '/' or is empty
    Clock::TimePoint start{};
    std::function<int()> stopSignal = {};
};

uint32_t flashBaseAddress(int chipSelect, uint32_t chipOffset);

// Tenths of a second between two moments, truncated.
int32_t elapsedTenths(Clock::TimePoint from, Clock::TimePoint to);

// Runs the programmer; returns the exit status, 0 or 1.
int RunProgrammer(const Options& options, RunContext& context);

} // namespace zeph::flash
