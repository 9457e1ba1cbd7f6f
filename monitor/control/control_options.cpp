#include "control_options.h"

#include "common/options/command_line.h"

namespace zeph::monitor {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--help"},          {"-h"},           {"--list"},
    {"--verbose"},       {"-v"},           {"--port", true},
    {"--timeout", true}, {"--save", true}, {"--wrapper", true},
    {"--file", true},
};
constexpr ScanRules kRules{.options = kOptions,
                           .inlineValues = true,
                           // room for a largest Send Data text (992 bytes) given as one word a byte
                           .maxOperands = 1100,
                           .unknown = "unknown option %s (see --help)",
                           .unexpected = "unexpected argument %s (see --help)"};

// "PORT[@BAUD]"; false on a bad rate.
bool readPort(const std::string& text, ControlOptions& o) {
    const size_t at = text.rfind('@');
    o.port = text.substr(0, at);
    if (at == std::string::npos) {
        return !o.port.empty();
    }
    const auto baud = parseNumber<uint32_t>(std::string_view(text).substr(at + 1), 50, 4000000);
    if (!baud || o.port.empty()) {
        return false;
    }
    o.baud = *baud;
    return true;
}

} // namespace

const char* const kControlUsage =
    "Usage: zephctl [--port PORT[@BAUD]] [--verbose] [--timeout S] COMMAND [FIELD=VALUE ...]\n"
    "       zephctl --list\n"
    "\n"
    "Sends one command to a receiver the way the monitor's menus and dialogs do, and prints the\n"
    "receiver's answer as the monitor's log renders it (\"Ack: MID_SetElevMask\", the software\n"
    "version, ...). A command is named by its menu item in lower case joined by '-' (Navigation\n"
    "> Elevation Mask is elevation-mask), a field by its dialog label without its unit\n"
    "(\"Navigation (deg)\" is navigation), given in the dialog's units; fields not given take\n"
    "the dialog's defaults. Values the dialog would refuse are refused with its message before\n"
    "anything is sent. A list entry is given by its text or in the same word form\n"
    "(reset-mode=warm-start-init, parity=even).\n"
    "\n"
    "  sync                  bring the receiver to binary at 38400 baud from any protocol/rate\n"
    "  to-nmea [FIELD=...]   switch to NMEA (rates, baud-rate, use-checksums, ...)\n"
    "  to-binary             switch from NMEA to binary at 38400 baud\n"
    "  poll-sw-version, poll-clock-status, poll-nav-parameters, poll-almanac, poll-ephemeris\n"
    "  poll-elevation-mask, poll-mode-mask, ...: the receiver's current settings of a\n"
    "                        navigation command, printed as FIELD=VALUE lines\n"
    "  initialize-data-source reset-mode=MODE [FIELD=...]\n"
    "                        MID 128; the reset mode must be given (no factory reset unasked)\n"
    "  init reset=WORD [position-file=FILE.pos] [pc-time] [FIELD=...]\n"
    "                        the same with the reset as hot, warm, warm-init, cold or factory,\n"
    "                        X, Y, Z and clock offset from a position file (four lines of\n"
    "                        whole numbers: metres, metres, metres, Hz; a shorter file is\n"
    "                        refused; fields given win), week and time from the PC clock\n"
    "  set-low-power [mode=continuous|lullcycle|wake-on-demand] [FIELD=...], or low-power\n"
    "                        MID 151, then MID 167; both acknowledgements are printed\n"
    "  almanac --save FILE   poll the almanac (MID 146), wait for all 32 satellites and save\n"
    "                        them as Poll > Almanac saves them (a comment header, one line a\n"
    "                        satellite)\n"
    "  ephemeris --save FILE the same for the ephemeris (MID 147)\n"
    "  set-almanac FILE      send a saved almanac file (MID 130, all 32 satellites at once)\n"
    "  set-ephemeris FILE    send a saved ephemeris file (MID 149 for each satellite line\n"
    "                        numbered 1 to 32; the lines before a faulty one are sent first)\n"
    "  send [--wrapper zeph|nmea|none] TEXT...\n"
    "  send [--wrapper ...] --file FILE.cmd\n"
    "                        Action > Transmit Serial Message: hex bytes (\"84 00\") framed as\n"
    "                        a binary message (zeph, the default; its acknowledgement is\n"
    "                        awaited) or sent as they are (none), or a text sent as an NMEA\n"
    "                        sentence with its checksum (nmea); --file loads a command file\n"
    "  and every other command of --list (elevation-mask, set-main-serial-port, ...)\n"
    "\n"
    "  --port PORT[@BAUD]  the receiver's port (a device path or COMn) and the rate it talks\n"
    "                      at now (default 57600; 8 data bits, no parity, 1 stop bit); without\n"
    "                      --port the environment variable ZEPHCTL_PORT, in the same form\n"
    "  --verbose, -v       print every frame or sentence sent as the log's \"Tx: 0x\" line\n"
    "  --timeout S         seconds to wait for each answer (default 5)\n"
    "  --list              list the commands with their fields, units, ranges and defaults\n"
    "  --help, -h          show this text\n"
    "\n"
    "Commands that change the receiver's line (set-main-serial-port, set-uart-configuration for\n"
    "the UART zephctl is on, to-nmea, to-binary, sync, initialize-data-source and init where\n"
    "they move the rate) reopen the port at the new settings afterwards, as the monitor does,\n"
    "and wait for the receiver's output there.\n"
    "\n"
    "Examples:\n"
    "  zephctl --port /dev/ttyUSB0@38400 elevation-mask navigation=7.5\n"
    "  zephctl --port COM1 --verbose poll-sw-version\n"
    "  ZEPHCTL_PORT=/dev/ttyUSB0@4800 zephctl sync\n"
    "  zephctl --port COM1 init reset=warm-init position-file=home.pos pc-time\n"
    "  zephctl --port COM1 almanac --save almanac.alm\n"
    "  zephctl --port COM1 send --wrapper nmea ZUVE105,01\n"
    "\n"
    "Exit status: 0 when the receiver acknowledged the command (MID 11) or answered the poll,\n"
    "1 when it rejected it (MID 12) or did not answer within the time-out (or a collection's\n"
    "file could not be written), 2 on bad usage (unknown command or field, bad or refused\n"
    "value or text, a port that cannot be opened, a file with a format error).\n";

