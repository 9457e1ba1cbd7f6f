#pragma once

// The signals a simulator's loop answers: SIGINT, SIGTERM and SIGHUP ask it to stop and, when
// asked for, SIGUSR1 asks for a report. Each wakes the loop's poll() through a pipe whose read
// end the loop watches. SIGPIPE is ignored.

namespace zeph::simcommon {

// Fills `wakeFds` with the pipe (read end first); false when the pipe or a handler failed.
bool installLoopSignals(int wakeFds[2], bool reportSignal);
bool stopRequested();
// True once for every SIGUSR1 since the last call.
bool takeReportRequest();

} // namespace zeph::simcommon
