#include "flashsim_options.h"

#include "common/options/command_line.h"

#include <cstdint>

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
    "It does the same after a quiet line (--quiet-reset-ms), so a run that ended without its\n"
    "Finish does not stop the next one.\n"
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
    "  --quiet-reset-ms N after N ms with nothing from the host and nothing owed to it, wait\n"
    "                     for a new phase-1 download as after Finish (default 10000, 0 never)\n"
    "  --flash FILE       flash contents: read from FILE if it exists (else erased), written\n"
    "                     back at Finish and on exit; bytes past the flash are kept\n"
    "  --nak-rate R       chance (0 to 1) of a NAK after a good command; the reply follows\n"
    "                     the host's NAK\n"
    "  --corrupt-rate R   chance of one flipped bit in a reply\n"
    "  --drop-rate R      chance of one byte missing from a reply\n"
    "  --error-at ADDR    programming the flash offset ADDR fails: error flag, with the last\n"
    "                     operation and activity pointing at it\n"
    "  --seed N           seed for the faults (default 1): the same seed, the same faults\n"
    "  --faults-from WHEN where line faults may strike: run (default) once the programmer\n"
    "                     recovers them, from its first command after the parameters and\n"
    "                     error bits; params from the exchange after SetTargetParams; start\n"
    "                     from the first packet, where the programmer stops on the first\n"
    "                     fault\n"
    "  --help             this text\n"
    "\n"
    "The reply to Finish is never faulted.\n"
    "Compressed blocks (Huffman 0x22/0x26 with the table from 0x14, LZSS 0x30/0x32) are\n"
    "decoded; a stream that does not give exactly 1024 bytes is refused with a NAK. An LZSS\n"
    "block continues the stream only when it lies 1024 bytes past the previous LZSS block.\n"
    "Numbers take decimal, 0x hex or leading-0 octal.\n";

constexpr OptionSpec kOptions[] = {
    {"--help"},
    {"--no-chip-erase"},
    {"--link", true},
    {"--chiplist", true},
    {"--chip", true},
    {"--chip2", true},
    {"--flash", true},
    {"--chips", true},
    {"--bus", true},
    {"--variant", true},
    {"--erase-ms", true},
    {"--program-ms", true},
    {"--nak-rate", true},
    {"--corrupt-rate", true},
    {"--drop-rate", true},
    {"--error-at", true},
    {"--seed", true},
    {"--quiet-reset-ms", true},
    {"--faults-from", true},
};
constexpr ScanRules kRules{.options = kOptions,
                           .inlineValues = true,
                           .needsValue = "option %s needs a value",
                           .takesNoValue = "option %s takes no value"};

// Sets `field` from a number in C notation up to `max`; false when the text is not one.
template <class Field> bool setNumber(Field& field, const std::string& text, uint64_t max) {
    const auto n = parseNumber<uint64_t>(text, 0, max, Radix::C);
    if (n) {
        field = static_cast<Field>(*n);
    }
    return n.has_value();
}

bool setRate(double& field, const std::string& text) {
    const auto r = parseReal(text, 0, 1);
    field = r.value_or(0);
    return r.has_value();
}

bool setText(std::string& field, const std::string& text) {
    field = text;
    return !text.empty();
}

} // namespace

std::string usage() {
    return kUsage;
}

ParsedOptions parseOptions(const std::vector<std::string>& args) {
    FlashsimOptions o;
    uint64_t eraseMs = 20;
    uint64_t programMs = 2;
    uint64_t quietMs = kQuietResetUs / 1000;
    int chipCount = 0;
    const auto fail = [](const std::string& message) {
        return ParsedOptions{std::nullopt, message + " (see --help)"};
    };
    CommandLine line(args, kRules);
    while (const std::optional<Arg> arg = line.next()) {
        const std::string& name = arg->name;
        const std::string& v = arg->value;
        bool good = true;
        if (name == "--help") {
            o.help = true;
        } else if (name == "--no-chip-erase") {
            o.target.chipEraseSupported = false;
        } else if (name == "--link") {
            good = setText(o.link, v);
        } else if (name == "--chiplist") {
            good = setText(o.chipList, v);
        } else if (name == "--chip") {
            good = setText(o.chipName, v);
        } else if (name == "--chip2") {
            good = setText(o.chip2Name, v);
        } else if (name == "--flash") {
            good = setText(o.target.flashPath, v);
        } else if (name == "--chips") {
            chipCount = v == "1" ? 1 : v == "2" ? 2 : 0;
            good = chipCount != 0;
        } else if (name == "--bus") {
            o.target.busWidth = v == "16" ? 16 : v == "32" ? 32 : 0;
            good = o.target.busWidth != 0;
        } else if (name == "--variant") {
            good = setNumber(o.target.variant, v, 0xFF);
        } else if (name == "--erase-ms") {
            good = setNumber(eraseMs, v, 600'000);
        } else if (name == "--program-ms") {
            good = setNumber(programMs, v, 600'000);
        } else if (name == "--nak-rate") {
            good = setRate(o.target.faults.nakRate, v);
        } else if (name == "--corrupt-rate") {
            good = setRate(o.target.faults.corruptRate, v);
        } else if (name == "--drop-rate") {
            good = setRate(o.target.faults.dropRate, v);
        } else if (name == "--error-at") {
            good = setNumber(o.target.faults.errorAt.emplace(), v, 0xFFFFFFFF);
        } else if (name == "--faults-from") {
            FaultStart& from = o.target.faults.from;
            from = v == "run"      ? FaultStart::Run
                   : v == "params" ? FaultStart::Params
                                   : FaultStart::Start;
            good = v == "run" || v == "params" || v == "start";
        } else if (name == "--quiet-reset-ms") {
            good = setNumber(quietMs, v, 3'600'000);
        } else if (name == "--seed") {
            good = setNumber(o.target.faults.seed, v, 0xFFFFFFFF);
        }
        if (!good) {
            return fail("bad value for " + name + ": " + v);
        }
    }
    if (!line.error().empty()) {
        return fail(line.error());
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
    o.target.quietResetUs = quietMs * 1000;
    return {std::move(o), {}};
}

} // namespace zeph::flashsim
