#include "monitor/link/link_error.h"

#include <string>

namespace zeph::monitor {

void ReportLinkError(MonitorEvents& events, std::string_view line) {
    events.showText(line, kLinkErrorCode);
    std::string logged(line);
    logged += '\n';
    events.writeLog(logged);
}

} // namespace zeph::monitor
