// zephdecode: prints what the monitor's log file would receive for a capture.

#include "capture_decoder.h"

#include "common/options/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: zephdecode [--playback] [--class N] [--auto-detect] [--select LIST] FILE\n"
    "       zephdecode --view VIEW [--playback] [--class N] [--auto-detect] FILE\n"
    "\n"
    "Feeds FILE ('-' for standard input) through the monitor's parsers and prints exactly the\n"
    "text its log file would receive: every selected message as rendered, one per line, and\n"
    "every note the link writes (framing errors, \"Unk: \" lines, \"OkToSend: \" lines, ...).\n"
    "With --view it prints instead what a form view shows: after each message the view\n"
    "handles, every field of the view, one per line in form order (an empty field is an empty\n"
    "line), then an empty line.\n"
    "\n"
    "  --playback     parse FILE as a binary capture file played back by the monitor,\n"
    "                 in 1000-byte chunks; otherwise as a live serial stream in chunks of\n"
    "                 up to 4096 bytes\n"
    "  --class N      the target software class, -1 to 5 (default 0, unknown):\n"
    "                 1 software 2.3 or higher, 2 software 2.1 or 2.2, 3 software 2.0,\n"
    "                 4 Drovana, 5 ZephNav; it decides the word order of doubles\n"
    "  --auto-detect  set the class from the receiver's software version message\n"
    "  --select LIST  log only these MIDs, e.g. 1-15,41,255 (default: all)\n"
    "  --view VIEW    the view whose fields to print:\n"
    "                 nav       Navigation view, MID 2 (15 fields)\n"
    "                 geodetic  Geodetic Nav view, MID 41 (26 fields)\n"
    "                 drovana   Drovana view, MID 48 sub-IDs 1, 2, 3 and 8 (80 fields)\n"
    "                 dgps      DGPS view, MIDs 27 and 50 (48 fields)\n"
    "  --help         show this text\n"
    "\n"
    "Exit status: 0 on success, 2 on a bad option or a file that cannot be read.\n";

constexpr zeph::OptionSpec kOptions[] = {
    {"--help"},         {"-h"},           {"--playback"}, {"--auto-detect"}, {"--class", true},
    {"--select", true}, {"--view", true},
};
// A value left out is refused in the option's own words.
constexpr zeph::ScanRules kRules{.options = kOptions,
                                 .maxOperands = 1,
                                 .unknown = "unknown option %s (see --help)",
                                 .unexpected = "unexpected argument %s (see --help)",
                                 .needsValue = ""};

int fail(const std::string& message) {
    std::fprintf(stderr, "zephdecode: %s\n", message.c_str());
    return 2;
}

// Message boxes have no window here: they go to standard error, apart from the log text.
class StderrPrompter : public zeph::Prompter {
public:
    Answer ask(const std::string& text, Icon, Buttons) override {
        std::fprintf(stderr, "zephdecode: %s\n", text.c_str());
        return Answer::Ok;
    }
};

} // namespace

int main(int argc, char** argv) {
    zeph::monitor::DecodeOptions options;
    std::optional<std::string> path;
    const std::vector<std::string> args(argv + 1, argv + argc);
    zeph::CommandLine line(args, kRules);
    while (const std::optional<zeph::Arg> arg = line.next()) {
        const std::string& name = arg->name;
        if (name == "--help" || name == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (name == "--playback") {
            options.playback = true;
        } else if (name == "--auto-detect") {
            options.autoDetect = true;
        } else if (name == "--class") {
            const auto n = zeph::parseNumber<int>(arg->value, -1, 5);
            if (!n) {
                return fail("--class takes a number from -1 to 5");
            }
            options.targetSwClass = *n;
        } else if (name == "--select") {
            const auto selected = zeph::monitor::parseMidList(arg->value);
            if (!selected) {
                return fail("--select takes MIDs and ranges from 0 to 255, e.g. 1-15,41,255");
            }
            options.selected = *selected;
        } else if (name == "--view") {
            options.view = zeph::monitor::formViewNamed(arg->value);
            if (!options.view) {
                return fail("--view takes nav, geodetic, drovana or dgps");
            }
        } else {
            path = arg->value;
        }
    }
    if (!line.error().empty()) {
        return fail(line.error());
    }
    if (!path) {
        return fail("no capture file given (see --help)");
    }
    std::FILE* in = *path == "-" ? stdin : std::fopen(path->c_str(), "rb");
    if (in == nullptr) {
        return fail("cannot open " + *path + ": " + std::strerror(errno));
    }
    StderrPrompter prompter;
    const bool ok = zeph::monitor::decodeCapture(in, stdout, options, prompter);
    if (in != stdin) {
        std::fclose(in);
    }
    if (!ok) {
        return fail("cannot read " + *path);
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
}
