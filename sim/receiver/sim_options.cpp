#include "sim_options.h"

#include "traffic_counts.h"

#include "common/options/command_line.h"

#include <cstdint>

namespace zeph::sim {
namespace {

constexpr size_t kMaxVersionText = 250; // MID 6 carries at most 254 characters

const char* const kOptionsText =
    "Usage: zephsim [OPTION]...\n"
    "Plays a receiver on a serial line: binary protocol (or NMEA) at 1 Hz, answers to polls\n"
    "and commands, protocol and baud switches, low-power cycling, and line faults on request.\n"
    "The first line of standard output is the device to connect to: a new pseudo-terminal, or\n"
    "the device given with --link. SIGINT or SIGTERM stop it (exit status 0) once the client\n"
    "has read what was sent, or has taken nothing for 1 s; what it leaves unread counts\n"
    "as dropped.\n"
    "\n"
    "  --link PATH          use the existing serial device PATH instead of a pseudo-terminal\n"
    "  --baud N             starting line rate (default 57600); on a pseudo-terminal a client\n"
    "                       whose rate, data bits, parity or stop bits differ sees garbage\n"
    "                       and is not heard\n"
    "  --protocol P         binary (default) or nmea (GGA, GSA, GSV, RMC every second)\n"
    "  --version TEXT       the software version reported in MID 6\n"
    "                       (default 231.000.000-ZEPHSIM)\n"
    "  --navlib             send the navigation-library MIDs 28 to 31 every second\n"
    "  --doubles ORDER      doubles in MIDs 28 to 31: plain (big-endian, software 2.3 or\n"
    "                       higher; the default) or low (low-order half first)\n"
    "  --debug-every N      MID 255 debug text every N seconds (default 5, 0 never)\n"
    "  --drovana            a receiver with the Drovana option: MID 48 with the\n"
    "                       dead-reckoning output (sub-IDs 1, 2, 3 and 8) every second\n"
    "  --beacon             DGPS corrections (MID 27) from the internal beacon receiver,\n"
    "                       locked 40 s of each minute, instead of from SBAS\n"
    "  --start-after N      stay silent for N seconds after printing the device, so a\n"
    "                       client can open it before the first message (default 0)\n"
    "  --noise RATE         chance per message (0 to 1) of 1 to 8 noise bytes before it\n"
    "  --bad-checksum RATE  chance per message of a wrong checksum\n"
    "  --bad-tail RATE      chance per message of a wrong tail\n"
    "  --split-writes       write every message in two pieces with a 20 ms pause between\n"
    "  --seed N             seed for the faults (default 1): the same seed, the same faults\n"
    "  --counts PATH        write the counts to PATH, rewritten every second and on exit,\n"
    "                       instead of to standard error on exit and on SIGUSR1\n"
    "  --help               this text\n"
    "\n";

constexpr OptionSpec kOptions[] = {
    {"--help"},           {"-h"},
    {"--navlib"},         {"--split-writes"},
    {"--drovana"},        {"--beacon"},
    {"--link", true},     {"--baud", true},
    {"--protocol", true}, {"--version", true},
    {"--doubles", true},  {"--debug-every", true},
    {"--noise", true},    {"--bad-checksum", true},
    {"--bad-tail", true}, {"--seed", true},
    {"--counts", true},   {"--start-after", true},
};
constexpr ScanRules kRules{.options = kOptions, .inlineValues = true};

} // namespace

std::string usage() {
    return std::string(kOptionsText) + kCountsFormat;
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    SimOptions o;
    const auto fail = [](const std::string& message) {
        return ParsedOptions{std::nullopt, message + " (see --help)"};
    };
    CommandLine line(args, kRules);
    while (const std::optional<Arg> arg = line.next()) {
        const std::string& name = arg->name;
        const std::string& value = arg->value;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--link") {
            if (value.empty()) {
                return fail("--link needs a device path");
            }
            o.link = value;
        } else if (name == "--baud") {
            const auto baud = parseNumber<uint32_t>(value, 300, 4000000);
            if (!baud) {
                return fail("--baud takes a rate from 300 to 4000000");
            }
            o.engine.line.baud = *baud;
        } else if (name == "--protocol") {
            if (value != "binary" && value != "nmea") {
                return fail("--protocol takes binary or nmea");
            }
            o.engine.protocol = value == "nmea" ? Protocol::Nmea : Protocol::Binary;
        } else if (name == "--version") {
            if (value.empty() || value.size() > kMaxVersionText) {
                return fail("--version takes a text of 1 to 250 characters");
            }
            o.engine.version = value;
        } else if (name == "--navlib") {
            o.engine.navLib = true;
        } else if (name == "--drovana") {
            o.engine.drovana = true;
        } else if (name == "--beacon") {
            o.engine.beacon = true;
        } else if (name == "--doubles") {
            if (value != "plain" && value != "low") {
                return fail("--doubles takes plain or low");
            }
            o.engine.plainDoubles = value == "plain";
        } else if (name == "--debug-every") {
            const auto seconds = parseNumber<uint32_t>(value, 0, 255);
            if (!seconds) {
                return fail("--debug-every takes a number of seconds from 0 to 255");
            }
            o.engine.debugEverySeconds = *seconds;
        } else if (name == "--noise" || name == "--bad-checksum" || name == "--bad-tail") {
            const auto rate = parseReal(value, 0, 1);
            if (!rate) {
                return fail(name + " takes a rate from 0 to 1");
            }
            (name == "--noise"          ? o.faults.noise
             : name == "--bad-checksum" ? o.faults.badChecksum
                                        : o.faults.badTail) = *rate;
        } else if (name == "--split-writes") {
            o.faults.splitWrites = true;
        } else if (name == "--seed") {
            const auto seed = parseNumber<uint64_t>(value, 0, UINT64_MAX);
            if (!seed) {
                return fail("--seed takes a whole number");
            }
            o.faults.seed = *seed;
        } else if (name == "--start-after") {
            const auto seconds = parseNumber<uint32_t>(value, 0, 3600);
            if (!seconds) {
                return fail("--start-after takes a number of seconds from 0 to 3600");
            }
            o.startAfterSeconds = *seconds;
        } else if (name == "--counts") {
            if (value.empty()) {
                return fail("--counts needs a file path");
            }
            o.countsPath = value;
        }
    }
    if (!line.error().empty()) {
        return fail(line.error());
    }
    return {o, {}};
}

} // namespace zeph::sim
