#include "command_layout.h"

#include "common/bytes/byte_order.h"
#include "common/options/command_line.h"
#include "common/text/strprintf.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace zeph::monitor {
namespace {

bool hasRange(const CommandField& f) {
    return f.use == FieldUse::User && f.min < f.max &&
           (f.kind == ValueKind::Integer || f.kind == ValueKind::Real);
}

int64_t wireInteger(const CommandField& f, const CommandValues& values) {
    const double v = f.use == FieldUse::Constant ? f.value : values.get(f.name);
    return static_cast<int64_t>(std::trunc(v * f.scale));
}

int64_t readWire(const uint8_t* p, FieldType type) {
    switch (type) {
    case FieldType::U8:
        return p[0];
    case FieldType::U16:
        return readBe16(p);
    case FieldType::I16:
        return static_cast<int16_t>(readBe16(p));
    case FieldType::U32:
        return readBe32(p);
    case FieldType::I32:
        return static_cast<int32_t>(readBe32(p));
    default:
        return 0;
    }
}

} // namespace

double CommandValues::get(std::string_view name) const {
    for (const auto& [n, v] : values_) {
        if (n == name) {
            return v;
        }
    }
    return 0;
}

bool CommandValues::has(std::string_view name) const {
    for (const auto& entry : values_) {
        if (entry.first == name) {
            return true;
        }
    }
    return false;
}

void CommandValues::set(std::string_view name, double value) {
    for (auto& [n, v] : values_) {
        if (n == name) {
            v = value;
            return;
        }
    }
    values_.emplace_back(std::string(name), value);
}

int64_t CommandValues::integer(std::string_view name) const {
    return static_cast<int64_t>(get(name));
}

std::string integerRangeText(double min, double max) {
    return strprintf("Please enter an integer between %lld and %lld.", static_cast<long long>(min),
                     static_cast<long long>(max));
}

std::string realRangeText(double min, double max) {
    return strprintf("Please enter a number between %g and %g.", min, max);
}

void addDefaults(const CommandSpec& spec, CommandValues& values) {
    for (const CommandSpec* s = &spec; s != nullptr; s = s->next) {
        for (const CommandField& f : s->fields) {
            if (f.count == 1 && !values.has(f.name)) {
                values.set(f.name, f.value);
            }
        }
    }
}

CommandValues defaultValues(const CommandSpec& spec) {
    CommandValues values;
    addDefaults(spec, values);
    return values;
}

std::optional<std::string> checkAndDerive(const CommandSpec& spec, CommandValues& values) {
    addDefaults(spec, values);
    for (const CommandSpec* s = &spec; s != nullptr; s = s->next) {
        for (const CommandField& f : s->fields) {
            const double v = values.get(f.name);
            if (!hasRange(f) || (v >= f.min && v <= f.max)) {
                continue;
            }
            if (f.refusal != nullptr) {
                return std::string(f.refusal);
            }
            return f.kind == ValueKind::Integer ? integerRangeText(f.min, f.max)
                                                : realRangeText(f.min, f.max);
        }
    }
    return spec.rule != nullptr ? spec.rule(values) : std::nullopt;
}

std::vector<uint8_t> encodePayload(const CommandSpec& spec, const CommandValues& values) {
    std::vector<uint8_t> payload(spec.length, 0);
    payload[0] = spec.mid;
    for (const CommandField& f : spec.fields) {
        if (!f.sent()) {
            continue;
        }
        uint8_t* p = payload.data() + f.offset;
        if (f.count > 1) {
            for (size_t i = 0; i < f.count && i < values.words.size(); ++i) {
                writeBe16(p + 2 * i, values.words[i]);
            }
            continue;
        }
        const int64_t raw = wireInteger(f, values);
        switch (f.type) {
        case FieldType::U8:
            p[0] = static_cast<uint8_t>(raw);
            break;
        case FieldType::U16:
        case FieldType::I16:
            writeBe16(p, static_cast<uint16_t>(raw));
            break;
        case FieldType::U32:
        case FieldType::I32:
            writeBe32(p, static_cast<uint32_t>(raw));
            break;
        default:
            break;
        }
    }
    return payload;
}

CommandValues readEcho(const CommandSpec& spec, std::span<const uint8_t> echo, EchoOrder order) {
    CommandValues values = defaultValues(spec);
    for (const CommandField& f : spec.fields) {
        if (!f.sent() || f.use == FieldUse::Constant || f.count > 1 ||
            static_cast<size_t>(f.offset) + fieldSize(f.type) > echo.size()) {
            continue;
        }
        const uint8_t* p = echo.data() + f.offset;
        const int64_t raw =
            order == EchoOrder::Wire ? readWire(p, f.type) : fieldInteger(p, f.type);
        values.set(f.name, static_cast<double>(raw) / f.scale);
    }
    if (spec.fromEcho != nullptr) {
        spec.fromEcho(values);
    }
    return values;
}

std::string wordName(std::string_view text, bool keepParentheses) {
    std::string name;
    bool wordOpen = false;
    int depth = 0;
    for (const char c : text) {
        if (c == '(' && !keepParentheses) {
            ++depth;
        } else if (c == ')' && !keepParentheses) {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (depth > 0 || c == '&' || c == '\'') {
            continue;
        } else if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            if (!wordOpen && !name.empty()) {
                name += '-';
            }
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            wordOpen = true;
            continue;
        }
        wordOpen = false;
    }
    return name;
}

std::string labelUnit(std::string_view label) {
    const size_t open = label.rfind('(');
    const size_t close = label.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    return std::string(label.substr(open + 1, close - open - 1));
}

std::optional<double> parseFieldValue(const CommandField& field, std::string_view text) {
    constexpr auto kLow = std::numeric_limits<int64_t>::min();
    constexpr auto kHigh = std::numeric_limits<int64_t>::max();
    switch (field.kind) {
    case ValueKind::Integer:
        if (const auto v = parseNumber<int64_t>(text, kLow, kHigh)) {
            return static_cast<double>(*v);
        }
        return std::nullopt;
    case ValueKind::Real:
        return parseReal(text, -std::numeric_limits<double>::max(),
                         std::numeric_limits<double>::max());
    case ValueKind::Check:
        if (text == "0" || text == "1") {
            return text == "1" ? 1.0 : 0.0;
        }
        return std::nullopt;
    case ValueKind::Choice:
        for (const bool keep : {true, false}) { // "warm-start-init" before "warm-start"
            for (const Choice& c : field.choices) {
                if (text == c.text ||
                    (!text.empty() && wordName(text, true) == wordName(c.text, keep))) {
                    return c.code;
                }
            }
        }
        if (const auto code = parseNumber<int32_t>(text, 0, std::numeric_limits<int32_t>::max())) {
            for (const Choice& c : field.choices) {
                if (c.code == *code) {
                    return c.code;
                }
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

const CommandField* findField(const CommandSpec& spec, std::string_view name) {
    for (const CommandField& f : spec.fields) {
        if (name == f.name) {
            return &f;
        }
    }
    return nullptr;
}

} // namespace zeph::monitor
