#include "flash/engine/run/stop_signals.h"

#include <csignal>

namespace zeph::flash {

namespace {

volatile std::sig_atomic_t gStopSignal = 0;

void noteStop(int signal) {
    gStopSignal = signal;
}

} // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a dropped remote session must not leave the target in its loader.
    sigaction(SIGHUP, &action, nullptr);
}

int pendingStopSignal() {
    return gStopSignal;
}

std::string stopSignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal " + std::to_string(signal);
    }
}

} // namespace zeph::flash
