#pragma once

// zephctl's command line: zephctl [--port PORT[@BAUD]] [--verbose] [--timeout S] COMMAND
// [FIELD=VALUE ...] (with --save FILE for a collection, --wrapper or --file for send), or
// --list, or --help.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zeph::monitor {

constexpr const char* kPortVariable = "ZEPHCTL_PORT";
constexpr uint32_t kDefaultControlBaud = 57600;
constexpr double kDefaultTimeoutSeconds = 5;

struct ControlOptions {
    bool help = false;
    bool list = false;
    bool verbose = false;
    std::string port; // as given: a device path or COMn
    uint32_t baud = kDefaultControlBaud;
    double timeoutSeconds = kDefaultTimeoutSeconds;
    std::string command;
    std::vector<std::string> fields;
    // almanac and ephemeris: the file the collection is saved to; send: its wrapper or file.
    std::optional<std::string> save;
    std::optional<std::string> wrapper;
    std::optional<std::string> file;
};

struct ControlOptionsResult {
    std::optional<ControlOptions> options;
    std::string error; // one line, for a usage refusal
};

// `getenv` stands in for the environment (ZEPHCTL_PORT when --port is not given).
ControlOptionsResult
parseControlOptions(std::span<const std::string> args,
                    const std::function<std::optional<std::string>(const std::string&)>& getenv);

extern const char* const kControlUsage;

} // namespace zeph::monitor
