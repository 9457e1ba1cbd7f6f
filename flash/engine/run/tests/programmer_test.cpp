// RunProgrammer against a scripted target: the step order, what every way of ending sends,
// and the reports that need a target flashsim cannot play (two different chips).

#include "flash/engine/run/programmer.h"

#include "common/testing/file_size_limit.h"

#include "common/bytes/byte_order.h"
#include "fake_flash_target.h"
#include "flash/engine/cli/pipe_record.h"
#include "flash/engine/cli/report.h"
#include "flash/engine/image/testing/image_test_files.h"
#include "flash/engine/link/target_link.h"
#include "flash/engine/link/testing/fake_target_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <numeric>

namespace zeph::flash {

void PrintTo(const PipeRecord& r, std::ostream* os) {
    *os << r.code << " \"" << r.text << "\"";
}

namespace {

using testing::FakeTargetPort;
using testing::pipeRecordsIn;
using Bytes = std::vector<uint8_t>;

constexpr char kChipList[] = "Am29LV160DB AMD 0x2249 0x0001 2097152(1*16384+2*8192+1*32768+31*"
                             "65536) generic.bin\n"
                             "Custom Acme 0x0042 0x0099 65536(1*65536) custom.bin NO_ERROR_BITS\n";

// Plays the target's side of a run reply by reply.
class ScriptedTarget {
public:
    explicit ScriptedTarget(FakeTargetPort& port) : port_(port) {}
    void ackOnly() { port_.pushInput({kAck}); }
    void reply(Bytes payload) {
        ackOnly();
        port_.pushInput(buildPacket(payload));
    }
    // Everything up to and including GetFlashIds.
    void identify(uint8_t phase1Sum, uint8_t variant, uint8_t width, std::vector<FlashId> ids) {
        reply({0x2D, phase1Sum});
        reply({0x37, variant});
        if (variant < 0x20 || variant > 0x23 || variant == 0x22) {
            return;
        }
        ackOnly(); // SetBaud
        reply({0x03, width});
        reply({0x35});
        reply({0x05});
        Bytes flashIds = {0x07, static_cast<uint8_t>(ids.size())};
        for (const FlashId& id : ids) {
            appendBe16(flashIds, id.manufacturer);
            appendBe16(flashIds, id.device);
        }
        reply(flashIds);
    }
    void phase2(size_t chunks) {
        for (size_t i = 0; i < chunks; ++i) {
            reply({0x09});
        }
        reply({0x0B});
    }
    void block(const Bytes& data) {
        Bytes payload = {0x29, 0, 0, 0};
        payload.insert(payload.end(), data.begin(), data.end());
        reply(payload);
    }

private:
    FakeTargetPort& port_;
};

// Command codes of the packets the host sent, in order.
Bytes packetCodes(const FakeTargetPort& port) {
    Bytes codes;
    for (const Bytes& w : port.writes()) {
        if (w.size() >= 4 && size_t{readBe16(w, 0)} + 3 == w.size() && linkChecksum(w) == 0) {
            codes.push_back(w[2]);
        }
    }
    return codes;
}

class ProgrammerTest : public ::testing::Test {
protected:
    void SetUp() override {
        phase1_ = Bytes(300, 0x44);
        phase1_[0] = 0x11;
        folder_.write("detect.bin", phase1_);
        folder_.write("chiplist.txt", std::string(kChipList));
        folder_.write("generic.bin", Bytes(1500, 0x47)); // two chunks
        folder_.write("custom.bin", Bytes(10, 0x43));
    }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "ZephBurnCL");
        std::vector<const char*> argv;
        for (const auto& a : args) {
            argv.push_back(a.c_str());
        }
        MemorySink parseOut;
        const auto options = ParseOptions(static_cast<int>(argv.size()), argv.data(), parseOut);
        EXPECT_TRUE(options) << parseOut.bytes;
        if (!options) {
            return -1;
        }
        RunContext context{port_, clock_, console_, &pipe_, folder_.path(""), clock_.now()};
        return RunProgrammer(*options, context);
    }

