// zephmon built without Qt: the window is not there, so a run without --headless says so.

#include "monitor/app/window_monitor.h"

#include <cstdio>

namespace zeph::monitor {

const bool kWindowBuild = false;

int runWindowMonitor(int, char**, const HeadlessOptions&, const std::atomic<bool>&, void (*)()) {
    std::fputs("zephmon: this build has no window; run it with --headless\n", stderr);
    return 2;
}

} // namespace zeph::monitor
