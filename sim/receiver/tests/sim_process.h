#pragma once

// A zephsim run for the end-to-end tests: the device from its first line, signals, and a stop
// by SIGTERM.

#include "common/testing/child_process.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace zeph::sim::testing {

class SimProcess : public zeph::testing::BackgroundProgram {
public:
    explicit SimProcess(const std::vector<std::string>& options)
        : BackgroundProgram(commandLine(options)) {}

    // The first line of standard output: the device to connect to.
    std::string firstLine(int timeoutMs = 5000) { return readLine(timeoutMs); }

    // Asks for the counts (SIGUSR1) until they hold `text`: what zephsim has taken from the line
    // shows there, however long a busy machine takes to carry it. False after `timeoutMs`.
    bool countsShow(const std::string& text, int timeoutMs = 10'000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const size_t before = err().size();
            signal(SIGUSR1);
            while (err().size() == before && std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (err().find(text, before) != std::string::npos) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
        }
    }

private:
    static std::vector<std::string> commandLine(const std::vector<std::string>& options) {
        std::vector<std::string> argv = {zeph::testing::programPath("zephsim")};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
    }
};

} // namespace zeph::sim::testing