    uint8_t phase1Sum() const { return linkChecksum(phase1_); }

    Bytes commands() const { return packetCodes(port_); }
    std::vector<PipeRecord> records() const { return pipeRecordsIn(pipe_.bytes); }

    bool endsClosed() const {
        return !port_.isOpen() && port_.events().back().kind == FakeTargetPort::Event::Kind::Close;
    }

    testing::TempDir folder_;
    Bytes phase1_;
    FakeClock clock_;
    FakeTargetPort port_{&clock_};
    ScriptedTarget target_{port_};
    MemorySink console_;
    MemorySink pipe_;
};

TEST_F(ProgrammerTest, ReadRunGoesThroughEveryStepInOrderAndWritesTheRange) {
    target_.identify(phase1Sum(), 0x21, 16, {{0x0001, 0x2249}});
    target_.phase2(2);
    target_.reply({0x0D}); // SetTargetParams
    target_.reply({0x47}); // SetErrorBits
    Bytes flash(2048);
    std::iota(flash.begin(), flash.end(), uint8_t{0});
    target_.block(Bytes(flash.begin(), flash.begin() + 1024));
    target_.block(Bytes(flash.begin() + 1024, flash.end()));
    target_.reply({0x39}); // Finish
    const std::string out = folder_.path("out.bin");

    EXPECT_EQ(run({out, "-r", "-f", "0x10", "-t", "0x40F", "-c", "2", "-o", "0x100", "-b", "230400",
                   "-pcs", "acq", "-pcd", "4"}),
              0);

    EXPECT_EQ(console_.bytes, "One AMD Am29LV160DB chip will be read\n"
                              "50% transferred\r100% transferred\r"
                              "\nFlash successfully read in 0.3 sec\n");
    EXPECT_EQ(testing::readBytes(out), Bytes(flash.begin() + 0x10, flash.begin() + 0x410));
    EXPECT_EQ(commands(), (Bytes{0x2C, 0x36, 0x00, 0x02, 0x34, 0x04, 0x06, 0x08, 0x08, 0x0A, 0x0C,
                                 0x46, 0x28, 0x28, 0x38}));
    const auto writes = port_.writes();
    // The phase-1 header carries the image length, at 38400 baud; then the selected rate.
    EXPECT_EQ(writes[0], (Bytes{'S', 0, 0, 0, 0x01, 0x2C}));
    EXPECT_EQ(port_.events().front().baud, 38400);
    EXPECT_EQ(port_.baud(), 230400);
    auto packetOf = [&](uint8_t code) {
        for (const Bytes& w : writes) {
            if (w.size() > 3 && w[2] == code && linkChecksum(w) == 0) {
                return Bytes(w.begin() + 2, w.end() - 1);
            }
        }
        return Bytes{};
    };
    EXPECT_EQ(packetOf(0x2C), (Bytes{0x2C, 0, 0, 0, 0, 0, 0, 0x01, 0x2C}));
    EXPECT_EQ(packetOf(0x34), (Bytes{0x34, 1, 4}));
    // Chip select 2 plus the chip offset.
    EXPECT_EQ(packetOf(0x04), (Bytes{0x04, 2, 0x42, 0x00, 0x01, 0x00}));
    EXPECT_EQ(packetOf(0x0C), (Bytes{0x0C, 0x42, 0x00, 0x01, 0x00, 16}));
    EXPECT_EQ(packetOf(0x46), (Bytes{0x46, 0}));
    EXPECT_EQ(packetOf(0x28), (Bytes{0x28, 0, 0, 0, 0, 0, 0, 0x04, 0}));
    EXPECT_TRUE(endsClosed());
}

