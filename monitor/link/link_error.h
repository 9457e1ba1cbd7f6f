#pragma once

#include "monitor/messages/program_state.h"

#include <string_view>

namespace zeph::monitor {

// A link error line: shown in the views as MID 255 text marked with kLinkErrorCode, and written
// to the message log with a line end.
void ReportLinkError(MonitorEvents& events, std::string_view line);

} // namespace zeph::monitor
