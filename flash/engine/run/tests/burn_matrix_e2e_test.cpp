// ZephBurnCL programming flashsim over its pseudo-terminal across input forms, modes, transfer
// forms and bus shapes, each checked by reading the flash back; runs over a faulty line that
// must never end as a success with wrong flash; and a target that stops answering mid-program.

#include "burn_e2e_support.h"
#include "burn_image_bytes.h"
#include "flash/engine/cli/report.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <thread>

namespace zeph::flash::e2e {
namespace {

// 16K, 8K, 8K, 32K and seven 64K sectors on a 16-bit bus; a 32-bit bus doubles each.
constexpr char kChip[] = "MX29LV400CB";
constexpr uint32_t kChipSize = 0x80000;
// Fast target timings keep each run down to the line time.
const std::vector<std::string> kFastTarget = {"--erase-ms", "2", "--program-ms", "0"};

// The image lies inside the first sector, away from both of its ends.
constexpr uint32_t kImageAt = 0x0C00;
constexpr uint32_t kImageSize = 0x1400;

Bytes imageBytes(uint32_t seed) {
    Bytes image = randomBytes(kImageSize / 2, seed);
    const Bytes text = textBytes(kImageSize - kImageSize / 2, seed + 1);
    image.insert(image.end(), text.begin(), text.end());
    return image;
}

// Intel HEX: an extended linear address record wherever the upper half changes, data records
// of 16 bytes, then the end-of-file record.
std::string intelHex(uint32_t address, const Bytes& bytes) {
    std::string out;
    char text[8];
    auto record = [&](uint8_t type, uint16_t at, const uint8_t* data, size_t n) {
        Bytes line = {static_cast<uint8_t>(n)};
        appendBe16(line, at);
        line.push_back(type);
        line.insert(line.end(), data, data + n);
        unsigned sum = 0;
        out += ':';
        for (uint8_t b : line) {
            sum += b;
            std::snprintf(text, sizeof text, "%02X", b);
            out += text;
        }
        std::snprintf(text, sizeof text, "%02X\n", (0x100u - (sum & 0xFFu)) & 0xFFu);
        out += text;
    };
    uint32_t upper = 0xFFFFFFFFu;
    for (size_t at = 0; at < bytes.size(); at += 16) {
        const auto a = static_cast<uint32_t>(address + at);
        if (a >> 16 != upper) {
            upper = a >> 16;
            uint8_t high[2];
            writeBe16(high, static_cast<uint16_t>(upper));
            record(4, 0, high, 2);
        }
        record(0, static_cast<uint16_t>(a), bytes.data() + at,
               std::min<size_t>(16, bytes.size() - at));
    }
    record(1, 0, nullptr, 0);
    return out;
}

enum class Form { Hex, Axf, SRecord, Binary };

const char* formName(Form form) {
    switch (form) {
    case Form::Hex:
        return " hex";
    case Form::Axf:
        return " axf";
    case Form::SRecord:
        return " s-record";
    default:
        return " binary";
    }
}

// A binary image has no addresses: it goes to the start of the flash.
uint32_t imageAt(Form form) {
    return form == Form::Binary ? 0 : kImageAt;
}
enum class Mode { Default, Erase, Update };

struct Bus {
    const char* name;
    std::vector<std::string> simOptions;
    uint32_t flashSize;
    uint32_t firstSector; // the erase unit that holds the image
    uint32_t checked;     // read back from offset 0
};

const Bus kBuses[] = {
    {"16-bit", {}, kChipSize, 0x4000, 0x8000},
    {"32-bit", {"--bus", "32"}, 2 * kChipSize, 0x8000, 0x10000},
    {"two chips", {"--chips", "2"}, kChipSize, 0x4000, 0x8000},
};

std::string imageFile(const BurnFolder& folder, Form form, const Bytes& image) {
    if (form == Form::Hex) {
        return folder.dir.write("image.hex", intelHex(kImageAt, image));
    }
    if (form == Form::SRecord) {
        return folder.dir.write("image.s", sRecords({{kImageAt, image}}));
    }
    if (form == Form::Binary) {
        return folder.dir.write("image.bin", image);
    }
    // Linked at the first chip range's processor address.
    return folder.dir.write("image.axf",
                            testing::makeElf({{kLowChipRangeDistance + kImageAt, image}}));
}

// What the first `checked` bytes of the flash must hold after a good run.
Bytes expectedFlash(const Bytes& before, const Bus& bus, Form form, Mode mode, const Bytes& image) {
    Bytes want(before.begin(), before.begin() + bus.checked);
    if (mode == Mode::Erase) {
        want.assign(bus.checked, 0xFF);
    } else if (mode == Mode::Default) {
        fill(want, 0, bus.firstSector, 0xFF);
    }
    lay(want, imageAt(form), image);
    return want;
}

std::vector<std::string> modeOptions(Mode mode) {
    switch (mode) {
    case Mode::Erase:
        return {"-e"};
    case Mode::Update:
        return {"-u"};
    default:
        return {};
    }
}

// The run ended well with the end record "0", or with a numbered error record then "1".
struct Ending {
    bool succeeded = false;
    bool wellFormed = false;
    std::string why;
};

Ending ending(const PipeRun& run) {
    Ending e;
    const auto& r = run.records;
    if (!run.wellFormed || r.empty() || r.back().code != kEndOfRun) {
        e.why = "no end record";
        return e;
    }
    if (r.back().text == "0") {
        e.succeeded = true;
        e.wellFormed = run.result.exitCode == 0;
        e.why = "success, exit status " + std::to_string(run.result.exitCode);
        return e;
    }
    if (r.back().text == "1" && r.size() >= 2 &&
        r[r.size() - 2].code <= static_cast<uint32_t>(kLastErrorNumber)) {
        e.wellFormed = run.result.exitCode == 1;
        e.why = "error " + std::to_string(r[r.size() - 2].code) + ": " + r[r.size() - 2].text;
        return e;
    }
    e.why = "end record \"" + r.back().text + "\" without a numbered error before it";
    return e;
}

// Each bus shape sees every form, mode and transfer form; the method turns with the mode, the
// form and the bus, so that over the three shapes every form, mode and method meet once.
class BurnMatrix : public ::testing::TestWithParam<size_t> {};

TEST_P(BurnMatrix, EveryFormModeAndMethodReadsBackAsTheModeSays) {
    const Bus& bus = kBuses[GetParam()];
    BurnFolder folder;
    const Bytes before = randomBytes(bus.flashSize, 100 + static_cast<uint32_t>(GetParam()));
    const Bytes image = imageBytes(200 + static_cast<uint32_t>(GetParam()));
    for (Form form : {Form::Hex, Form::Axf, Form::SRecord, Form::Binary}) {
        const std::string file = imageFile(folder, form, image);
        for (Mode mode : {Mode::Default, Mode::Erase, Mode::Update}) {
            const int method =
                (static_cast<int>(mode) + static_cast<int>(form) + static_cast<int>(GetParam())) %
                3;
            std::vector<std::string> options = modeOptions(mode);
            SCOPED_TRACE(std::string(bus.name) + formName(form) +
                         (options.empty() ? " default" : " " + options[0]) + " -cm " +
                         std::to_string(method));
            const std::string flashFile = folder.dir.write("flash.img", before);
            std::vector<std::string> simOptions = bus.simOptions;
            simOptions.insert(simOptions.end(), {"--chip", kChip, "--flash", flashFile});
            simOptions.insert(simOptions.end(), kFastTarget.begin(), kFastTarget.end());
            Sim sim(simOptions);
            ASSERT_FALSE(sim.device.empty()) << sim.program.err();
            options.insert(options.begin(), {file, "-l", sim.device, "-b", "307200", "-q", "-cm",
                                             std::to_string(method)});
            const auto program = burn(options);
            EXPECT_EQ(program.exitCode, 0) << program.out;
            char to[16];
            std::snprintf(to, sizeof to, "0x%X", bus.checked - 1);
            const std::string back = folder.path("back.bin");
            std::remove(back.c_str());
            const auto read =
                burn({back, "-r", "-f", "0", "-t", to, "-l", sim.device, "-b", "307200", "-q"});
            ASSERT_EQ(read.exitCode, 0) << read.out;
            EXPECT_EQ(testing::readBytes(back), expectedFlash(before, bus, form, mode, image));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Buses, BurnMatrix, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<size_t>& param) {
                             return std::string(param.param == 0   ? "Bus16"
                                                : param.param == 1 ? "Bus32"
                                                                   : "TwoChips");
                         });

// A faulty line: the run either succeeds and the flash holds what it should, or it ends with a
// numbered error. The flash is taken from flashsim's own file, not read over the faulty line.
TEST(BurnFaultyLine, NeverASuccessWithWrongFlash) {
    constexpr char kFaultNote[] = "flashsim: fault:";
    BurnFolder folder;
    const Bus& bus = kBuses[0];
    const Bytes before = randomBytes(bus.flashSize, 300);
    const Bytes image = imageBytes(301);
    const std::string hex = imageFile(folder, Form::Hex, image);
    const std::string axf = imageFile(folder, Form::Axf, image);
    int successes = 0;
    int failures = 0;
    for (const char* fault : {"--nak-rate", "--corrupt-rate", "--drop-rate"}) {
        int faults = 0; // as flashsim notes them on its standard error
        for (uint32_t seed : {1u, 2u, 3u}) {
            const Mode mode = seed == 2 ? Mode::Default : Mode::Update;
            const std::string method = std::to_string(seed % 3);
            SCOPED_TRACE(std::string(fault) + " seed " + std::to_string(seed) + " -cm " + method);
            const std::string flashFile = folder.dir.write("flash.img", before);
            std::vector<std::string> simOptions = {
                "--chip", kChip,  "--flash", flashFile,
                fault,    "0.02", "--seed",  std::to_string(seed)};
            simOptions.insert(simOptions.end(), kFastTarget.begin(), kFastTarget.end());
            Bytes flash;
            PipeRun run;
            {
                Sim sim(simOptions);
                ASSERT_FALSE(sim.device.empty()) << sim.program.err();
                std::vector<std::string> options = modeOptions(mode);
                options.insert(options.begin(), {seed == 3 ? axf : hex, "-l", sim.device, "-b",
                                                 "307200", "-cm", method});
                run = burnPiped(options);
                EXPECT_EQ(sim.program.stop(), 0); // writes the flash file
                const std::string err = sim.program.err();
                for (size_t at = err.find(kFaultNote); at != std::string::npos;
                     at = err.find(kFaultNote, at + 1)) {
                    ++faults;
                }
            }
            const Ending e = ending(run);
            EXPECT_TRUE(e.wellFormed) << e.why << "\n" << run.result.out;
            if (e.succeeded) {
                ++successes;
                flash = testing::readBytes(flashFile);
                ASSERT_EQ(flash.size(), bus.flashSize);
                flash.resize(bus.checked);
                const Form form = seed == 3 ? Form::Axf : Form::Hex;
                EXPECT_EQ(flash, expectedFlash(before, bus, form, mode, image)) << e.why;
            } else {
                ++failures;
            }
        }
        // Otherwise the runs above prove nothing about the faulty line.
        EXPECT_GT(faults, 0) << fault;
    }
    RecordProperty("successes", successes);
    RecordProperty("failures", failures);
}

// flashsim is stopped (SIGSTOP) once programming reports progress: the run must give up with a
// numbered error rather than wait for ever.
TEST(BurnSilentTarget, ATargetThatStopsAnsweringMidProgramEndsWithANumberedError) {
    BurnFolder folder;
    const Bytes image = imageBytes(400);
    const std::string file = imageFile(folder, Form::Hex, image);
    Sim sim({"--chip", kChip, "--erase-ms", "2", "--program-ms", "20"});
    ASSERT_FALSE(sim.device.empty()) << sim.program.err();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::atomic<bool> done{false};
    zeph::testing::ProgramResult result;
    std::thread runner([&] {
        result = burn({file, "-l", sim.device, "-b", "307200", "-cm", "0", "-wp",
                       std::to_string(fds[1]), "-rp", std::to_string(fds[0])});
        done = true;
    });
    PipeRecordReader reader;
    std::vector<PipeRecord> records;
    auto drain = [&](int timeoutMs) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, timeoutMs) > 0) {
            uint8_t buffer[4096];
            const ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n > 0) {
                reader.feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
            }
        }
        while (auto r = reader.next()) {
            records.push_back(*r);
        }
    };
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::seconds(15);
    auto programming = [&] {
        return std::any_of(records.begin(), records.end(),
                           [](const PipeRecord& r) { return r.code == kProgrammingProgress; });
    };
    while (!done && !programming() && Clock::now() < giveUp) {
        drain(50);
    }
    const bool stoppedMidProgram = !done && programming();
    const auto stoppedAt = Clock::now();
    if (stoppedMidProgram) {
        sim.program.signal(SIGSTOP);
    }
    const auto limit = stoppedAt + std::chrono::seconds(25);
    while (!done && Clock::now() < limit) {
        drain(100);
    }
    const auto seconds = std::chrono::duration<double>(Clock::now() - stoppedAt).count();
    const bool ended = done;
    if (stoppedMidProgram) {
        sim.program.signal(SIGCONT); // so that it can take its SIGTERM
    }
    if (!ended) {
        // Still waiting: the target answers again now, so that the run ends and the test can.
        ADD_FAILURE() << "no end " << seconds << " s after the target stopped answering";
    }
    runner.join();
    close(fds[1]);
    uint8_t rest[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], rest, sizeof rest)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            reader.feed(std::span<const uint8_t>(rest, static_cast<size_t>(n)));
        }
    }
    while (auto r = reader.next()) {
        records.push_back(*r);
    }
    close(fds[0]);
    ASSERT_TRUE(stoppedMidProgram) << "no programming progress was reported\n" << result.out;
    EXPECT_LE(seconds, 25.0);
    RecordProperty("seconds_to_give_up", std::to_string(seconds));
    EXPECT_EQ(result.exitCode, 1);
    PipeRun run;
    run.result = result;
    run.records = records;
    run.wellFormed = !reader.failed() && reader.pending() == 0;
    const Ending e = ending(run);
    EXPECT_FALSE(e.succeeded) << e.why;
    EXPECT_TRUE(e.wellFormed) << e.why;
    std::printf("target silent: run ended %.1f s later with %s\n", seconds, e.why.c_str());
}

} // namespace
} // namespace zeph::flash::e2e