TEST_F(ProgrammerTest, PipeModeSendsChipProgressResultAndEndRecords) {
    target_.identify(phase1Sum(), 0x20, 32, {{0x0001, 0x2249}, {0x0001, 0x2249}});
    target_.phase2(2);
    target_.reply({0x0D});
    target_.reply({0x47});
    target_.block(Bytes(1024, 0xA5));
    target_.reply({0x39});

    EXPECT_EQ(run({folder_.path("out.bin"), "-r", "-f", "0", "-t", "0", "-wp", "5", "-rp", "4",
                   "-sr", "-l", "7"}),
              0);

    EXPECT_EQ(console_.bytes, "");
    EXPECT_EQ(records(),
              (std::vector<PipeRecord>{
                  {1000, "2 AMD Am29LV160DB"}, {1005, "100 0.3"}, {1003, "0.3"}, {1006, "0"}}));
    EXPECT_EQ(testing::readBytes(folder_.path("out.bin")), Bytes{0xA5});
    EXPECT_EQ(testing::readBytes(folder_.path("RESCOM7")), (Bytes{'P', 'A', 'S', 'S', '\r', '\n'}));
}

TEST_F(ProgrammerTest, TwoDifferentChipsStopTheRunWithTheTwoLineReport) {
    target_.identify(phase1Sum(), 0x23, 16, {{0x0001, 0x2249}, {0x0099, 0x0043}});
    target_.reply({0x39});
    EXPECT_EQ(run({"data.bin", "-r", "-f", "0", "-t", "1", "-q"}), 1);
    // Printed even with -q.
    EXPECT_EQ(console_.bytes, "Incompatible chips found:\n"
                              "Chip #1: manufacturer name - AMD, device name - Am29LV160DB\n"
                              "Chip #2: manufacturer name - Acme, device id - 0x43\n");
    EXPECT_EQ(commands().back(), 0x38); // Finish
    EXPECT_TRUE(endsClosed());
}

TEST_F(ProgrammerTest, EachIdentificationFaultHasItsNumberedError) {
    struct Case {
        const char* what;
        std::function<void(ScriptedTarget&, uint8_t)> script;
        uint32_t code;
        std::string message;
    };
    const Case cases[] = {
        {"checksum differs",
         [](ScriptedTarget& t, uint8_t sum) {
             t.reply({0x2D, static_cast<uint8_t>(sum + 1)});
         },
         4, "Error downloading phase 1 file\n"},
        {"bus width 8",
         [](ScriptedTarget& t, uint8_t sum) {
             t.reply({0x2D, sum});
             t.reply({0x37, 0x21});
             t.ackOnly();
             t.reply({0x03, 8});
         },
         9, "Target bus width is not 16 or 32\n"},
        {"no chip", [](ScriptedTarget& t, uint8_t sum) { t.identify(sum, 0x21, 16, {}); }, 18,
         "RAM memory found at specified location\n"},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        FakeTargetPort port(&clock);
        ScriptedTarget target(port);
        c.script(target, phase1Sum());
        MemorySink console, pipe;
        RunContext context{port, clock, console, &pipe, folder_.path(""), clock.now()};
        Options options;
        options.dataFile = folder_.path("x.bin");
        options.read = options.hasFrom = options.hasTo = true;
        options.writePipe = options.readPipe = 3;
        EXPECT_EQ(RunProgrammer(options, context), 1) << c.what;
        PipeRecordReader reader;
        reader.feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pipe.bytes.data()),
                                             pipe.bytes.size()));
        EXPECT_EQ(reader.next(), (PipeRecord{c.code, c.message})) << c.what;
        EXPECT_EQ(reader.next(), (PipeRecord{1006, "1"})) << c.what;
        EXPECT_FALSE(port.isOpen()) << c.what;
    }
}

TEST_F(ProgrammerTest, AnotherPhase2ProgramGetsNoErrorBitsCommand) {
    target_.identify(phase1Sum(), 0x21, 16, {{0x0099, 0x0042}});
    target_.phase2(1);
    target_.reply({0x0D});
    target_.block(Bytes(1024, 1));
    target_.reply({0x39});
    EXPECT_EQ(run({folder_.path("o.bin"), "-r", "-f", "0", "-t", "3", "-q"}), 0);
    EXPECT_EQ(commands(),
              (Bytes{0x2C, 0x36, 0x00, 0x02, 0x34, 0x04, 0x06, 0x08, 0x0A, 0x0C, 0x28, 0x38}));
    EXPECT_EQ(console_.bytes, "");
}

