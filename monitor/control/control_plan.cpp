#include "control_plan.h"

#include "monitor/commands/almanac_file.h"
#include "monitor/commands/command_builders.h"
#include "monitor/commands/position_file.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

namespace zeph::monitor {
namespace {

using Kind = ControlStep::Kind;

// The rates the synchronisation tries, in order.
constexpr std::array<uint32_t, 8> kSyncBauds = {1200,  2400,  4800,  9600,
                                                19200, 38400, 57600, 115200};
constexpr uint32_t kNavLibBaud = 57600; // the initialisation's data needs at least this rate

// What answers each poll, and how many messages make the answer.
struct PollAnswer {
    uint8_t pollMid;
    uint8_t answerMid;
    int count;
};
constexpr PollAnswer kPollAnswers[] = {
    {132, 6, 1}, {144, 7, 1}, {146, 14, 32}, {147, 15, 32}, {152, 19, 1},
};

constexpr const char* kCurrentPrefix = "poll-";

ControlStep frame(std::vector<uint8_t> payload, bool awaitAck = true) {
    ControlStep s;
    s.kind = Kind::Frame;
    s.bytes = std::move(payload);
    s.awaitAck = awaitAck;
    return s;
}

ControlStep sentence(std::string_view body) {
    ControlStep s;
    s.kind = Kind::Sentence;
    s.bytes.assign(body.begin(), body.end());
    return s;
}

ControlStep reopen(uint32_t baud) {
    ControlStep s;
    s.kind = Kind::Reopen;
    s.baud = baud;
    return s;
}

ControlStep traffic(bool binaryOnly) {
    ControlStep s;
    s.kind = Kind::Traffic;
    s.binaryOnly = binaryOnly;
    return s;
}

std::vector<uint8_t> mainPortPayload(uint32_t baud) {
    return setSerialPortPayload(134, SerialPortValues{baud, 8, 1, 0});
}

// Commands zephctl offers from the catalogue: those a menu item sends.
bool offered(const CommandSpec& spec) {
    return !commandName(spec).empty();
}

bool loadsFile(const CommandSpec& spec) {
    return spec.mid == 130 || spec.mid == 149;
}

void addPollAnswer(ControlStep& step, uint8_t mid) {
    for (const PollAnswer& a : kPollAnswers) {
        if (a.pollMid == mid) {
            step.answerMid = a.answerMid;
            step.answerCount = a.count;
        }
    }
}

// Set Almanac and Set Ephemeris send what a file holds, read as the monitor reads it: an
// almanac with a format error sends nothing; an ephemeris sends the satellites before its
// faulty line, and the error is told after them.
PlanResult fileCommandPlan(const CommandSpec& spec, std::span<const std::string> fields) {
    PlanResult result;
    const std::string name = commandName(spec);
    if (fields.size() != 1) {
        result.error = name + " takes FILE";
        return result;
    }
    const std::string path = fields[0].starts_with("file=") ? fields[0].substr(5) : fields[0];
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        result.error = "cannot open " + path + " (not a regular file)"; // a FIFO would hold us
        return result;
    }
    std::ifstream in(path);
    if (!in) {
        result.error = "cannot open " + path;
        return result;
    }
    ControlPlan plan;
    plan.command = name;
    if (spec.mid == 130) {
        const auto words = loadAlmanacFile(in);
        if (!words) {
            result.error = kAlmanacFormatError;
            return result;
        }
        plan.steps.push_back(frame(setAlmanacPayload(*words)));
    } else {
        const EphemerisFile file = loadEphemerisFile(in);
        if (file.satellites.empty()) { // a script must not take "nothing sent" for success
            result.error = file.formatError ? std::string(kEphemerisFormatError)
                                            : "no satellite numbered 1 to 32 in " + path;
            return result;
        }
        for (const auto& words : file.satellites) {
            plan.steps.push_back(frame(setEphemerisPayload(words)));
        }
        if (file.formatError) {
            plan.finalError = kEphemerisFormatError;
        }
    }
    result.plan = std::move(plan);
    return result;
}

// almanac --save FILE, ephemeris --save FILE: the poll, the whole collection, then the file.
PlanResult collectionPlan(std::string_view command, std::span<const std::string> fields,
                          const PlanOptions& options) {
    PlanResult result;
    if (!options.save || options.save->empty() || !fields.empty()) {
        result.error = std::string(command) + " takes --save FILE";
        return result;
    }
    const bool almanac = command == "almanac";
    const Collection collection = almanac ? Collection::Almanac : Collection::Ephemeris;
    // A file that cannot be written is refused before the receiver is asked.
    if (const char* refusal = saveNameRefusal(collection, *options.save)) {
        result.error = std::string(refusal) + " (" + *options.save + ")";
        return result;
    }
    const CommandSpec& poll = *findCommand(almanac ? 146 : 147);
    ControlStep step = frame(encodePayload(poll, defaultValues(poll)));
    addPollAnswer(step, poll.mid);
    step.quiet = true;
    ControlPlan plan;
    plan.command = command;
    plan.steps.push_back(std::move(step));
    plan.save = collection;
    plan.savePath = *options.save;
    result.plan = std::move(plan);
    return result;
}

// The command file's name, whatever the file dialog would have shown.
class NamedFile : public CommandFileChooser {
public:
    explicit NamedFile(std::string name) : name_(std::move(name)) {}
    std::optional<std::string> openName() override { return name_; }
    std::optional<std::string> saveName() override { return std::nullopt; }

private:
    std::string name_;
};

// What Send Data refuses is told here, before the port is touched.
class KeptMessage : public Prompter {
public:
    Answer ask(const std::string& text, Icon, Buttons) override {
        message = text;
        return Answer::Ok;
    }
    std::string message;
};

// send [--wrapper zeph|nmea|none] TEXT..., or --file FILE.cmd: the Send Data dialog's Send.
PlanResult sendPlan(std::span<const std::string> fields, const PlanOptions& options) {
    PlanResult result;
    ControlStep step;
    step.kind = Kind::SendData;
    const std::string wrapper = options.wrapper.value_or("zeph");
    if (wrapper == "zeph") {
        step.wrapper = SendWrapper::ZephBinary;
    } else if (wrapper == "nmea") {
        step.wrapper = SendWrapper::Nmea;
    } else if (wrapper == "none") {
        step.wrapper = SendWrapper::None;
    } else {
        result.error = "--wrapper takes zeph, nmea or none, not " + wrapper;
        return result;
    }
    std::string text;
    if (options.file) {
        if (!fields.empty()) {
            result.error = "send takes TEXT or --file FILE, not both";
            return result;
        }
        KeptMessage kept;
        SendDataCommand command(kept);
        NamedFile file(*options.file);
        const std::optional<std::string> loaded = command.load(file);
        if (!loaded) {
            result.error = kept.message + " (" + *options.file + ")";
            return result;
        }
        text = *loaded;
    } else if (fields.empty()) {
        result.error = "send takes TEXT or --file FILE";
        return result;
    } else {
        for (const std::string& f : fields) { // "send 84 00" is the text "84 00"
            text += (text.empty() ? "" : " ") + f;
        }
    }
    if (step.wrapper != SendWrapper::Nmea) {
        const HexCommand hex = parseHexCommand(text);
        if (hex.refusal != nullptr) {
            result.error = hex.refusal;
            return result;
        }
        // A framed command is acknowledged by its MID; raw bytes may be anything.
        step.awaitAck = step.wrapper == SendWrapper::ZephBinary && !hex.bytes.empty();
    }
    step.bytes.assign(text.begin(), text.end());
    ControlPlan plan;
    plan.command = "send";
    plan.steps.push_back(std::move(step));
    result.plan = std::move(plan);
    return result;
}

const CommandSpec* polledCommand(std::string_view name) {
    if (!name.starts_with(kCurrentPrefix)) {
        return nullptr;
    }
    const CommandSpec* spec =
        findCommandByName(name.substr(std::string_view(kCurrentPrefix).size()));
    for (const uint8_t mid : polledCommandMids()) {
        if (spec != nullptr && spec->mid == mid) {
            return spec;
        }
    }
    return nullptr;
}

const CommandField* userField(const CommandSpec& spec, std::string_view name) {
    for (const CommandSpec* s = &spec; s != nullptr; s = s->next) {
        const CommandField* f = findField(*s, name);
        if (f != nullptr && f->use == FieldUse::User) {
            return f;
        }
    }
    return nullptr;
}

std::string expectedText(const CommandField& f) {
    switch (f.kind) {
    case ValueKind::Integer:
        return "a whole number";
    case ValueKind::Real:
        return "a number";
    case ValueKind::Check:
        return "0 or 1";
    case ValueKind::Choice:
        break;
    }
    std::string text = "one of";
    for (const Choice& c : f.choices) {
        text += (text == "one of" ? " " : ", ") + wordName(c.text, true);
    }
    return text;
}

} // namespace

