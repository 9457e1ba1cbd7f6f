#pragma once

// SIGINT, SIGTERM and SIGHUP ask a run to stop instead of killing it: the handler only notes the
// signal, and the run ends the way a fatal error ends it (Finish, the port put back, the end
// record and the result file).

#include <string>

namespace zeph::flash {

// Installs the handlers for SIGINT, SIGTERM and SIGHUP. Blocking calls are not restarted after
// them.
void installStopSignals();

// The signal that asked the run to stop, 0 while none came.
int pendingStopSignal();

// "SIGINT", "SIGTERM", "SIGHUP" or "signal N".
std::string stopSignalName(int signal);

} // namespace zeph::flash
