// The counts zephsim reports hold against what a client received, with every fault on.

#include "sim_process.h"
#include "wire_reader.h"

#include "common/serial/serial_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace zeph::sim::testing {
namespace {

using namespace std::chrono_literals;

std::map<std::string, long> readCounts(const std::string& path) {
    std::map<std::string, long> counts;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.rfind(": ");
        if (colon != std::string::npos) {
            counts[line.substr(0, colon)] = std::stol(line.substr(colon + 2));
        }
    }
    return counts;
}

long countOf(const std::map<std::string, long>& counts, const std::string& key) {
    const auto it = counts.find(key);
    return it == counts.end() ? 0 : it->second;
}

TEST(ZephsimSoakTest, CountsMatchWhatTheClientReceived) {
    const std::string countsPath =
        ::testing::TempDir() + "zephsim_counts_" + std::to_string(::getpid()) + ".txt";
    SimProcess sim({"--noise", "0.3", "--bad-checksum", "0.15", "--bad-tail", "0.1",
                    "--split-writes", "--seed", "9", "--debug-every", "1", "--counts", countsPath});
    const std::string path = sim.firstLine();
    ASSERT_FALSE(path.empty()) << sim.err();
    SerialLine line;
    ASSERT_TRUE(line.open(path));
    LineSettings settings;
    settings.baud = 57600;
    ASSERT_TRUE(line.configure(settings));

    WireBytes got;
    uint8_t buffer[4096];
    const auto end = std::chrono::steady_clock::now() + 3500ms;
    while (std::chrono::steady_clock::now() < end) {
        const long n = line.read(buffer, sizeof buffer, 50);
        got.insert(got.end(), buffer, buffer + std::max(n, 0L));
    }
    ASSERT_EQ(sim.stop(), 0);
    const std::map<std::string, long> counts = readCounts(countsPath);
    ASSERT_FALSE(counts.empty());
    long sent = 0;
    for (const auto& [what, count] : counts) {
        for (const char* kind : {"MID ", "Bad checksum MID ", "Bad tail MID "}) {
            sent += what.rfind(kind, 0) == 0 ? count : 0;
        }
    }
    const auto framesIn = [](const WireScan& scan) {
        long n = 0;
        for (const auto* by : {&scan.goodFrames, &scan.badChecksums, &scan.badTails}) {
            for (const auto& [mid, count] : *by) {
                n += count;
            }
        }
        return n;
    };
    // What was written before the end, however long a busy machine takes to carry it.
    const auto patience = std::chrono::steady_clock::now() + 10s;
    while (framesIn(scanWire(got)) < sent && std::chrono::steady_clock::now() < patience) {
        const long n = line.read(buffer, sizeof buffer, 100);
        got.insert(got.end(), buffer, buffer + std::max(n, 0L));
    }

    const WireScan scan = scanWire(got);
    long intact = 0, checksums = 0, tails = 0;
    for (int mid = 0; mid < 256; ++mid) {
        const std::string name = "MID " + std::to_string(mid);
        const auto seen = [mid](const std::map<int, int>& m) {
            return m.count(mid) != 0 ? m.at(mid) : 0;
        };
        EXPECT_EQ(seen(scan.goodFrames), countOf(counts, name)) << name;
        EXPECT_EQ(seen(scan.badChecksums), countOf(counts, "Bad checksum " + name)) << name;
        EXPECT_EQ(seen(scan.badTails), countOf(counts, "Bad tail " + name)) << name;
        intact += seen(scan.goodFrames);
        checksums += seen(scan.badChecksums);
        tails += seen(scan.badTails);
    }
    // Every fault was exercised, and most messages still went through.
    EXPECT_GT(intact, 20);
    EXPECT_GT(checksums, 0);
    EXPECT_GT(tails, 0);
    EXPECT_GT(countOf(counts, "Noise bursts"), 0);
    EXPECT_EQ(countOf(counts, "Split writes"), intact + checksums + tails);
    std::remove(countsPath.c_str());
}

} // namespace
} // namespace zeph::sim::testing