TEST_F(ProgrammerTest, ATargetThatStopsAnsweringMidReadEndsWithAReadingError) {
    target_.identify(phase1Sum(), 0x21, 16, {{0x0001, 0x2249}});
    target_.phase2(2);
    target_.reply({0x0D});
    target_.reply({0x47});
    target_.block(Bytes(1024, 1)); // then nothing more comes
    const std::string out = folder_.path("never.bin");
    EXPECT_EQ(run({out, "-r", "-f", "0", "-t", "0xFFF"}), 1);
    EXPECT_EQ(console_.bytes, "One AMD Am29LV160DB chip will be read\n25% transferred\r"
                              "\nFlash reading error\n");
    EXPECT_TRUE(testing::readBytes(out).empty()); // no partial file is left behind
    EXPECT_TRUE(endsClosed());
}

TEST_F(ProgrammerTest, AStopEndsTheRunWithFinishAndOnlyTheEndRecord) {
    const struct {
        int stopAfterRecords; // the signal comes as this many records have gone out
        int status;
        size_t blocksRead;
    } cases[] = {
        {2, 1, 1}, // during the read: the run ends as on an error
        {3, 0, 2}, // after the last step: the run is done, and Finish still goes out
    };
    for (const auto& c : cases) {
        FakeClock clock;
        FakeTargetPort port(&clock);
        ScriptedTarget target(port);
        target.identify(phase1Sum(), 0x21, 16, {{0x0001, 0x2249}});
        target.phase2(2);
        target.reply({0x0D});
        target.reply({0x47});
        for (size_t i = 0; i < c.blocksRead; ++i) {
            target.block(Bytes(1024, 1));
        }
        target.reply({0x39});
        MemorySink console, pipe;
        RunContext context{port, clock, console, &pipe, folder_.path(""), clock.now()};
        context.stopSignal = [&pipe, &c] {
            return pipe.writes >= c.stopAfterRecords ? SIGTERM : 0;
        };
        Options options;
        options.dataFile = folder_.path("o.bin");
        options.read = options.hasFrom = options.hasTo = true;
        options.toAddr = 0x7FF;
        options.writePipe = options.readPipe = 3;
        options.saveResult = true;

        EXPECT_EQ(RunProgrammer(options, context), c.status);

        const auto got = pipeRecordsIn(pipe.bytes);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back(), (PipeRecord{1006, std::to_string(c.status)}));
        for (const PipeRecord& r : got) {
            EXPECT_GE(r.code, 1000u) << r.text; // no numbered error
        }
        EXPECT_EQ(console.bytes, "");
        const Bytes sent = packetCodes(port);
        EXPECT_EQ(static_cast<size_t>(std::count(sent.begin(), sent.end(), 0x28)), c.blocksRead);
        EXPECT_EQ(sent.back(), 0x38);
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(testing::readBytes(folder_.path("RESCOM1")),
                  c.status == 0 ? (Bytes{'P', 'A', 'S', 'S', '\r', '\n'})
                                : (Bytes{'F', 'A', 'I', 'L', '\r', '\n'}));
    }
}

TEST_F(ProgrammerTest, AFullDiskEndsTheRunBeforeTheReadAndKeepsThePreviousOutputFile) {
    target_.identify(phase1Sum(), 0x21, 16, {{0x0001, 0x2249}});
    target_.phase2(2);
    target_.reply({0x0D});
    target_.reply({0x47});
    target_.reply({0x39});
    const std::string previous = "previous read";
    const std::string out = folder_.write("out.bin", previous);
    {
        zeph::testing::FileSizeLimit full(100);
        EXPECT_EQ(run({out, "-r", "-f", "0", "-t", "0x3FF", "-q"}), 1);
    }
    EXPECT_EQ(console_.bytes, "Error writing data to the file\n");
    // No block was read (0x28): the range had no room before the first one.
    const Bytes sent = commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), uint8_t{0x28}), 0);
    EXPECT_EQ(sent.back(), 0x38);
    EXPECT_EQ(testing::readBytes(out), Bytes(previous.begin(), previous.end()));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(folder_.path(""))) {
        ++files;
    }
    EXPECT_EQ(files, 5u); // the four support files and out.bin: no partial file beside them
}

