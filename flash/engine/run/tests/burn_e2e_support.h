#pragma once

// The built ZephBurnCL against the built flashsim on its pseudo-terminal.

#include "flash/engine/cli/pipe_record.h"

#include "common/testing/child_process.h"
#include "flash/engine/image/testing/image_test_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zeph::flash {

inline void PrintTo(const PipeRecord& r, std::ostream* os) {
    *os << r.code << " \"" << r.text << "\"";
}

namespace e2e {

// flashsim on a new pseudo-terminal; `device` is where the programmer connects.
struct Sim {
    explicit Sim(std::vector<std::string> args) : program(withProgram(std::move(args))) {
        device = program.readLine(5000);
    }
    // What flashsim noted (refused commands, dropped packets, faults) explains most failures.
    ~Sim() {
        program.stop();
        if (::testing::Test::HasFailure()) {
            std::printf("flashsim on %s:\n%s", device.c_str(), program.err().c_str());
        }
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;
    static std::vector<std::string> withProgram(std::vector<std::string> args) {
        args.insert(args.begin(), zeph::testing::programPath("flashsim"));
        return args;
    }
    zeph::testing::BackgroundProgram program;
    std::string device;
};

// The support files in a folder of the test's own, named to ZephBurnCL by ZEPH_BURN_FOLDER.
class BurnFolder {
public:
    BurnFolder() {
        for (const char* name : {"detect.bin", "chiplist.txt", "generic.bin"}) {
            std::filesystem::copy_file(zeph::testing::programPath(name), dir.path(name));
        }
        setenv("ZEPH_BURN_FOLDER", dir.path("").c_str(), 1);
    }
    ~BurnFolder() { unsetenv("ZEPH_BURN_FOLDER"); }
    BurnFolder(const BurnFolder&) = delete;
    BurnFolder& operator=(const BurnFolder&) = delete;

    std::string path(const std::string& name) const { return dir.path(name); }
    testing::TempDir dir;
};

inline zeph::testing::ProgramResult burn(std::vector<std::string> args) {
    args.insert(args.begin(), zeph::testing::programPath("ZephBurnCL"));
    return zeph::testing::runProgram(args);
}

struct PipeRun {
    zeph::testing::ProgramResult result;
    std::vector<PipeRecord> records;
    bool wellFormed = true;
};

// Runs ZephBurnCL in pipe mode: a pipe of the test's own, both ends inherited by the child
// and named with -wp and -rp, read back with the front end's record reader.
inline PipeRun burnPiped(std::vector<std::string> args) {
    PipeRun run;
    int fds[2];
    if (pipe(fds) != 0) {
        run.wellFormed = false;
        return run;
    }
    args.insert(args.end(), {"-wp", std::to_string(fds[1]), "-rp", std::to_string(fds[0])});
    run.result = burn(args);
    close(fds[1]);
    PipeRecordReader reader;
    uint8_t buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            reader.feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
        }
    }
    close(fds[0]);
    while (auto r = reader.next()) {
        run.records.push_back(*r);
    }
    run.wellFormed = !reader.failed() && reader.pending() == 0;
    return run;
}

} // namespace e2e
} // namespace zeph::flash
