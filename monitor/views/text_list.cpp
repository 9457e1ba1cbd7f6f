#include "monitor/views/text_list.h"

#include <algorithm>

namespace zeph::monitor {

std::vector<std::string> TextList::split(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start)) {
        lines.emplace_back(end > start ? text.substr(start, end - start) : " ");
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

TextList::Change TextList::add(std::string_view text) {
    std::vector<std::string> pieces = split(text);
    // Adding one line at a time with the first line pushed out at the limit: of a text longer
    // than the list only its last kMaxLines lines survive.
    const size_t total = lines_.size() + pieces.size();
    const size_t excess = total > kMaxLines ? total - kMaxLines : 0;
    Change change;
    change.dropped = std::min(excess, lines_.size());
    const size_t skipped = excess - change.dropped;
    lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(change.dropped));
    change.added.assign(
        std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(skipped)),
        std::make_move_iterator(pieces.end()));
    lines_.insert(lines_.end(), change.added.begin(), change.added.end());
    return change;
}

} // namespace zeph::monitor
