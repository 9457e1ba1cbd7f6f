#include "monitor/shell/file_filter.h"

namespace zeph::monitor {

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find(separator, start);
        const size_t stop = end == std::string_view::npos ? text.size() : end;
        parts.emplace_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

std::string withoutPatternList(std::string description) {
    const size_t open = description.rfind(" (");
    if (open != std::string::npos && description.back() == ')') {
        description.erase(open);
    }
    return description;
}

} // namespace

std::vector<std::string> nameFilters(std::string_view filter) {
    // The filter ends with "||": everything after the first empty description is padding.
    const std::vector<std::string> parts = split(filter, '|');
    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        std::string patterns;
        for (const std::string& pattern : split(parts[i + 1], ';')) {
            if (pattern.empty()) {
                continue;
            }
            if (!patterns.empty()) {
                patterns += ' ';
            }
            patterns += pattern == "*.*" ? "*" : pattern;
        }
        filters.push_back(withoutPatternList(parts[i]) + " (" + patterns + ")");
    }
    return filters;
}

} // namespace zeph::monitor
