#include "receiver_init.h"

#include "monitor/commands/command_catalogue.h"

#include "common/text/strprintf.h"

#include <cctype>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace zeph::monitor {
namespace {

constexpr int kNavLibBit = 0x10;
constexpr int kDebugBit = 0x20;
constexpr int kAlwaysSet = 0x80;
constexpr long long kMinPeriod = 5;
constexpr long long kMaxPeriod = 600;

// A whole number typed into a field: blanks around it, a sign only where `signedField`.
std::optional<long long> fieldInteger(std::string_view text, bool signedField) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (!signedField && text.front() == '-') {
            return std::nullopt;
        }
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    long long v = 0;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

// The integer a stored text begins with, held to 32 bits.
long storedNumber(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    if (v > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<long>(v);
}

// One number field of the form: its text and the catalogue field giving its range.
struct NumberField {
    const std::string& text;
    const char* field;
    bool signedField;
};

} // namespace

ReceiverInitFields receiverInitFields(const ReceiverInitSettings& stored) {
    ReceiverInitFields f;
    f.x = std::to_string(storedNumber(stored.posX));
    f.y = std::to_string(storedNumber(stored.posY));
    f.z = std::to_string(storedNumber(stored.posZ));
    f.clockOffset = std::to_string(storedNumber(stored.clkOffset));
    f.usePcTime = stored.usePcTime != 0;
    f.utcOffset = std::to_string(static_cast<unsigned>(stored.utcOffset));
    f.week = std::to_string(static_cast<unsigned>(stored.wk));
    f.timeOfWeek = std::to_string(std::strtoul(stored.tow.c_str(), nullptr, 10) / 100);
    f.channels = std::to_string(static_cast<unsigned>(stored.chnlCnt));
    f.resetMode = stored.cfgBits & 0x0F;
    f.navLibData = (stored.cfgBits & kNavLibBit) != 0;
    f.debugData = (stored.cfgBits & kDebugBit) != 0;
    f.period = initdialog::kPeriods[0];
    return f;
}

ReceiverInitEnabling receiverInitEnabling(const ReceiverInitFields& fields) {
    const bool warmInit = fields.resetMode == kWarmInit;
    return {warmInit, warmInit && !fields.usePcTime, warmInit && fields.usePcTime,
            fields.resetMode != kFactoryReset};
}

void applyPosition(ReceiverInitFields& fields, const Position& position) {
    fields.x = std::to_string(position.x);
    fields.y = std::to_string(position.y);
    fields.z = std::to_string(position.z);
    fields.clockOffset = std::to_string(position.clockOffset);
}

ReceiverInitSend receiverInitSend(const ReceiverInitFields& fields) {
    ReceiverInitSend result;
    const CommandSpec& init = *findCommand(128);
    const NumberField numbers[] = {
        {fields.x, "x", true},
        {fields.y, "y", true},
        {fields.z, "z", true},
        {fields.clockOffset, "clock-offset", true},
        {fields.utcOffset, "utc-offset", false},
        {fields.week, "week-number", false},
        {fields.timeOfWeek, "time-of-week", true},
        {fields.channels, "channels", false},
    };
    long long values[std::size(numbers)] = {};
    for (size_t i = 0; i < std::size(numbers); ++i) {
        const NumberField& n = numbers[i];
        const CommandField& field = *findField(init, n.field);
        const std::optional<long long> v = fieldInteger(n.text, n.signedField);
        if (!v) {
            result.refusal =
                n.signedField ? initdialog::kEnterInteger : initdialog::kEnterPositiveInteger;
            return result;
        }
        // The channel count's own check comes after every field has been read.
        const auto value = static_cast<double>(*v);
        if (field.refusal == nullptr && (value < field.min || value > field.max)) {
            result.refusal = integerRangeText(field.min, field.max);
            return result;
        }
        values[i] = *v;
    }
    const long long channels = values[7];
    if (channels < 0 || channels > 12) {
        result.refusal = initdialog::kChannelsRefusal;
        return result;
    }
    const std::optional<long long> period = fieldInteger(fields.period, false);
    if (!period || (*period != 0 && (*period < kMinPeriod || *period > kMaxPeriod))) {
        result.refusal = initdialog::kPeriodRefusal;
        return result;
    }
    const bool factory = fields.resetMode == kFactoryReset;
    ReceiverInitAccepted accepted;
    ReceiverInitSettings& s = accepted.settings;
    s.posX = strprintf("%ld", static_cast<long>(values[0]));
    s.posY = strprintf("%ld", static_cast<long>(values[1]));
    s.posZ = strprintf("%ld", static_cast<long>(values[2]));
    s.clkOffset = strprintf("%ld", static_cast<long>(values[3]));
    s.usePcTime = fields.usePcTime ? 1 : 0;
    s.utcOffset = static_cast<int>(static_cast<uint32_t>(values[4]));
    s.wk = static_cast<int>(values[5]);
    s.tow = strprintf("%ld", static_cast<long>(values[6] * 100));
    s.chnlCnt = static_cast<int>(channels);
    s.cfgBits = (fields.resetMode & 0x0F) | (!factory && fields.navLibData ? kNavLibBit : 0) |
                (!factory && fields.debugData ? kDebugBit : 0) | kAlwaysSet;
    accepted.periodSeconds = static_cast<int>(*period);
    result.accepted = accepted;
    return result;
}

} // namespace zeph::monitor
