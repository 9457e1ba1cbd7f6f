#pragma once

// Runs one of the suite's programs as a child process, for end-to-end tests.

#include <string>
#include <vector>

namespace zeph::testing {

struct ProgramResult {
    int exitCode = -1; // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// The path of a built program: $ZEPH_BIN_DIR/name.
std::string programPath(const std::string& name);

// Runs `argv` (argv[0] is the program path), feeding `input` to its standard input.
ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& input = {});

} // namespace zeph::testing
