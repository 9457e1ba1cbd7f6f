// zephcapture: writes a sample capture of a simulated receiver's output, for playback and for
// trying the decoder.

#include "receiver_engine.h"
#include "sample_capture.h"

#include "common/options/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: zephcapture [--seconds N] [--plain-doubles] FILE\n"
    "       zephcapture --zephsim [--drovana] [--beacon] [--seconds N] FILE\n"
    "Writes N seconds (default 20) of a simulated receiver's output, as it arrives on the\n"
    "serial line, to FILE ('-' for standard output). --plain-doubles sends the sample's\n"
    "doubles in the order of receiver software 2.3 or higher.\n"
    "By default the capture holds every output message, NMEA sentences, noise and broken\n"
    "frames. With --zephsim it holds what zephsim sends in its first N seconds instead;\n"
    "--drovana and --beacon then choose zephsim's Drovana and beacon receivers.\n";

constexpr zeph::OptionSpec kOptions[] = {{"--help"},         {"-h"},        {"--plain-doubles"},
                                         {"--zephsim"},      {"--drovana"}, {"--beacon"},
                                         {"--seconds", true}};
// A last --seconds without its number is refused in the option's own words.
constexpr zeph::ScanRules kRules{.options = kOptions,
                                 .maxOperands = 1,
                                 .unknown = "unknown option %s (see --help)",
                                 .unexpected = "unexpected argument %s (see --help)",
                                 .needsValue = ""};

int fail(const std::string& message) {
    std::fprintf(stderr, "zephcapture: %s\n", message.c_str());
    return 2;
}

// zephsim's scheduled output, second by second, as its engine makes it.
zeph::sim::Bytes simulatorCapture(const zeph::sim::EngineConfig& config, uint32_t seconds) {
    zeph::sim::ReceiverEngine engine(config);
    zeph::sim::Bytes out;
    for (uint64_t second = 0; second < seconds; ++second) {
        for (const zeph::sim::Packet& p : engine.advance(second * 1000)) {
            out.insert(out.end(), p.bytes.begin(), p.bytes.end());
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    zeph::sim::CaptureOptions options;
    zeph::sim::EngineConfig simulator;
    bool zephsim = false;
    bool simulatorOption = false;
    std::optional<std::string> path;
    const std::vector<std::string> args(argv + 1, argv + argc);
    zeph::CommandLine line(args, kRules);
    while (const std::optional<zeph::Arg> arg = line.next()) {
        if (arg->name == "--help" || arg->name == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg->name == "--seconds") {
            const auto n = zeph::parseNumber<uint32_t>(arg->value, 1, 86400);
            if (!n) {
                return fail("--seconds takes a number from 1 to 86400");
            }
            options.seconds = *n;
        } else if (arg->name == "--plain-doubles") {
            options.lowWordFirst = false;
        } else if (arg->name == "--zephsim") {
            zephsim = true;
        } else if (arg->name == "--drovana") {
            simulator.drovana = simulatorOption = true;
        } else if (arg->name == "--beacon") {
            simulator.beacon = simulatorOption = true;
        } else {
            path = arg->value;
        }
    }
    if (!line.error().empty()) {
        return fail(line.error());
    }
    if (!path) {
        return fail("no output file given (see --help)");
    }
    if (simulatorOption && !zephsim) {
        return fail("--drovana and --beacon need --zephsim");
    }
    const zeph::sim::Bytes capture =
        zephsim ? simulatorCapture(simulator, options.seconds) : zeph::sim::sampleCapture(options);
    std::FILE* out = *path == "-" ? stdout : std::fopen(path->c_str(), "wb");
    if (out == nullptr) {
        return fail("cannot write " + *path + ": " + std::strerror(errno));
    }
    const bool ok = std::fwrite(capture.data(), 1, capture.size(), out) == capture.size();
    if ((out != stdout ? std::fclose(out) : std::fflush(out)) != 0 || !ok) {
        return fail("cannot write " + *path);
    }
    return 0;
}
