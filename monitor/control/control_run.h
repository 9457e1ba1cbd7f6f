#pragma once

// Carries out a zephctl plan on an open session and prints the receiver's answers as the
// monitor's log renders them.

#include "control_plan.h"
#include "receiver_session.h"

#include <cstdio>

namespace zeph::monitor {

// Exit statuses of zephctl.
constexpr int kExitAnswered = 0; // acknowledged, or the poll answered
constexpr int kExitNotDone = 1;  // rejected, or no answer within the time-out
constexpr int kExitUsage = 2;    // unknown command or field, bad value, bad port

// Every wait (an acknowledgement, a poll's answer, the receiver's output after a line change)
// gets `timeoutSeconds`.
int runPlan(const ControlPlan& plan, ReceiverSession& session, double timeoutSeconds,
            std::FILE* out, std::FILE* err);

} // namespace zeph::monitor
