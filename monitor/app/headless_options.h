#pragma once

// The command line of `zephmon --headless`.

#include "monitor/shell/settings.h"

#include <optional>
#include <string>
#include <vector>

namespace zeph::monitor {

struct HeadlessOptions {
    std::string settingsPath;                 // empty: beside the program
    std::optional<DataSourceSettings> source; // this run's source, not saved
    std::optional<std::string> logPath;       // this run's log file, appended
    std::optional<std::string> selection;     // 256 '0'/'1' characters
    std::optional<int> seconds;
};

struct ParsedOptions {
    std::optional<HeadlessOptions> options; // nothing: see error, or help
    std::string error;                      // one line
    bool help = false;
};

// `args` without the program name. A serial source override keeps the default line settings
// (57600 8N1) unless @BAUD names a rate.
ParsedOptions parseHeadlessOptions(const std::vector<std::string>& args);

// The text of --help, for a build with the window or one without it.
std::string zephmonUsage(bool withWindow);

} // namespace zeph::monitor