TEST_F(ProgrammerTest, ReadingBeyondTheChipIsRefusedBeforeAnyBlockIsRead) {
    target_.identify(phase1Sum(), 0x21, 32, {{0x0001, 0x2249}, {0x0001, 0x2249}});
    target_.phase2(2);
    target_.reply({0x39});
    // A 32-bit bus holds two chips: 4 MiB.
    EXPECT_EQ(run({folder_.path("o.bin"), "-r", "-f", "0", "-t", "0x400000"}), 1);
    EXPECT_EQ(console_.bytes, "Two AMD Am29LV160DB chips will be read\n"
                              "Highest data address 0x400001 above chip highest address "
                              "0x400000\n");
}

TEST_F(ProgrammerTest, ProgrammingRunSendsFileChipProgressResultAndEndRecords) {
    testing::FakeFlashTarget target(0x200000, 8, 16);
    target.phase1Sum = phase1Sum();
    Bytes image(0x1800);
    std::iota(image.begin(), image.end(), uint8_t{7});
    const std::string file = folder_.write("image.bin", image);
    Options options;
    options.dataFile = file;
    options.chipOffset = 0x10000;
    options.writePipe = options.readPipe = 3;
    options.compression = 0;
    RunContext context{target, clock_, console_, &pipe_, folder_.path(""), clock_.now()};

    EXPECT_EQ(RunProgrammer(options, context), 0);

    // Blocks go to offsets from the flash base, which the chip offset moved.
    EXPECT_EQ(Bytes(target.flash.begin(), target.flash.begin() + 0x1800), image);
    EXPECT_EQ(target.commands[10], (Bytes{0x0C, 0x40, 0x01, 0x00, 0x00, 16}));
    const auto got = records();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[0], (PipeRecord{1001, "BINARY 0x0 0x17ff"}));
    EXPECT_EQ(got[1], (PipeRecord{1000, "1 AMD Am29LV160DB"}));
    for (size_t i = 2; i + 2 < got.size(); ++i) {
        EXPECT_EQ(got[i].code, 1004u) << got[i].text;
    }
    EXPECT_EQ(got[got.size() - 3].text.substr(0, 8), "100 100 ");
    // One sector erase (0.1 s on this target), six blocks.
    EXPECT_EQ(got[got.size() - 2].code, 1002u);
    EXPECT_EQ(got[got.size() - 2].text.substr(got[got.size() - 2].text.find(' ')), " 0.1 0.0");
    EXPECT_EQ(got.back(), (PipeRecord{1006, "0"}));
    EXPECT_EQ(target.codes().back(), 0x38); // Finish
}

TEST_F(ProgrammerTest, AFailedVerificationIsError28WithTheEngineReport) {
    testing::FakeFlashTarget target(0x200000, 8, 16);
    target.phase1Sum = phase1Sum();
    target.crcFlip = 1;
    const std::string file = folder_.write("image.bin", Bytes(0x300, 0x42));
    Options options;
    options.dataFile = file;
    options.update = true;
    options.quiet = true;
    RunContext context{target, clock_, console_, &pipe_, folder_.path(""), clock_.now()};
    EXPECT_EQ(RunProgrammer(options, context), 1);
    EXPECT_EQ(console_.bytes, "\nFlash programming error\nCRC16 mismatch\n");
}

TEST(ProgrammerTimes, ElapsedTimeIsTruncatedToTenths) {
    const Clock::TimePoint t0{};
    EXPECT_EQ(elapsedTenths(t0, t0 + std::chrono::milliseconds(99)), 0);
    EXPECT_EQ(elapsedTenths(t0, t0 + std::chrono::milliseconds(199)), 1);
    EXPECT_EQ(elapsedTenths(t0, t0 + std::chrono::milliseconds(12345)), 123);
    EXPECT_EQ(flashBaseAddress(7, 0x0FFFFFFF), 0x56FFFFFFu);
}

} // namespace
} // namespace zeph::flash
