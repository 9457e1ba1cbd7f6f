// zephdecode --view: what each form view shows for a capture, field by field.

#include "common/testing/child_process.h"
#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include "sim/receiver/correction_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace zeph::testing {
namespace {

using sim::Bytes;
using sim::PayloadWriter;

std::string dataPath(const std::string& name) {
    return std::string(std::getenv("ZEPH_SOURCE_DIR")) + "/monitor/tools/tests/data/" + name;
}

void append(Bytes& out, const Bytes& payload) {
    const Bytes f = sim::frame(payload);
    out.insert(out.end(), f.begin(), f.end());
}

Bytes navigation(uint8_t mid, uint8_t mode1, uint8_t mode2, uint8_t count) {
    PayloadWriter w(mid);
    w.u32(static_cast<uint32_t>(-4647012)).u32(2553102).u32(static_cast<uint32_t>(-3533298));
    w.u16(static_cast<uint16_t>(-12)).u16(9).u16(0).u8(mode1).u8(7).u8(mode2);
    w.u16(1182).u32(43200012).u8(count);
    return w.u8(2).u8(0).u8(7).u8(9).u8(13).u8(16).fill(6);
}

Bytes geodetic(uint16_t validity, uint16_t type, int16_t climb) {
    PayloadWriter w(41);
    w.u16(validity).u16(type).u16(1182).u32(432000123).u16(2002).u8(9).u16(6).u16(7).u16(5);
    w.u16(59500).u8(9).u32(static_cast<uint32_t>(-338567800)).u32(1512152900);
    w.u32(5840).u32(static_cast<uint32_t>(-1200)).u8(21).u16(110).u16(35999);
    w.u16(static_cast<uint16_t>(-1234)).u16(static_cast<uint16_t>(climb)).u16(57);
    w.u32(350).u32(700).u32(800).u16(15).u32(static_cast<uint32_t>(-94315)).u32(1234);
    return w.u32(static_cast<uint32_t>(-5)).u32(56).u32(1520).u16(30).u16(250).fill(3);
}

// A receiver standing still under a fixed sky, so the capture does not follow the simulator's
// motion.
sim::ReceiverSnapshot fixedSky(uint32_t second) {
    sim::ReceiverSnapshot s{};
    s.week = 1182;
    s.towMs = 432000000 + second * 1000;
    s.latitude = -33.85678;
    s.longitude = 151.21529;
    s.velocity[1] = 9;
    s.satellites = {{5, 40, 60, 45}, {12, 100, 30, 38}, {29, 250, 15, 33}};
    return s;
}

// One capture with every message the four views handle, and some they must pass by.
Bytes viewCapture() {
    Bytes out;
    append(out, navigation(2, 0x04, 0x02, 5));
    append(out, navigation(1, 0x04, 0x02, 5)); // the view shows measured navigation only
    append(out, navigation(2, 0x40, 0x04, 14));
    append(out, geodetic(0x0000, 0x0204, 57));
    append(out, geodetic(0x0003, 0x00FF, -12));
    for (uint32_t second = 0; second < 2; ++second) {
        const sim::ReceiverSnapshot s = fixedSky(second);
        for (uint8_t sub : sim::kDrovanaSubIds) {
            append(out, sim::drovanaOutput(sub, s, second * 59 + 1));
        }
        // Locked, then not; another source keeps the beacon's texts and passes SBAS by.
        append(out, sim::dgpsStatus(s, second, sim::CorrectionSource::Beacon));
        append(out, sim::dgpsStatus(s, 41 + second * 13, sim::CorrectionSource::Beacon));
        append(out, sim::dgpsStatus(s, 58, sim::CorrectionSource::Sbas));
        append(out, sim::sbasParameters(5));
        append(out, sim::dgpsStatus(s, second, sim::CorrectionSource::Sbas));
        append(out, sim::sbasParameters(second * 30));
    }
    append(out, PayloadWriter(48).u8(4).fill(14)); // not the Drovana view's
    return out;
}

// The output as blocks of `fields` lines and an empty line; none when it does not divide so.
std::vector<std::vector<std::string>> blocks(const std::string& text, size_t fields) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::vector<std::vector<std::string>> out;
    for (size_t first = 0; first + fields < lines.size(); first += fields + 1) {
        if (!lines[first + fields].empty()) {
            return {};
        }
        out.emplace_back(lines.begin() + first, lines.begin() + first + fields);
    }
    return out.size() * (fields + 1) == lines.size() ? out : decltype(out){};
}

class ZephdecodeView : public ::testing::Test {
protected:
    static ProgramResult decode(std::vector<std::string> args) {
        args.insert(args.begin(), programPath("zephdecode"));
        return runProgram(args);
    }
    TempDir dir;
};

// The expected texts were checked field by field against the views' rules when they were made.
TEST_F(ZephdecodeView, EachViewShowsItsFieldsAfterEachOfItsMessages) {
    const std::string capture = dir.write("views.bin", viewCapture());
    for (const char* view : {"nav", "geodetic", "drovana", "dgps"}) {
        for (const char* mode : {"--class", "--playback"}) {
            std::vector<std::string> args = {"--view", view, mode};
            if (std::string(mode) == "--class") {
                args.push_back("4");
            }
            args.push_back(capture);
            const ProgramResult r = decode(args);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.out, readFile(dataPath(std::string("view-") + view + ".txt")))
                << view << " " << mode;
        }
    }
}

// zephsim's Drovana and beacon receivers: four dead-reckoning blocks and two DGPS blocks a
// second, each of its view's size.
TEST_F(ZephdecodeView, ZephsimCapturesGiveWholeBlocks) {
    const std::string capture = dir.path("zephsim.bin");
    const ProgramResult made = runProgram({programPath("zephcapture"), "--zephsim", "--drovana",
                                           "--beacon", "--seconds", "3", capture});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const struct {
        const char* view;
        size_t fields;
        size_t perSecond;
        const char* first;
    } views[] = {{"drovana", 80, 4, "DR Nav: "}, {"dgps", 48, 2, "Internal DGPS beacon receiver"}};
    for (const auto& v : views) {
        const ProgramResult r = decode({"--view", v.view, capture});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto shown = blocks(r.out, v.fields);
        EXPECT_EQ(shown.size(), 3 * v.perSecond) << v.view;
        for (const auto& block : shown) {
            EXPECT_EQ(block.front().rfind(v.first, 0), 0u) << v.view;
        }
    }
}

} // namespace
} // namespace zeph::testing
