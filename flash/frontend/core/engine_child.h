#pragma once

// One run of ZephBurnCL as a child process: an anonymous pipe whose write end the child
// inherits and names with -wp (the read end with -rp), and the records read back until the
// end-of-run record.
//
// The front end closes its own copy of the write end as soon as the child has started, so the
// pipe reaches its end when the child does. A child that dies without its end-of-run record
// (killed, crashed, or refusing its command line before the run) therefore ends the run too,
// with the child's own exit status (1 when it exited 0 or by a signal) and whatever it printed.

#include "flash/engine/cli/pipe_record.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zeph::burnfront {

inline constexpr char kEngineName[] = "ZephBurnCL";
inline constexpr size_t kPipeBufferSize = 16384;

struct ChildOutcome {
    int exitStatus = 1;
    bool endRecordSeen = false;
    std::string startFailure; // set when no child ran: the message to show
    bool pipeFailed = false;  // the start failure was the pipe's
    std::string printed;      // what the child wrote to standard output, when it ended early
};

class EngineChild {
public:
    // `enginePath` is run with `args`, then "-wp W -rp R". `onStarted` is called once the child
    // runs, and each record goes to `onRecord` as it arrives, both on the calling thread.
    ChildOutcome run(const std::string& enginePath, const std::vector<std::string>& args,
                     const std::function<void(const flash::PipeRecord&)>& onRecord,
                     const std::function<void()>& onStarted = {});

    // Ends the running child, or the one about to start (from another thread); run() then
    // returns soon after.
    void terminate();
    bool running() const { return pid_.load() > 0; }

private:
    std::atomic<pid_t> pid_{0};
    std::atomic<bool> ending_{false}; // terminate() came; cleared when run() returns
};

// The program folder of the ZephBurnCL at `enginePath`, where it writes its result file: the
// folder that ZEPH_BURN_FOLDER names for it, else its own.
std::string engineProgramFolder(const std::string& enginePath);

// The engine's path: ZephBurnCL in the folder of the running executable; `argv0` is the
// fallback (its folder, or else PATH's folder that holds it).
std::string enginePathBeside(const char* argv0);

} // namespace zeph::burnfront
