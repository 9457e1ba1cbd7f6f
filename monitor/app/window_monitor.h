#pragma once

// zephmon with its window: the main frame, started on the command line's choices.

#include "monitor/app/headless_options.h"

#include <atomic>

namespace zeph::monitor {

// Whether this build has the window (a build without Qt has not).
extern const bool kWindowBuild;

// Runs the Qt event loop until the window closes, the time is up or `stop` is set; calls
// `watchingStop` once `stop` is looked at, so signals can set it from then on.
int runWindowMonitor(int argc, char** argv, const HeadlessOptions& options,
                     const std::atomic<bool>& stop, void (*watchingStop)());

} // namespace zeph::monitor
