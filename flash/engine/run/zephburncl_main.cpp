// ZephBurnCL: the console flash programmer. `main` is wiring only: the options, the serial
// port, the console and the pipe, the program folder; RunProgrammer does the run.

#include "common/clock/clock.h"
#include "flash/engine/cli/options.h"
#include "flash/engine/cli/output_sink.h"
#include "flash/engine/cli/report.h"
#include "flash/engine/link/serial_target_port.h"
#include "flash/engine/run/program_folder.h"
#include "flash/engine/run/programmer.h"
#include "flash/engine/run/stop_signals.h"

#include <csignal>
#include <memory>
#include <string>

int main(int argc, char* argv[]) {
    using namespace zeph::flash;
    zeph::SystemClock clock;
    const auto start = clock.now();
    // A front end that stops reading the pipe must not cut the run short: the target still
    // gets Finish and the port is still closed.
    std::signal(SIGPIPE, SIG_IGN);
    installStopSignals();

    ConsoleSink console;
    const auto options = ParseOptions(argc, argv, console);
    if (!options) {
        if (const auto port = refusedRunResultPort(argc, argv)) {
            std::string error;
            if (!writeResultFile(resultFileName(programFolder(argv[0]), *port), 1, &error)) {
                console.write("Result not saved: " + error + "\n");
            }
        }
        return 1;
    }
    std::unique_ptr<FdSink> pipe;
    if (options->pipeMode()) {
        pipe = std::make_unique<FdSink>(options->writePipe);
    }
    SerialTargetPort port;
    RunContext context{
        port, clock, console, pipe.get(), programFolder(argv[0]), start, pendingStopSignal};
    return RunProgrammer(*options, context);
}
