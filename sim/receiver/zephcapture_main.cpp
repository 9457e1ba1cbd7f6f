// zephcapture: writes a sample capture of a simulated receiver's output, for playback and for
// trying the decoder.

#include "sample_capture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: zephcapture [--seconds N] [--plain-doubles] FILE\n"
    "Writes N seconds (default 20) of a simulated receiver's output, as it arrives on the\n"
    "serial line, to FILE ('-' for standard output). --plain-doubles sends doubles in the\n"
    "order of receiver software 2.3 or higher.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "zephcapture: %s\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    zeph::sim::CaptureOptions options;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || n < 1 || n > 86400) {
                return fail("--seconds takes a number from 1 to 86400");
            }
            options.seconds = static_cast<uint32_t>(n);
        } else if (arg == "--plain-doubles") {
            options.lowWordFirst = false;
        } else if (path == nullptr && (arg == "-" || arg[0] != '-')) {
            path = argv[i];
        } else {
            return fail("unknown option " + arg + " (see --help)");
        }
    }
    if (path == nullptr) {
        return fail("no output file given (see --help)");
    }
    const zeph::sim::Bytes capture = zeph::sim::sampleCapture(options);
    std::FILE* out = std::strcmp(path, "-") == 0 ? stdout : std::fopen(path, "wb");
    if (out == nullptr) {
        return fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
    }
    const bool ok = std::fwrite(capture.data(), 1, capture.size(), out) == capture.size();
    if ((out != stdout ? std::fclose(out) : std::fflush(out)) != 0 || !ok) {
        return fail(std::string("cannot write ") + path);
    }
    return 0;
}
