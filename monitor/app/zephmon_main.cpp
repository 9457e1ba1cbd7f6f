// zephmon: the receiver monitor, with its window or without (--headless).

#include "monitor/app/headless_monitor.h"
#include "monitor/app/window_monitor.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested.store(true);
}

// A closed terminal ends the run as SIGTERM does, so the log gets its tail and closing line.
// Until the run looks at the flag the signals keep their default and end the program at once:
// the window's start-up may wait on the display.
void watchStopSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, requestStop);
    }
}

std::string programPath(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(argv0) : self.string();
}

} // namespace

int main(int argc, char** argv) {
    using namespace zeph::monitor;
    const std::vector<std::string> args(argv + 1, argv + argc);
    ParsedOptions parsed = parseHeadlessOptions(args);
    if (parsed.help) {
        std::fputs(zephmonUsage(kWindowBuild).c_str(), stdout);
        return 0;
    }
    if (!parsed.options) {
        std::fprintf(stderr, "zephmon: %s\n", parsed.error.c_str());
        return 2;
    }
    HeadlessOptions options = *parsed.options;
    if (options.settingsPath.empty()) {
        options.settingsPath = settingsPathFor(programPath(argv[0])).string();
    } else if (const auto refusal = refuseNamedSettingsFile(options.settingsPath)) {
        // Only the program's own file is replaced when it is not ours; a named one is left.
        std::fprintf(stderr, "zephmon: %s\n", refusal->c_str());
        return 2;
    }
    if (std::find(args.begin(), args.end(), "--headless") == args.end()) {
        return runWindowMonitor(argc, argv, options, stopRequested, watchStopSignals);
    }
    watchStopSignals();
    zeph::SystemClock clock;
    StderrPrompter prompter;
    HeadlessMonitor monitor(options, clock, prompter);
    return monitor.run(stopRequested);
}
