// The child run against stand-in engines: shell scripts that write records to the descriptor
// named by -wp, print, exit early or hang.

#include "flash/frontend/core/engine_child.h"

#include "stand_in_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace zeph::burnfront {
namespace {

using flash::PipeRecord;

using testing::engineScript;
using testing::writeRecord;

struct ChildRun {
    ChildOutcome outcome;
    std::vector<PipeRecord> records;
};

ChildRun runEngine(EngineChild& child, const std::string& path,
                   const std::vector<std::string>& args) {
    ChildRun run;
    run.outcome = child.run(path, args, [&](const PipeRecord& r) { run.records.push_back(r); });
    return run;
}

TEST(EngineChild, RecordsArriveUntilTheEndRecordWithTheArgumentsAndPipeNamed) {
    zeph::testing::TempDir dir;
    // L = 11 ("0x10 x" + 5), code 1001; then L = 6, code 1006, "0".
    const std::string path =
        engineScript(dir, "echo \"$args\" > " + dir.path("args") +
                              "\nprintf '\\013\\0\\0\\0\\351\\003\\0\\0000x10 x\\0' >&$wp\n"
                              "printf '\\006\\0\\0\\0\\356\\003\\0\\0000\\0' >&$wp\nexit 0");
    EngineChild child;
    const ChildRun run = runEngine(child, path, {"my file.bin", "-l", "1"});
    EXPECT_TRUE(run.outcome.startFailure.empty());
    EXPECT_TRUE(run.outcome.endRecordSeen);
    EXPECT_EQ(run.outcome.exitStatus, 0);
    EXPECT_EQ(run.records, (std::vector<PipeRecord>{{1001, "0x10 x"}, {1006, "0"}}));
    std::ifstream argsFile(dir.path("args"));
    std::string args;
    std::getline(argsFile, args);
    EXPECT_TRUE(args.starts_with("my file.bin -l 1 -wp ")) << args;
    EXPECT_NE(args.find(" -rp "), std::string::npos) << args;
    EXPECT_FALSE(child.running());
}

TEST(EngineChild, AChildEndingWithoutTheEndRecordEndsTheRunWithItsStatusAndWords) {
    struct Case {
        const char* body;
        int status;
        const char* printed;
    };
    const Case cases[] = {
        {"echo 'Speed 9600 not recognized'; exit 1", 1, "Speed 9600 not recognized\n"},
        {"exit 3", 3, ""},
        {"exit 0", 1, ""},     // no result is no success
        {"kill -9 $$", 1, ""}, // killed
        // A process left behind holding the record pipe does not hold the run.
        {"sleep 20 </dev/null >/dev/null 2>&1 & exit 2", 2, ""},
    };
    for (const Case& c : cases) {
        zeph::testing::TempDir dir;
        EngineChild child;
        const auto started = std::chrono::steady_clock::now();
        const ChildRun run = runEngine(child, engineScript(dir, c.body), {"f"});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << c.body;
        EXPECT_FALSE(run.outcome.endRecordSeen) << c.body;
        EXPECT_EQ(run.outcome.exitStatus, c.status) << c.body;
        EXPECT_EQ(run.outcome.printed, c.printed) << c.body;
    }
}

TEST(EngineChild, TerminateEndsAHangingChild) {
    zeph::testing::TempDir dir;
    EngineChild child;
    const std::string path = engineScript(dir, "exec sleep 60");
    std::thread killer([&] {
        while (!child.running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        child.terminate();
    });
    const auto started = std::chrono::steady_clock::now();
    const ChildRun run = runEngine(child, path, {"f"});
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(run.outcome.exitStatus, 1);
}

TEST(EngineChild, TerminateBeforeTheChildRunsEndsItAsItStarts) {
    zeph::testing::TempDir dir;
    EngineChild child;
    child.terminate(); // Exit pressed while the run's thread is still starting the child
    const auto started = std::chrono::steady_clock::now();
    const ChildRun run = runEngine(child, engineScript(dir, "exec sleep 60"), {"f"});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(run.outcome.exitStatus, 1);
    // The request served that run only.
    EXPECT_EQ(runEngine(child, engineScript(dir, writeRecord(1006, "0")), {"f"}).outcome.exitStatus,
              0);
}

TEST(EngineChild, AMissingEngineIsAFailedLaunch) {
    zeph::testing::TempDir dir;
    EngineChild child;
    const ChildRun run = runEngine(child, dir.path("ZephBurnCL"), {"f"});
    EXPECT_EQ(run.outcome.startFailure, "Failed to launch ZephBurnCL");
    EXPECT_TRUE(run.records.empty());
}

} // namespace
} // namespace zeph::burnfront
