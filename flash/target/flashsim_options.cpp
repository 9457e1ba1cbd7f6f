#include "flashsim_options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

namespace zeph::flashsim {
namespace {

const char* const kUsage =
    "Usage: flashsim [OPTION]...\n"
    "Plays the flash target on a serial line: the raw phase-1 download at 38400 baud, then\n"
    "packets with ACK/NAK, every target command, flash chips from a chip list, RAM buffers and\n"
    "a command queue that erase and program over time, line-rate pacing and faults on request.\n"
    "The first line of standard output is the device to connect to: a new pseudo-terminal, or\n"
    "the device given with --link. SIGINT or SIGTERM stop it (exit status 0). After Finish the\n"
    "target waits for a new phase-1 download at 38400 baud, so one flashsim serves many runs.\n"
    "\n"
    "  --link PATH        use the existing serial device PATH instead of a pseudo-terminal\n"
    "  --chiplist PATH    the chip list (default: chiplist.txt beside flashsim)\n"
    "  --chip NAME        the device name of the chip to play (default: the list's first)\n"
    "  --chips 1|2        chips reported by GetFlashIds (default 1, or 2 with --bus 32)\n"
    "  --chip2 NAME       the device name of a second, different chip: GetFlashIds reports\n"
    "                     two chips, the second with NAME's ids (implies --chips 2). Only the\n"
    "                     ids differ: the flash keeps the first chip's size and sectors for\n"
    "                     both\n"
    "  --bus 16|32        external bus width (default 16); 32 doubles sectors and size\n"
    "  --variant ID       chip variant answered to GetChipVariant (default 0x21)\n"
    "  --erase-ms N       time to erase one sector (default 20)\n"
    "  --program-ms N     time to program one 1 KiB block (default 2)\n"
    "  --no-chip-erase    QueryChipErase answers 0 and EraseChip is refused\n"
    "  --flash FILE       flash contents: read from FILE if it exists (else erased), written\n"
    "                     back at Finish and on exit\n"
    "  --nak-rate R       chance (0 to 1) of a NAK after a good command; the reply follows\n"
    "                     the host's NAK\n"
    "  --corrupt-rate R   chance of one flipped bit in a reply\n"
    "  --drop-rate R      chance of one byte missing from a reply\n"
    "  --error-at ADDR    programming the flash offset ADDR fails: error flag, with the last\n"
    "                     operation and activity pointing at it\n"
    "  --seed N           seed for the faults (default 1): the same seed, the same faults\n"
    "  --help             this text\n"
    "\n"
    "Line faults start once the target has its parameters (SetTargetParams).\n"
    "Compressed blocks (Huffman 0x22/0x26 with the table from 0x14, LZSS 0x30/0x32) are\n"
    "decoded; a stream that does not give exactly 1024 bytes is refused with a NAK. An LZSS\n"
    "block continues the stream only when it lies 1024 bytes past the previous LZSS block.\n"
    "Numbers take decimal, 0x hex or leading-0 octal.\n";

std::optional<uint64_t> number(const std::string& text, uint64_t max) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> rate(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0.0 && value <= 1.0)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string usage() {
    return kUsage;
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    FlashsimOptions o;
    std::optional<int> chips;
    using Setter = std::function<bool(const std::string&)>;
    const auto setNumber = [](auto& field, uint64_t max) {
        return Setter([&field, max](const std::string& v) {
            const auto n = number(v, max);
            if (n) {
                field = static_cast<std::remove_reference_t<decltype(field)>>(*n);
            }
            return n.has_value();
        });
    };
    const auto setRate = [](double& field) {
        return Setter([&field](const std::string& v) {
            const auto r = rate(v);
            field = r.value_or(0);
            return r.has_value();
        });
    };
    const auto setText = [](std::string& field) {
        return Setter([&field](const std::string& v) {
            field = v;
            return !v.empty();
        });
    };
    uint64_t eraseMs = 20;
    uint64_t programMs = 2;
    uint32_t errorAt = 0;
    bool errorAtGiven = false;
    int chipCount = 0;
    const std::map<std::string, Setter> valued = {
        {"--link", setText(o.link)},
        {"--chiplist", setText(o.chipList)},
        {"--chip", setText(o.chipName)},
        {"--chip2", setText(o.chip2Name)},
        {"--flash", setText(o.target.flashPath)},
        {"--chips", Setter([&](const std::string& v) {
             chipCount = v == "1" ? 1 : v == "2" ? 2 : 0;
             return chipCount != 0;
         })},
        {"--bus", Setter([&](const std::string& v) {
             o.target.busWidth = v == "16" ? 16 : v == "32" ? 32 : 0;
             return o.target.busWidth != 0;
         })},
        {"--variant", setNumber(o.target.variant, 0xFF)},
        {"--erase-ms", setNumber(eraseMs, 600'000)},
        {"--program-ms", setNumber(programMs, 600'000)},
        {"--nak-rate", setRate(o.target.faults.nakRate)},
        {"--corrupt-rate", setRate(o.target.faults.corruptRate)},
        {"--drop-rate", setRate(o.target.faults.dropRate)},
        {"--error-at", Setter([&](const std::string& v) {
             errorAtGiven = true;
             return setNumber(errorAt, 0xFFFFFFFF)(v);
         })},
        {"--seed", setNumber(o.target.faults.seed, 0xFFFFFFFF)},
    };
    const auto fail = [](const std::string& message) {
        return ParsedOptions{std::nullopt, message + " (see --help)"};
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "--no-chip-erase") {
            if (value) {
                return fail("option " + name + " takes no value");
            }
            (name == "--help" ? o.help : o.target.chipEraseSupported) = name == "--help";
            continue;
        }
        const auto setter = valued.find(name);
        if (setter == valued.end()) {
            return fail("unknown option " + args[i]);
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return fail("option " + name + " needs a value");
            }
            value = args[++i];
        }
        if (!setter->second(*value)) {
            return fail("bad value for " + name + ": " + *value);
        }
    }
    if (!o.chip2Name.empty() && chipCount == 1) {
        return fail("--chip2 plays a second chip, which --chips 1 leaves out");
    }
    o.target.chipCount = !o.chip2Name.empty()      ? 2
                         : chipCount != 0          ? chipCount
                         : o.target.busWidth == 32 ? 2
                                                   : 1;
    o.target.eraseUs = eraseMs * 1000;
    o.target.programUs = programMs * 1000;
    if (errorAtGiven) {
        o.target.faults.errorAt = errorAt;
    }
    return {std::move(o), {}};
}

} // namespace zeph::flashsim
