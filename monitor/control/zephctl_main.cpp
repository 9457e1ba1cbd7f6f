// zephctl: one receiver command from the command line, over the monitor's catalogue and link.

#include "control_options.h"
#include "control_plan.h"
#include "control_run.h"
#include "receiver_session.h"

#include "common/serial/port_names.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace zeph::monitor;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ControlOptionsResult parsed = parseControlOptions(args, [](const std::string& name) {
        const char* value = std::getenv(name.c_str());
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    });
    if (!parsed.options) {
        std::fprintf(stderr, "zephctl: %s\n", parsed.error.c_str());
        return kExitUsage;
    }
    const ControlOptions& o = *parsed.options;
    if (o.help) {
        std::fputs(kControlUsage, stdout);
        return kExitAnswered;
    }
    if (o.list) {
        std::fputs(commandListText().c_str(), stdout);
        return kExitAnswered;
    }
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    const PlanResult plan = makePlan(o.command, o.fields, ControlLine{o.baud}, now,
                                     PlanOptions{o.save, o.wrapper, o.file});
    if (!plan.plan) {
        std::fprintf(stderr, "zephctl: %s\n", plan.error.c_str());
        return kExitUsage;
    }
    ReceiverSession session(zeph::resolvePortName(o.port), o.verbose, stdout, stderr);
    if (const zeph::SerialStatus s = session.open(o.baud); !s) {
        std::fprintf(stderr, "zephctl: %s\n", s.message.c_str());
        return kExitUsage;
    }
    return runPlan(*plan.plan, session, o.timeoutSeconds, stdout, stderr);
}
