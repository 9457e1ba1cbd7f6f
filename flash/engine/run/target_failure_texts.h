#pragma once

// The lines a failed programming run appends to its report: what the target says it did last
// and what it was doing when it stopped.

#include "flash/engine/link/target_commands.h"

#include <optional>
#include <string>

namespace zeph::flash {

// A missing answer is said as such; an activity code outside 0..11 is shown as unknown.
std::string LastOperationText(const std::optional<LastOperation>& operation);
std::string LastActivityText(const std::optional<LastActivity>& activity);

} // namespace zeph::flash
