#pragma once

// ZephBurnCL's command line: ZephBurnCL <filename> [<option>...]

#include "common/version/version.h"
#include "flash/engine/cli/output_sink.h"
#include "flash/engine/link/target_commands.h" // ClockSource, shared with SetClock

#include <cstdint>
#include <optional>
#include <string>

namespace zeph::flash {

inline constexpr char kProgramVersion[] = ZEPHBURN_VERSION;

struct Options {
    std::string dataFile;
    std::string port = "COM1"; // "COM" + N, or a device path given with -l
    uint32_t baudRate = 115200;
    uint32_t chipOffset = 0; // before the chip-select base is added
    int chipSelect = 0;
    bool eraseChip = false; // -e
    bool update = false;    // -u
    bool read = false;      // -r
    bool hasFrom = false;
    bool hasTo = false;
    int32_t fromAddr = 0; // -f, read start
    int32_t toAddr = 0;   // -t, read end, inclusive
    bool quiet = false;
    bool saveResult = false;
    bool verbose = false;
    int compression = 2; // 0 none, 1 Huffman, 2 LZSS
    ClockSource clockSource = ClockSource::Gps;
    int clockDivider = 2;
    int writePipe = 0; // -wp: file descriptor the records go to
    int readPipe = 0;  // -rp: only tested for non-zero

    bool pipeMode() const { return writePipe != 0 && readPipe != 0; }
};

// The usage text, printed for no argument or a lone "-h".
std::string usageText();

// Parses and checks the command line. Every message (usage, refusal, conflict) goes to `out`,
// which is standard output in the program even in pipe mode. Nothing means the program must end
// with exit status 1; the caller exits, so that this stays testable.
std::optional<Options> ParseOptions(int argc, const char* const argv[], OutputSink& out);

// For a command line that ParseOptions refused: the port whose result file must say FAIL when
// -sr was among the options (so that a refused run leaves no earlier PASS behind); nothing
// without -sr or when the port itself cannot be told.
std::optional<std::string> refusedRunResultPort(int argc, const char* const argv[]);

} // namespace zeph::flash
