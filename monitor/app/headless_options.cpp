#include "monitor/app/headless_options.h"

#include "monitor/messages/mid_list.h"

#include "common/options/command_line.h"

#include <charconv>
#include <climits>

namespace zeph::monitor {

std::string zephmonUsage(bool withWindow) {
    std::string text =
        withWindow
            ? "Usage: zephmon [--headless] [OPTIONS]\n"
              "\n"
              "The receiver monitor. Without --headless it opens its window and, unless --source "
              "names\n"
              "one, asks for the data source first. With --headless it runs without windows: the "
              "data\n"
              "source feeds the parser and the log, as in the window, for unattended logging.\n"
              "\n"
              "  --headless        run without windows\n"
            : "Usage: zephmon --headless [OPTIONS]\n"
              "\n"
              "The receiver monitor, built without its window: it runs only with --headless, and\n"
              "the data source feeds the parser and the log, for unattended logging.\n"
              "\n"
              "  --headless        run without windows (required: this build has no window)\n";
    text += "  --settings PATH   settings file (default: zephmon.ini beside the program)\n";
    text +=
        withWindow
            ? "  --source SOURCE   the data source (headless: for this run only; window: stored "
              "in the\n"
              "                    settings and opened at once):\n"
            : "  --source SOURCE   the data source, for this run only:\n";
    text += "                      serial:PORT[@BAUD]  a receiver on PORT (COMn or a device path)\n"
            "                      file:PATH           a binary capture file\n"
            "                      csv:PATH            a text capture file\n"
            "                      random              the generator of random test data\n"
            "  --log PATH        log to PATH for this run (appended when it exists)\n"
            "  --select LIST     MIDs to log, e.g. 1-15,41,255, or all (default: the settings)\n";
    text += withWindow
                ? "  --seconds N       stop after N seconds; a headless capture also stops at its "
                  "end\n"
                : "  --seconds N       stop after N seconds; a capture also stops at its end\n";
    text += "  --help            show this text\n"
            "\n"
            "With a log and a serial source it polls the software version and the navigation\n"
            "parameters first, so both answers open the log. ";
    text += withWindow ? "Headless, message boxes go to standard\n"
                         "error and take their default answer. "
                       : "Message boxes go to standard error\n"
                         "and take their default answer. ";
    text += "Stops on SIGINT, SIGTERM and SIGHUP, closing the\n"
            "source and the log.\n";
    return text;
}

namespace {

std::optional<DataSourceSettings> parseSource(const std::string& text) {
    DataSourceSettings s;
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (kind == "random" && colon == std::string::npos) {
        s.src = 2;
    } else if (kind == "serial" && !rest.empty()) {
        s.src = 0;
        const size_t at = rest.rfind('@');
        s.serPort = rest.substr(0, at);
        if (at != std::string::npos) {
            s.serBaud = rest.substr(at + 1);
            int baud = 0;
            const auto [end, ec] =
                std::from_chars(s.serBaud.data(), s.serBaud.data() + s.serBaud.size(), baud);
            if (ec != std::errc() || end != s.serBaud.data() + s.serBaud.size() || baud <= 0) {
                return std::nullopt;
            }
        }
        if (s.serPort.empty()) {
            return std::nullopt;
        }
    } else if ((kind == "file" || kind == "csv") && !rest.empty()) {
        s.src = 1;
        s.fileName = rest;
        s.fileType = kind == "csv" ? "CSV" : "Binary";
    } else {
        return std::nullopt;
    }
    return s;
}

} // namespace

ParsedOptions parseHeadlessOptions(const std::vector<std::string>& args) {
    static constexpr zeph::OptionSpec kOptions[] = {
        {"--help"},         {"-h"},          {"--headless"},     {"--settings", true},
        {"--source", true}, {"--log", true}, {"--select", true}, {"--seconds", true},
    };
    static constexpr zeph::ScanRules kRules{.options = kOptions,
                                            .unknown = "unknown option %s (see --help)",
                                            .unexpected = "unexpected argument %s (see --help)",
                                            .needsValue = "%s needs a value (see --help)"};
    ParsedOptions parsed;
    HeadlessOptions o;
    zeph::CommandLine line(args, kRules);
    auto refuse = [&parsed](std::string text) {
        parsed.error = std::move(text);
        return parsed;
    };
    while (const std::optional<zeph::Arg> arg = line.next()) {
        const std::string& v = arg->value;
        if (arg->name == "--help" || arg->name == "-h") {
            parsed.help = true;
            return parsed;
        } else if (arg->name == "--settings") {
            if (v.empty()) { // would mean the file beside the program
                return refuse("--settings takes a file name");
            }
            o.settingsPath = v;
        } else if (arg->name == "--source") {
            o.source = parseSource(v);
            if (!o.source) {
                return refuse("--source takes serial:PORT[@BAUD], file:PATH, csv:PATH or random");
            }
        } else if (arg->name == "--log") {
            o.logPath = v;
        } else if (arg->name == "--select") {
            const auto selected = v == "all" ? parseMidList("0-255") : parseMidList(v);
            if (!selected) {
                return refuse("--select takes all or MIDs and ranges, e.g. 1-15,41,255");
            }
            o.selection = selectionString(*selected);
        } else if (arg->name == "--seconds") {
            const std::optional<int> n = zeph::parseNumber<int>(v, 1, INT_MAX);
            if (!n) {
                return refuse("--seconds takes a whole number from 1 to 2147483647");
            }
            o.seconds = *n;
        }
    }
    if (!line.error().empty()) {
        return refuse(line.error());
    }
    parsed.options = o;
    return parsed;
}

} // namespace zeph::monitor
