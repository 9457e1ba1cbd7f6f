#include "loop_signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace zeph::simcommon {
namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gReport = 0;
int gWakeFd = -1; // the write end of the pipe that wakes the loop

void onSignal(int signal) {
    if (signal == SIGUSR1) {
        gReport = 1;
    } else {
        gStop = 1;
    }
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(gWakeFd, "", 1);
    errno = saved;
}

} // namespace

bool installLoopSignals(int wakeFds[2], bool reportSignal) {
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    gWakeFd = wakeFds[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        if ((signal != SIGUSR1 || reportSignal) && ::sigaction(signal, &action, nullptr) != 0) {
            return false;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool stopRequested() {
    return gStop != 0;
}

bool takeReportRequest() {
    if (gReport == 0) {
        return false;
    }
    gReport = 0;
    return true;
}

} // namespace zeph::simcommon
