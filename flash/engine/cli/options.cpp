#include "flash/engine/cli/options.h"

#include "common/text/strprintf.h"

#include <cerrno>
#include <cstdlib>
#include <strings.h>

namespace zeph::flash {

namespace {

constexpr int kMaxLine = 32;
constexpr uint32_t kMaxChipOffset = 0x10000000;

// An integer in C literal form (decimal, 0x hex, leading-0 octal), the whole text, in the
// range of a 32-bit value either signed or unsigned; kept as its 32-bit pattern.
std::optional<int64_t> parseInteger(const std::string& text, int base = 0) {
    if (text.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, base);
    if (errno != 0 || end == text.c_str() || *end != '\0') {
        return std::nullopt;
    }
    if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(v);
}

std::optional<int> parseInRange(const std::string& text, int64_t low, int64_t high) {
    const auto v = parseInteger(text);
    if (!v || *v < low || *v > high) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

bool isOption(const char* arg, const char* name) {
    return strcasecmp(arg, name) == 0;
}

// -l: "1".."32" in decimal gives COMn; a device path (it holds a '/') is taken as it is.
std::optional<std::string> parsePort(const std::string& text) {
    if (text.find('/') != std::string::npos) {
        if (text.back() == '/') {
            return std::nullopt;
        }
        return text;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
    }
    const auto v = parseInteger(text, 10);
    if (!v || *v < 1 || *v > kMaxLine) {
        return std::nullopt;
    }
    return "COM" + std::to_string(*v);
}

std::optional<uint32_t> parseBaud(const std::string& text) {
    for (const char* rate : {"38400", "57600", "115200", "230400", "307200"}) {
        if (text == rate) {
            return static_cast<uint32_t>(std::strtoul(rate, nullptr, 10));
        }
    }
    return std::nullopt;
}

// What a value-taking option does with its value; false refuses it.
struct ValueOption {
    const char* name;
    const char* refusal; // nullptr: refused without a message
    bool (*apply)(Options&, const std::string&);
};

const ValueOption kValueOptions[] = {
    {"-l", "Port %s not recognized\n",
     [](Options& o, const std::string& v) {
         auto port = parsePort(v);
         if (port) {
             o.port = *port;
         }
         return port.has_value();
     }},
    {"-b", "Speed %s not recognized\n",
     [](Options& o, const std::string& v) {
         auto rate = parseBaud(v);
         if (rate) {
             o.baudRate = *rate;
         }
         return rate.has_value();
     }},
    {"-o", "Chip offset %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInteger(v);
         if (n) {
             o.chipOffset = static_cast<uint32_t>(*n);
         }
         return n.has_value();
     }},
    {"-c", "Chip select %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, 7);
         if (n) {
             o.chipSelect = *n;
         }
         return n.has_value();
     }},
    // Read addresses are flash offsets; a negative one names no flash byte.
    {"-f", "From address %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, INT32_MAX);
         if (n) {
             o.fromAddr = *n;
             o.hasFrom = true;
         }
         return n.has_value();
     }},
    {"-t", "To address %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, INT32_MAX);
         if (n) {
             o.toAddr = *n;
             o.hasTo = true;
         }
         return n.has_value();
     }},
    {"-cm", "Compression method %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, 2);
         if (n) {
             o.compression = *n;
         }
         return n.has_value();
     }},
    {"-pcs", "Processor clock source %s is not recognized\n",
     [](Options& o, const std::string& v) {
         if (v == "gps" || v == "acq") {
             o.clockSource = v == "gps" ? ClockSource::Gps : ClockSource::Acq;
             return true;
         }
         return false;
     }},
    {"-pcd", "Processor clock divider %s is not recognized\n",
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 1, 4);
         if (n && *n != 3) {
             o.clockDivider = *n;
             return true;
         }
         return false;
     }},
    {"-wp", nullptr,
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, INT32_MAX);
         if (n) {
             o.writePipe = *n;
         }
         return n.has_value();
     }},
    {"-rp", nullptr,
     [](Options& o, const std::string& v) {
         auto n = parseInRange(v, 0, INT32_MAX);
         if (n) {
             o.readPipe = *n;
         }
         return n.has_value();
     }},
};

struct Flag {
    const char* name;
    bool Options::*field;
};

