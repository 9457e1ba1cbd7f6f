#include "common/options/command_line.h"

#include <algorithm>

namespace zeph {

std::optional<Arg> CommandLine::refuse(std::string_view text, std::string_view subject) {
    std::string line(text);
    if (const size_t at = line.find("%s"); at != std::string::npos) {
        line.replace(at, 2, subject);
    }
    error_ = line;
    at_ = args_.size();
    return std::nullopt;
}

std::optional<Arg> CommandLine::next() {
    if (at_ >= args_.size()) {
        return std::nullopt;
    }
    const std::string& arg = args_[at_++];
    if (arg == "-" || !arg.starts_with('-')) {
        if (operands_ == rules_.maxOperands) {
            return refuse(rules_.unexpected, arg);
        }
        ++operands_;
        return Arg{{}, arg};
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const size_t eq = arg.find('=');
        rules_.inlineValues && arg.starts_with("--") && eq != std::string::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
    }
    const auto spec = std::find_if(rules_.options.begin(), rules_.options.end(),
                                   [&](const OptionSpec& o) { return o.name == name; });
    if (spec == rules_.options.end()) {
        return refuse(rules_.unknown, arg);
    }
    if (!spec->takesValue) {
        return inlineValue ? refuse(rules_.takesNoValue, name) : Arg{name, {}};
    }
    if (inlineValue) {
        return Arg{name, *inlineValue};
    }
    if (at_ < args_.size()) {
        return Arg{name, args_[at_++]};
    }
    if (rules_.needsValue.empty()) {
        return Arg{name, {}};
    }
    return refuse(rules_.needsValue, name);
}

std::optional<double> parseReal(std::string_view text, double min, double max) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || stop != end || !(value >= min && value <= max)) {
        return std::nullopt;
    }
    return value;
}

} // namespace zeph
