#pragma once

// zephsim's command line.

#include "faults.h"
#include "receiver_engine.h"

#include <optional>
#include <string>
#include <vector>

namespace zeph::sim {

struct SimOptions {
    std::string link; // empty: a new pseudo-terminal
    EngineConfig engine;
    FaultOptions faults;
    std::string countsPath; // empty: counts go to standard error on exit and on SIGUSR1
    uint32_t startAfterSeconds = 0;
    bool help = false;
};

struct ParsedOptions {
    std::optional<SimOptions> options; // none on a bad command line
    std::string error;                 // one line, without the program name
};

// `args` without the program name. "--name VALUE" and "--name=VALUE" are both taken.
ParsedOptions parseOptions(const std::vector<std::string>& args);

// The --help text.
std::string usage();

} // namespace zeph::sim
