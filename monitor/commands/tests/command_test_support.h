#pragma once

#include "monitor/commands/command_builders.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zeph::monitor::testing {

using FieldTexts = std::vector<std::pair<std::string, std::string>>;

inline std::string hexBytes(const std::vector<uint8_t>& bytes) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string out;
    for (const uint8_t b : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

// The command by name with its fields given as zephctl takes them: its payloads in hex, each
// message separated by " | ", or its refusal.
inline std::string buildText(const std::string& name, const FieldTexts& fields) {
    const CommandSpec* spec = findCommandByName(name);
    if (spec == nullptr) {
        return "no command " + name;
    }
    CommandValues values;
    for (const auto& [field, text] : fields) {
        const CommandField* f = findField(*spec, field);
        if (f == nullptr && spec->next != nullptr) {
            f = findField(*spec->next, field);
        }
        const auto value = f == nullptr ? std::nullopt : parseFieldValue(*f, text);
        if (!value) {
            return "bad field " + field + "=" + text;
        }
        values.set(field, *value);
    }
    const CommandPayloads built = buildCommand(*spec, values);
    if (built.refusal) {
        return *built.refusal;
    }
    std::string out;
    for (const auto& payload : built.payloads) {
        out += (out.empty() ? "" : " | ") + hexBytes(payload);
    }
    return out;
}

} // namespace zeph::monitor::testing
