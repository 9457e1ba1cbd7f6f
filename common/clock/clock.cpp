#include "clock.h"

#include <thread>

namespace zeph {

void SystemClock::sleepFor(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace zeph