std::string fieldValueText(const CommandField& f, double value) {
    if (f.kind == ValueKind::Choice) {
        for (const Choice& c : f.choices) {
            if (c.code == value) {
                return wordName(c.text, true);
            }
        }
        return "(none)";
    }
    return strprintf("%.10g", value);
}

namespace {

std::optional<std::string> readFields(const CommandSpec& spec, std::span<const std::string> args,
                                      CommandValues& values) {
    for (const std::string& arg : args) {
        const size_t eq = arg.find('=');
        if (eq == std::string::npos || eq == 0) {
            return "bad field " + arg + " (give FIELD=VALUE)";
        }
        const std::string name = arg.substr(0, eq);
        const std::string text = arg.substr(eq + 1);
        const CommandField* f = userField(spec, name);
        if (f == nullptr) {
            return "unknown field " + name + " for " + commandName(spec) + " (see --list)";
        }
        const std::optional<double> value = parseFieldValue(*f, text);
        if (!value) {
            return "bad value " + text + " for " + name + " (" + expectedText(*f) + ")";
        }
        values.set(name, *value);
    }
    return std::nullopt;
}

// The sentence rates of the switch to NMEA.
constexpr std::array<const char*, 10> kNmeaRateFields = {
    "gga", "gll", "gsa", "gsv", "rmc", "vtg", "mss", "user-8", "user-9", "user-10"};

// The catalogue command's steps, following the receiver where the command changes its line.
std::vector<ControlStep> commandSteps(const CommandSpec& spec, const CommandValues& values,
                                      const std::vector<std::vector<uint8_t>>& payloads,
                                      const ControlLine& line) {
    std::vector<ControlStep> steps;
    switch (spec.mid) {
    case 128: {
        const auto reset = static_cast<uint8_t>(values.integer("reset-config"));
        if ((reset & 0x30) != 0 && line.baud < kNavLibBaud) {
            steps = {frame(mainPortPayload(kNavLibBaud)), reopen(kNavLibBaud)};
        }
        steps.push_back(frame(payloads.front()));
        if ((reset & 0x08) != 0 && line.baud != kSwitchToBinaryBaud) {
            steps.push_back(reopen(kSwitchToBinaryBaud));
            steps.push_back(traffic(true));
        }
        return steps;
    }
    case 129: {
        steps = {frame(payloads.front()),
                 reopen(static_cast<uint32_t>(values.integer("baud-rate")))};
        if (values.integer("enable-debug-data") != 0) {
            steps.push_back(sentence(kDebugDataBody));
        }
        // With every sentence off the receiver stays silent: there is nothing to wait for.
        const bool talks = std::any_of(kNmeaRateFields.begin(), kNmeaRateFields.end(),
                                       [&](const char* f) { return values.integer(f) != 0; });
        if (talks) {
            steps.push_back(traffic(false));
        }
        return steps;
    }
    case 134:
        return {frame(payloads.front()), reopen(static_cast<uint32_t>(values.integer("baud-rate"))),
                traffic(false)};
    case 165: {
        steps = {frame(payloads.front())};
        const std::string own = "uart-" + std::to_string(values.integer("zephmon-receiver-uart"));
        const auto baud = static_cast<uint32_t>(values.integer(own + "-baud"));
        // A UART left as it is reports baud 0: the monitor's own rate stays.
        if (baud != 0 && baud != line.baud) {
            steps.push_back(reopen(baud));
            steps.push_back(traffic(false));
        }
        return steps;
    }
    default:
        for (const auto& payload : payloads) {
            steps.push_back(frame(payload));
        }
        addPollAnswer(steps.back(), spec.mid);
        return steps;
    }
}

// init's short reset words and the list entries they stand for.
constexpr std::pair<const char*, const char*> kResetWords[] = {
    {"hot", "hot-start"},   {"warm", "warm-start-no-init"}, {"warm-init", "warm-start-init"},
    {"cold", "cold-start"}, {"factory", "factory-reset"},
};
constexpr const char* kInitUsage = "init needs reset=hot|warm|warm-init|cold|factory (see --help)";

// init: initialize-data-source's fields from friendlier ones. reset=WORD gives the reset mode,
// pc-time the PC-clock box, position-file=FILE.pos the position and clock offset (fields given
// as well win over the file's).
std::optional<std::string> initFields(std::span<const std::string> args,
                                      std::vector<std::string>& fields) {
    std::vector<std::string> given;
    bool reset = false;
    for (const std::string& arg : args) {
        const size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
        if (name == "position-file") {
            const PositionFileResult read = readPositionFile(value);
            if (!read.position) {
                std::string error = read.error;
                std::replace(error.begin(), error.end(), '\n', ' ');
                return error;
            }
            const Position& p = *read.position;
            fields.insert(fields.begin(), {"x=" + std::to_string(p.x), "y=" + std::to_string(p.y),
                                           "z=" + std::to_string(p.z),
                                           "clock-offset=" + std::to_string(p.clockOffset)});
        } else if (name == "reset" || name == "reset-mode") {
            std::string mode = name == "reset" ? "" : value;
            for (const auto& [word, entry] : kResetWords) {
                mode = value == word ? entry : mode;
            }
            if (mode.empty()) {
                return "bad value " + value +
                       " for reset (one of hot, warm, warm-init, cold, factory)";
            }
            given.push_back("reset-mode=" + mode);
            reset = true;
        } else if (name == "pc-time") {
            given.push_back("use-current-pc-time=" + (eq == std::string::npos ? "1" : value));
        } else {
            given.push_back(arg);
        }
    }
    if (!reset) {
        return std::string(kInitUsage);
    }
    fields.insert(fields.end(), given.begin(), given.end());
    return std::nullopt;
}

} // namespace

