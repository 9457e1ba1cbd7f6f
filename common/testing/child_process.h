#pragma once

// Runs one of the suite's programs as a child process, for end-to-end tests.

#include <optional>
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

// A program that runs beside the test (a simulator): its first lines are read as they come,
// and it is stopped with SIGTERM when the object goes.
class BackgroundProgram {
public:
    explicit BackgroundProgram(const std::vector<std::string>& argv);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    bool started() const { return pid_ > 0; }
    int pid() const { return pid_; }
    // The next line of standard output without its line end; empty after the time-out.
    std::string readLine(int timeoutMs);
    // Waits until the standard output not yet taken as lines holds `text`; false after the
    // time-out or when the output ends without it.
    bool waitForOutput(const std::string& text, int timeoutMs);
    // Waits for the program to end by itself, reading its output to the end: the exit status
    // (-1 when it did not exit normally), or nothing after the time-out.
    std::optional<int> wait(int timeoutMs);
    // The standard output not yet taken as lines.
    const std::string& output() const { return pending_; }
    void signal(int signalNumber) const;
    // What it has written to standard error so far.
    std::string err() const;
    // Sends SIGTERM and waits; returns the exit status (-1 when it did not exit normally).
    int stop();

private:
    enum class Read { More, End, TimedOut };
    // Adds what comes within `timeoutMs` to pending_.
    Read readMore(int timeoutMs);

    int pid_ = -1;
    int exitCode_ = -1;
    int out_ = -1;
    int errFile_ = -1;
    std::string pending_;
};

} // namespace zeph::testing
