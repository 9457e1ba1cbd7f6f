#include "low_power.h"

#include "monitor/commands/command_builders.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace zeph::monitor {
namespace {

constexpr long long kAutoDetectRateLimit = 4; // slower updates leave the version poll unanswered

template <size_t N>
bool listed(const std::array<const char*, N>& entries, const std::string& text) {
    return std::any_of(entries.begin(), entries.end(), [&](const char* e) { return text == e; });
}

// An integer field: blanks around digits with an optional sign, else none.
std::optional<long long> integerField(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string trimmed(text.substr(first, last - first + 1));
    char* end = nullptr;
    const long long v = std::strtoll(trimmed.c_str(), &end, 10);
    if (end == trimmed.c_str() || *end != '\0' || trimmed.size() > 12) {
        return std::nullopt;
    }
    return v;
}

// A list's text as the dialog reads it: the integer it begins with, 0 for none.
long long listNumber(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

} // namespace

LowPowerEnabling lowPowerEnabling(const LowPowerFields& fields, int targetSwClass) {
    const bool lullcycle = fields.mode == kLullcycle;
    return {lullcycle, lullcycle && targetSwClass < 2,
            fields.mode == kWakeOnDemand && targetSwClass < 3, lullcycle && fields.listOnly};
}

LowPowerSend lowPowerSend(const LowPowerFields& fields) {
    LowPowerSend result;
    CommandValues values;
    // The integer fields are read first, in form order.
    const std::pair<const std::string&, const char*> numbers[] = {
        {fields.maxOffTime, "maximum-off-time"},
        {fields.maxSearchTime, "maximum-search-time"},
        {fields.period, "wake-on-demand-period"}};
    for (const auto& [text, name] : numbers) {
        const std::optional<long long> v = integerField(text);
        if (!v) {
            result.refusal = lowpower::kEnterInteger;
            return result;
        }
        values.set(name, static_cast<double>(*v));
    }
    const bool lullcycle = fields.mode == kLullcycle;
    if (lullcycle && fields.listOnly && !listed(lowpower::kUpdateRates, fields.updateRate)) {
        result.refusal = lowpower::kSelectRate;
        return result;
    }
    if (lullcycle && fields.listOnly && !listed(lowpower::kOnTimes, fields.onTime)) {
        result.refusal = lowpower::kSelectOnTime;
        return result;
    }
    const long long rate = listNumber(fields.updateRate);
    values.set("mode", fields.mode);
    values.set("adaptive-mode", fields.adaptive ? 1 : 0);
    values.set("on-time", static_cast<double>(listNumber(fields.onTime)));
    values.set("update-rate", static_cast<double>(rate));
    values.set("list-only", fields.listOnly ? 1 : 0);
    CommandPayloads built = buildCommand(*findCommand(151), values);
    if (built.refusal) {
        result.refusal = built.refusal;
        return result;
    }
    result.payloads = std::move(built.payloads);
    result.stopAutoDetect = rate > kAutoDetectRateLimit;
    return result;
}

} // namespace zeph::monitor
