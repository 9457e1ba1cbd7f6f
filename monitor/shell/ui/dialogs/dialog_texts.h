#pragma once

// The small pieces every set-up dialog shares.

#include <QString>

class QPushButton;
class QWidget;

#include <string>
#include <string_view>

namespace zeph::monitor {

inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A stored "Description|patterns|...||" filter as a file dialog's name filters.
QString qtFileFilter(std::string_view filter);

// A named push button that Return does not press unless it is the dialog's default.
QPushButton* namedButton(const char* text, const char* name, QWidget* parent);

} // namespace zeph::monitor
