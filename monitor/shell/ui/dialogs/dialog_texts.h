#pragma once

// The small pieces every set-up dialog shares.

#include <QString>

#include <string>
#include <string_view>

namespace zeph::monitor {

inline QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A stored "Description|patterns|...||" filter as a file dialog's name filters.
QString qtFileFilter(std::string_view filter);

} // namespace zeph::monitor
