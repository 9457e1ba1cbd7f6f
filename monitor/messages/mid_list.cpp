#include "mid_list.h"

#include <charconv>

namespace zeph::monitor {
namespace {

bool parseMid(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 255;
}

} // namespace

std::optional<MidSelection> parseMidList(std::string_view list) {
    if (list.empty()) {
        return std::nullopt;
    }
    MidSelection selected{};
    for (;;) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        const size_t dash = item.find('-');
        const std::string_view lastText =
            dash == std::string_view::npos ? item : item.substr(dash + 1);
        int first = 0;
        int last = 0;
        if (!parseMid(item.substr(0, dash), first) || !parseMid(lastText, last) || last < first) {
            return std::nullopt;
        }
        for (int mid = first; mid <= last; ++mid) {
            selected[static_cast<size_t>(mid)] = true;
        }
        if (comma == std::string_view::npos) {
            return selected;
        }
        list = list.substr(comma + 1);
    }
}

std::string selectionString(const MidSelection& selected) {
    std::string msgs(selected.size(), '0');
    for (size_t mid = 0; mid < selected.size(); ++mid) {
        msgs[mid] = selected[mid] ? '1' : '0';
    }
    return msgs;
}

} // namespace zeph::monitor
