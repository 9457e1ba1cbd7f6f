#pragma once

// The command lines of the simulators and tools: options named exactly, with or without a value,
// "--name=value" where a program takes that form, operands, and one-line refusals. The program
// acts on each option in turn and refuses bad values in its own words.

#include <charconv>
#include <concepts>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace zeph {

struct OptionSpec {
    std::string_view name; // "--baud", "-h"
    bool takesValue = false;
};

struct ScanRules {
    std::span<const OptionSpec> options;
    bool inlineValues = false; // "--name=value" as well as "--name value"
    size_t maxOperands = 0;    // arguments that are not options ("-" is one)
    // The refusals; "%s" stands for the option's name, in `unknown` and `unexpected` for the
    // argument as given. An empty `needsValue` hands a last option on with an empty value, for
    // the program's own refusal.
    std::string_view unknown = "unknown option %s";
    std::string_view unexpected = "unexpected argument %s"; // an operand beyond maxOperands
    std::string_view needsValue = "%s needs a value";
    std::string_view takesNoValue = "%s takes no value";
};

struct Arg {
    std::string name;  // the option as named; empty for an operand
    std::string value; // the option's value, or the operand
};

class CommandLine {
public:
    // `args` without the program name; both must outlive the scan.
    CommandLine(std::span<const std::string> args, const ScanRules& rules)
        : args_(args), rules_(rules) {}

    // The next option or operand; nothing at the end or on a refusal (see error()).
    std::optional<Arg> next();
    // The refusal, one line; empty while none.
    const std::string& error() const { return error_; }

private:
    std::optional<Arg> refuse(std::string_view text, std::string_view subject);

    std::span<const std::string> args_;
    const ScanRules& rules_;
    size_t at_ = 0;
    size_t operands_ = 0;
    std::string error_;
};

// How whole numbers may be written: decimal only, or as in C (0x hex, a leading 0 octal).
enum class Radix { Decimal, C };

// A whole number from `min` to `max`, nothing but its digits (and a leading '-' in decimal).
template <std::integral T>
std::optional<T> parseNumber(std::string_view text, T min, T max, Radix radix = Radix::Decimal) {
    int base = 10;
    if (radix == Radix::C && text.size() > 1 && text[0] == '0') {
        const bool hex = text[1] == 'x' || text[1] == 'X';
        base = hex ? 16 : 8;
        text.remove_prefix(hex ? 2 : 1);
        if (text.starts_with('-')) {
            return std::nullopt;
        }
    }
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || stop != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// A real number from `min` to `max` in decimal or exponent notation.
std::optional<double> parseReal(std::string_view text, double min, double max);

} // namespace zeph
