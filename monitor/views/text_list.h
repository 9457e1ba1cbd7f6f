#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// The lines of a text view: every text is split into lines, and the list keeps the newest
// kMaxLines of them.
class TextList {
public:
    static constexpr size_t kMaxLines = 300;

    // What one add did, so that a display can follow the list without redoing the rule.
    struct Change {
        size_t dropped = 0;             // lines removed from the front of the list as it was
        std::vector<std::string> added; // lines appended at the end, oldest first
    };

    // Each "\n" ends a line; an empty line is kept as a single blank so that it shows, and
    // a last piece without "\n" is a line only when it holds something.
    static std::vector<std::string> split(std::string_view text);

    Change add(std::string_view text);
    void clear() { lines_.clear(); }
    const std::deque<std::string>& lines() const { return lines_; }

private:
    std::deque<std::string> lines_;
};

} // namespace zeph::monitor