const Flag kFlags[] = {
    {"-e", &Options::eraseChip}, {"-u", &Options::update},      {"-r", &Options::read},
    {"-q", &Options::quiet},     {"-sr", &Options::saveResult}, {"-v", &Options::verbose},
};

// The combination rules, checked in this order once all options are read.
std::optional<std::string> checkCombinations(const Options& o) {
    if (o.read && !(o.hasFrom && o.hasTo)) {
        return "When read requested -f and -t must be specified\n";
    }
    if (o.read && o.eraseChip) {
        return "When read requested -e is not allowed\n";
    }
    if (o.read && o.update) {
        return "When read requested -u is not allowed\n";
    }
    if (!o.read && (o.hasFrom || o.hasTo)) {
        return "When programming requested -f and -t should not be specified\n";
    }
    if (o.eraseChip && o.update) {
        return "Conflicting options -u (update) and -e (erase)\n";
    }
    if (o.read && o.toAddr < o.fromAddr) {
        return "From address must be lower than To address\n";
    }
    if (o.chipOffset >= kMaxChipOffset) {
        return strprintf("Relocation 0x%x is invalid\n", o.chipOffset);
    }
    return std::nullopt;
}

} // namespace

std::string usageText() {
    std::string text =
        strprintf("Fast in-circuit flash programmer for Vireo, Version %s\n", kProgramVersion);
    text += "\n";
    text += "Usage: ZephBurnCL <filename> [<option>...]\n";
    text += "  where option may be:\n";
    text += "    -l N - communication line N = 1..32 / default is -l 1 (i.e. com1)\n";
    text += "    -b N - baud rate N = 38400,57600,115200,230400,307200/ default is -b 115200\n";
    text += "    -o N - chip offset / default is -o 0\n";
    text += "    -c N - chip select N = 0 .. 7 / default is -c 0 (i.e. CSN0)\n";
    text += "    -e   - erase whole chip(s) before programming / default is relevant sectors\n";
    text += "    -u   - update sectors/ default is erase sectors\n";
    text += "    -r   - read from flash/ default is program flash\n";
    text += "    -f   - read from address\n";
    text += "    -t   - read to address\n";
    text += "    -q   - quiet mode i.e. no info displayed\n";
    text += "    -sr  - save result in RESCOMn\n";
    return text;
}

std::optional<std::string> refusedRunResultPort(int argc, const char* const argv[]) {
    bool saveResult = false;
    std::optional<std::string> port = "COM1";
    for (int i = 2; i < argc; ++i) {
        if (isOption(argv[i], "-sr")) {
            saveResult = true;
            continue;
        }
        for (const ValueOption& option : kValueOptions) {
            if (isOption(argv[i], option.name) && i + 1 < argc) {
                ++i;
                if (isOption(option.name, "-l")) {
                    port = parsePort(argv[i]);
                }
                break;
            }
        }
    }
    return saveResult ? port : std::nullopt;
}

std::optional<Options> ParseOptions(int argc, const char* const argv[], OutputSink& out) {
    // "--help" is taken as "-h", as the other programs of the suite spell it.
    if (argc < 2 || (argc == 2 && (isOption(argv[1], "-h") || isOption(argv[1], "--help")))) {
        out.write(usageText());
        return std::nullopt;
    }
    Options options;
    options.dataFile = argv[1];
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        bool known = false;
        for (const Flag& flag : kFlags) {
            if (isOption(arg, flag.name)) {
                options.*flag.field = true;
                known = true;
                break;
            }
        }
        if (known) {
            continue;
        }
        for (const ValueOption& option : kValueOptions) {
            if (!isOption(arg, option.name)) {
                continue;
            }
            known = true;
            if (i + 1 >= argc) {
                if (option.refusal != nullptr) {
                    out.write(strprintf("Option %s needs a value\n", arg));
                }
                return std::nullopt;
            }
            const std::string value = argv[++i];
            if (!option.apply(options, value)) {
                if (option.refusal != nullptr) {
                    out.write(strprintf(option.refusal, value.c_str()));
                }
                return std::nullopt;
            }
            break;
        }
        if (!known) {
            out.write(strprintf("Option %s not recognized\n", arg));
            return std::nullopt;
        }
    }
    if (auto conflict = checkCombinations(options)) {
        out.write(*conflict);
        return std::nullopt;
    }
    return options;
}

} // namespace zeph::flash