ControlOptionsResult
parseControlOptions(std::span<const std::string> args,
                    const std::function<std::optional<std::string>(const std::string&)>& getenv) {
    ControlOptionsResult result;
    ControlOptions o;
    bool portGiven = false;
    CommandLine line(args, kRules);
    while (const std::optional<Arg> arg = line.next()) {
        const std::string& name = arg->name;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--list") {
            o.list = true;
        } else if (name == "--verbose" || name == "-v") {
            o.verbose = true;
        } else if (name == "--port") {
            if (!readPort(arg->value, o)) {
                result.error = "--port takes PORT[@BAUD], not " + arg->value;
                return result;
            }
            portGiven = true;
        } else if (name == "--timeout") {
            const auto seconds = parseReal(arg->value, 0.1, 3600);
            if (!seconds) {
                result.error = "--timeout takes seconds from 0.1 to 3600, not " + arg->value;
                return result;
            }
            o.timeoutSeconds = *seconds;
        } else if (name == "--save") {
            o.save = arg->value;
        } else if (name == "--wrapper") {
            o.wrapper = arg->value;
        } else if (name == "--file") {
            o.file = arg->value;
        } else if (o.command.empty()) {
            o.command = arg->value;
        } else {
            o.fields.push_back(arg->value);
        }
    }
    if (!line.error().empty()) {
        result.error = line.error();
        return result;
    }
    if (!o.help && !o.list) {
        if (o.command.empty()) {
            result.error = "no command (see --help)";
            return result;
        }
        if (!portGiven) {
            const std::optional<std::string> env = getenv(kPortVariable);
            if (!env || env->empty() || !readPort(*env, o)) {
                result.error =
                    env && !env->empty()
                        ? std::string(kPortVariable) + " holds PORT[@BAUD], not " + *env
                        : "no port: give --port PORT[@BAUD] or set " + std::string(kPortVariable);
                return result;
            }
        }
    }
    result.options = std::move(o);
    return result;
}

} // namespace zeph::monitor
