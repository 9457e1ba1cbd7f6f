#pragma once

// A zephsim run for the end-to-end tests: the device from its first line, signals, and a stop
// by SIGTERM.

#include "common/testing/child_process.h"

#include <string>
#include <vector>

namespace zeph::sim::testing {

class SimProcess : public zeph::testing::BackgroundProgram {
public:
    explicit SimProcess(const std::vector<std::string>& options)
        : BackgroundProgram(commandLine(options)) {}

    // The first line of standard output: the device to connect to.
    std::string firstLine(int timeoutMs = 5000) { return readLine(timeoutMs); }

private:
    static std::vector<std::string> commandLine(const std::vector<std::string>& options) {
        std::vector<std::string> argv = {zeph::testing::programPath("zephsim")};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
    }
};

} // namespace zeph::sim::testing