PlanResult makePlan(std::string_view command, std::span<const std::string> fields,
                    const ControlLine& line, int64_t nowUnixMs, const PlanOptions& options) {
    PlanResult result;
    const bool collection = command == "almanac" || command == "ephemeris";
    if (options.save && !collection) {
        result.error = "--save goes with almanac or ephemeris";
        return result;
    }
    if ((options.wrapper || options.file) && command != "send") {
        result.error = std::string(options.wrapper ? "--wrapper" : "--file") + " goes with send";
        return result;
    }
    if (command == "init") {
        std::vector<std::string> translated;
        if (auto error = initFields(fields, translated)) {
            result.error = *error;
            return result;
        }
        result = makePlan("initialize-data-source", translated, line, nowUnixMs);
        if (result.plan) {
            result.plan->command = command;
        }
        return result;
    }
    if (command == "low-power") {
        return makePlan("set-low-power", fields, line, nowUnixMs);
    }
    if (collection) {
        return collectionPlan(command, fields, options);
    }
    if (command == "send") {
        return sendPlan(fields, options);
    }
    ControlPlan plan;
    plan.command = command;
    if (command == "sync" || command == "to-binary") {
        if (!fields.empty()) {
            result.error = std::string(command) + " takes no fields";
            return result;
        }
        if (command == "to-binary") {
            plan.steps = {sentence(kSwitchToBinaryBody), reopen(kSwitchToBinaryBaud),
                          traffic(true)};
        } else {
            for (const uint32_t baud : kSyncBauds) {
                plan.steps.push_back(reopen(baud));
                plan.steps.push_back(sentence(kSwitchToBinaryBody));
            }
            for (const uint32_t baud : kSyncBauds) {
                plan.steps.push_back(reopen(baud));
                plan.steps.push_back(frame(mainPortPayload(kSwitchToBinaryBaud), false));
            }
            plan.steps.push_back(reopen(kSwitchToBinaryBaud));
            plan.steps.push_back(traffic(true));
        }
        result.plan = std::move(plan);
        return result;
    }
    if (const CommandSpec* polled = polledCommand(command)) {
        if (!fields.empty()) {
            result.error = std::string(command) + " takes no fields";
            return result;
        }
        ControlStep step = frame(currentSettingsPollPayload(polled->mid));
        step.answerMid = 43;
        step.answerCount = 1;
        step.echoedMid = polled->mid;
        plan.steps.push_back(std::move(step));
        plan.echoOf = polled;
        result.plan = std::move(plan);
        return result;
    }
    const CommandSpec* spec = findCommandByName(command);
    if (spec == nullptr || !offered(*spec)) {
        result.error = "unknown command " + std::string(command) + " (see --list)";
        return result;
    }
    if (loadsFile(*spec)) {
        return fileCommandPlan(*spec, fields);
    }
    CommandValues values;
    if (spec->mid == 134) {
        values.set("baud-rate", line.baud); // the dialog opens on the monitor's own rate
    }
    if (spec->mid == 128) {
        values.set("pc-clock", static_cast<double>(nowUnixMs));
    }
    if (auto error = readFields(*spec, fields, values)) {
        result.error = *error;
        return result;
    }
    // The dialog's stored reset mode is a factory reset: a script must ask for its reset.
    if (spec->mid == 128 && !values.has("reset-mode")) {
        result.error = std::string(command) + " needs reset-mode=MODE (see --list)";
        return result;
    }
    CommandPayloads built = buildCommand(*spec, values);
    if (built.refusal) {
        result.error = *built.refusal;
        return result;
    }
    (void)checkAndDerive(*spec, values); // the derived fields, for the line steps
    plan.steps = commandSteps(*spec, values, built.payloads, line);
    result.plan = std::move(plan);
    return result;
}

