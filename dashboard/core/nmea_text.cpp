#include "dashboard/core/nmea_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zeph::dashboard {

std::optional<std::string> cutField(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(text.substr(0, comma));
}

void skipField(std::string& text, int count) {
    for (int i = 0; i < count; ++i) {
        const std::size_t comma = text.find(',');
        if (comma == std::string::npos) {
            return;
        }
        text.erase(0, comma + 1);
    }
}

std::optional<std::string> takeField(std::string& text) {
    std::optional<std::string> field = cutField(text);
    if (field) {
        skipField(text);
    }
    return field;
}

namespace {

bool matchesOne(char c, char p) {
    if (p == '?') {
        return true;
    }
    if (p == '#') {
        return c >= '0' && c <= '9';
    }
    return c == p;
}

} // namespace

bool likePattern(std::string_view text, std::string_view pattern) {
    // Greedy walk with one back-up point: the last '*' seen and where the text stood then.
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && matchesOne(text[t], pattern[p])) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string_view trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::optional<int16_t> toInt16(std::string_view field) {
    std::string_view t = trimSpaces(field);
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
    }
    if (t.empty()) {
        return std::nullopt;
    }
    int16_t value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || end != t.data() + t.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> leadingNumber(std::string_view field) {
    std::string_view t = field.substr(std::min(field.find_first_not_of(' '), field.size()));
    if (!t.empty() && t.front() == '+') {
        t.remove_prefix(1);
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int16_t> roundHalfEven16(double value) {
    // The default rounding mode of the floating-point environment rounds halves to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int16_t>::min() &&
          rounded <= std::numeric_limits<int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int16_t>(rounded);
}

} // namespace zeph::dashboard
