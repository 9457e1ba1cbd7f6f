#pragma once

// ZephBurn's own command line: what the dialog starts with, and whether to run at once and
// end after the run. Every refusal ends the program after its message box.

#include "common/version/version.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::burnfront {

inline constexpr char kFrontVersion[] = ZEPHBURN_VERSION;
inline constexpr int kMaxLine = 32;

enum class EraseMode { RelevantSectors, WholeChip, Update };

struct FrontOptions {
    int line = 0; // -l: 1..32, 0 when not given
    std::string baudRate = "115200";
    int chipSelect = 0;
    std::string chipOffset = "0"; // as typed
    EraseMode erase = EraseMode::RelevantSectors;
    bool read = false;
    std::string fromAddress; // as typed
    std::string toAddress;
    bool autoExecute = false; // -ae
    bool autoExit = false;    // -ax
    bool saveResult = false;  // -sr
    int compression = 2;
    bool clockAcq = false;
    int clockDivider = 2;
    std::string dataFile;
};

struct FrontOptionsResult {
    std::optional<FrontOptions> options;
    std::string refusal; // the message box's text when options is empty
};

// Splits the invocation line into words: blanks separate words, a single or a double quote
// toggles quoting of its own kind and is dropped (inside the other kind's quotes it is a plain
// character). Nothing when a quote is left open.
std::optional<std::vector<std::string>> splitInvocationLine(std::string_view line);

// The line the words of argv stand for: a word holding a blank (the shell kept it together) is
// put in quotes of a kind it does not hold; quotes within a word stay the line's syntax.
std::string invocationLine(const std::vector<std::string>& words);

inline constexpr char kInvocationError[] = "Error in invocation line.\nProgram will terminate.";

// The options after the program's own name, in order.
FrontOptionsResult parseFrontOptions(const std::vector<std::string>& words);

// Splits the line and parses it; an open quote is refused with kInvocationError.
FrontOptionsResult parseInvocation(const std::vector<std::string>& argvWords);

// An integer in C literal form (decimal, 0x hex, leading-0 octal) within 32 bits, signed or
// unsigned, as the engine reads its numbers.
std::optional<long long> parseInteger(std::string_view text);

// The short help of the Help button and of --help.
std::string helpText();

// What a refused command line still honours: with both -ax and -sr among the words the run is
// unattended, so the refusal shows no box and FAIL goes into the result file of the line that
// -l names (COM1 when it names none in 1..32), so that a script neither waits nor reads an old
// PASS.
struct UnattendedRefusal {
    bool silent = false;
    int line = 1;
};
UnattendedRefusal unattendedRefusal(const std::vector<std::string>& words);

} // namespace zeph::burnfront
