// zephdecode: prints what the monitor's log file would receive for a capture.

#include "capture_decoder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: zephdecode [--playback] [--class N] [--auto-detect] [--select LIST] FILE\n"
    "\n"
    "Feeds FILE ('-' for standard input) through the monitor's parsers and prints exactly the\n"
    "text its log file would receive: every selected message as rendered, one per line, and\n"
    "every note the link writes (framing errors, \"Unk: \" lines, \"OkToSend: \" lines, ...).\n"
    "\n"
    "  --playback     parse FILE as a binary capture file played back by the monitor,\n"
    "                 in 1000-byte chunks; otherwise as a live serial stream in chunks of\n"
    "                 up to 4096 bytes\n"
    "  --class N      the target software class, -1 to 5 (default 0, unknown):\n"
    "                 1 software 2.3 or higher, 2 software 2.1 or 2.2, 3 software 2.0,\n"
    "                 4 Drovana, 5 ZephNav; it decides the word order of doubles\n"
    "  --auto-detect  set the class from the receiver's software version message\n"
    "  --select LIST  log only these MIDs, e.g. 1-15,41,255 (default: all)\n"
    "  --help         show this text\n"
    "\n"
    "Exit status: 0 on success, 2 on a bad option or a file that cannot be read.\n";

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
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--playback") {
            options.playback = true;
        } else if (arg == "--auto-detect") {
            options.autoDetect = true;
        } else if (arg == "--class") {
            const char* text = i + 1 < argc ? argv[++i] : "";
            char* end = nullptr;
            const long n = std::strtol(text, &end, 10);
            // An empty value has no digits: strtol reads nothing and gives 0.
            if (end == text || *end != '\0' || n < -1 || n > 5) {
                return fail("--class takes a number from -1 to 5");
            }
            options.targetSwClass = static_cast<int>(n);
        } else if (arg == "--select") {
            const auto selected =
                i + 1 < argc ? zeph::monitor::parseMidList(argv[++i]) : std::nullopt;
            if (!selected) {
                return fail("--select takes MIDs and ranges from 0 to 255, e.g. 1-15,41,255");
            }
            options.selected = *selected;
        } else if (path == nullptr && (arg == "-" || arg[0] != '-')) {
            path = argv[i];
        } else {
            return fail("unknown option " + arg + " (see --help)");
        }
    }
    if (path == nullptr) {
        return fail("no capture file given (see --help)");
    }
    std::FILE* in = std::strcmp(path, "-") == 0 ? stdin : std::fopen(path, "rb");
    if (in == nullptr) {
        return fail(std::string("cannot open ") + path + ": " + std::strerror(errno));
    }
    StderrPrompter prompter;
    const bool ok = zeph::monitor::decodeCapture(in, stdout, options, prompter);
    if (in != stdin) {
        std::fclose(in);
    }
    if (!ok) {
        return fail(std::string("cannot read ") + path);
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
}