std::string commandListText() {
    std::string text;
    const auto fieldLines = [&text](const CommandSpec& spec) {
        for (const CommandSpec* s = &spec; s != nullptr; s = s->next) {
            for (const CommandField& f : s->fields) {
                if (f.use != FieldUse::User) {
                    continue;
                }
                std::string line = "    " + std::string(f.name) + "=";
                const std::string_view name = f.name;
                line += spec.mid == 134 && name == "baud-rate"    ? "(the port's rate)"
                        : spec.mid == 128 && name == "reset-mode" ? "(required)"
                                                                  : fieldValueText(f, f.value);
                const std::string unit = labelUnit(f.label);
                std::string about = expectedText(f);
                if (f.min < f.max) {
                    about = strprintf("%.10g to %.10g", f.min, f.max);
                }
                if (!unit.empty()) {
                    about = unit + ", " + about;
                }
                text += strprintf("%-40s %s\n", line.c_str(), about.c_str());
            }
        }
    };
    text += "sync\n    (from any protocol and rate to binary at 38400 baud)\n";
    text += "to-binary\n    (NMEA to binary at 38400 baud)\n";
    text += "init  initialize-data-source with shorter fields\n";
    text += strprintf("%-40s %s\n", "    reset=(required)", "hot, warm, warm-init, cold, factory");
    text += strprintf("%-40s %s\n", "    position-file=PATH",
                      "x, y, z, clock-offset from a position file (.pos)");
    text += strprintf("%-40s %s\n", "    pc-time[=1]", "week and time of week from the PC clock");
    text += strprintf("%-40s %s\n", "    FIELD=VALUE", "any field of initialize-data-source");
    text += "low-power  the same as set-low-power\n";
    text += "almanac --save FILE\n    (Poll > Almanac: MID 146, the 32 satellites saved to FILE)\n";
    text += "ephemeris --save FILE\n    (Poll > Ephemeris: MID 147, the 32 satellites saved to "
            "FILE)\n";
    text += "send [--wrapper zeph|nmea|none] TEXT... | --file FILE.cmd\n    (Action > Transmit "
            "Serial Message)\n";
    for (const CommandSpec& spec : commandCatalogue()) {
        if (!offered(spec)) {
            continue;
        }
        text += commandName(spec) + "  MID " + std::to_string(spec.mid);
        if (spec.subId != 0) {
            text += " SID " + std::to_string(spec.subId);
        }
        if (*spec.constantName != '\0') {
            text += " " + std::string(spec.constantName);
        }
        if (spec.next != nullptr) {
            text += ", then MID " + std::to_string(spec.next->mid) + " " + spec.next->constantName;
        }
        text += '\n';
        if (loadsFile(spec)) {
            text += strprintf("%-40s %s\n", "    FILE",
                              spec.mid == 130 ? "the file Poll > Almanac saves"
                                              : "the file Poll > Ephemeris saves");
        }
        fieldLines(spec);
    }
    for (const uint8_t mid : polledCommandMids()) {
        const CommandSpec& spec = *findCommand(mid);
        text += kCurrentPrefix + commandName(spec) + "  MID 168 MID_POLL_CMD_PARAM for MID " +
                std::to_string(mid) + " (prints the fields the receiver holds)\n";
    }
    return text;
}

} // namespace zeph::monitor
