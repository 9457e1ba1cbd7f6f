#include "monitor/shell/ui/dialogs/dialog_texts.h"

#include "monitor/shell/file_filter.h"

#include <QPushButton>

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

QPushButton* namedButton(const char* text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(qText(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace zeph::monitor
