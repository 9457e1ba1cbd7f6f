#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include "monitor/shell/file_filter.h"

namespace zeph::monitor {

QString qtFileFilter(std::string_view filter) {
    QString joined;
    for (const std::string& nameFilter : nameFilters(filter)) {
        if (!joined.isEmpty()) {
            joined += QStringLiteral(";;");
        }
        joined += qText(nameFilter);
    }
    return joined;
}

} // namespace zeph::monitor
