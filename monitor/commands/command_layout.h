#pragma once

// An input message described once as data: rows of (offset, type, scale, name) that one encoder
// writes big-endian and one reader takes back from a MID 43 echo, and for each field a person
// edits, the dialog's label, unit, range and default that zephctl and the dialogs share.

#include "monitor/messages/field_layout.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zeph::monitor {

// A field's part in its command.
enum class FieldUse : uint8_t {
    Constant, // always `value`; nobody edits it
    User,     // a dialog field: a person gives it, else it takes `value`
    Derived,  // written by the command's rule from the user's fields
};

// How a user field is given.
enum class ValueKind : uint8_t {
    Integer, // whole number in `min`..`max`, the framework's integer message when outside
    Real,    // number in `min`..`max`, the framework's number message when outside
    Check,   // 0 or 1
    Choice,  // one of `choices`, by text
};

struct Choice {
    const char* text; // as the dialog lists it ("EVEN", "Zeph Binary", "1200")
    int32_t code;     // the value it stands for
};

constexpr int16_t kNotSent = -1;  // offset of a dialog field the command's rule reads only
constexpr int32_t kNoChoice = -1; // code of a list left empty

struct CommandField {
    int16_t offset;   // payload offset (MID at 0), or kNotSent
    FieldType type;   // U8, U16, I16, U32 or I32
    const char* name; // zephctl's and the dialogs' name: from the dialog label for user fields
    FieldUse use;
    double value = 0; // Constant: the value; User, Derived: the default, in the dialog's units
    double scale = 1; // wire value = value × scale, truncated toward zero
    ValueKind kind = ValueKind::Integer;
    const char* label = nullptr; // the dialog's label, "Navigation (deg)"
    double min = 0;              // range of a User field, in the dialog's units; none when
    double max = 0;              // min >= max
    std::span<const Choice> choices{};
    const char* refusal = nullptr; // the dialog's own text for a value out of range
    uint16_t count = 1;            // more than 1: an array of words given by CommandValues::words

    constexpr bool sent() const { return offset != kNotSent; }
};

// Field values by name, in the dialog's units (a choice holds its code).
class CommandValues {
public:
    double get(std::string_view name) const;
    bool has(std::string_view name) const;
    void set(std::string_view name, double value);
    int64_t integer(std::string_view name) const;

    std::vector<uint16_t> words; // the values of an array field, in order

private:
    std::vector<std::pair<std::string, double>> values_;
};

// A command's own rule: derives the Derived fields from the user's and returns the dialog's
// refusal when the values cannot be sent.
using CommandRule = std::optional<std::string> (*)(CommandValues&);
// Turns echoed wire fields back into the dialog's fields (auto-scan boxes from zero values).
using EchoRule = void (*)(CommandValues&);

struct CommandSpec {
    const char* menuItem;     // "Navigation > Elevation Mask": the command's name comes from it
    const char* constantName; // "MID_SetElevMask", "MID_DrOut:SID_SetDrNavInit"; "" for none
    uint8_t mid;
    uint8_t subId; // MID 172's sub-identifier, else 0
    uint16_t length;
    std::span<const CommandField> fields;
    CommandRule rule = nullptr;
    EchoRule fromEcho = nullptr;
    const char* caption = nullptr;     // the dialog's caption, when it has one
    const CommandSpec* next = nullptr; // a message always sent right after, from the same values
    const char* commandName = nullptr; // zephctl's name where it is not the menu item's
};

// The framework's range texts, limits printed as the dialogs print them.
std::string integerRangeText(double min, double max);
std::string realRangeText(double min, double max);

// Every field at its default (constants at their value, empty lists kNoChoice), with those of
// the message sent next.
CommandValues defaultValues(const CommandSpec& spec);
// Adds the defaults that `values` does not hold yet.
void addDefaults(const CommandSpec& spec, CommandValues& values);

// The range check of every user field (of the next message's too), then the command's rule; the
// first refusal, or none.
std::optional<std::string> checkAndDerive(const CommandSpec& spec, CommandValues& values);

// The payload: every sent field big-endian at its offset, scaled and truncated toward zero;
// reserved bytes 0. Values must have passed checkAndDerive.
std::vector<uint8_t> encodePayload(const CommandSpec& spec, const CommandValues& values);

// Byte order of an echo: as received, or after the decoder put it in host order (the
// PolledSettings record).
enum class EchoOrder { Wire, Host };

// The fields of an echo laid out as the command's payload from its MID on, in the dialog's
// units; fields past the echo's length keep their defaults.
CommandValues readEcho(const CommandSpec& spec, std::span<const uint8_t> echo, EchoOrder order);

// The word form of a menu item or a dialog label: its words in lower case joined by '-',
// without '&', a unit in parentheses, a trailing ':' or "...", and without punctuation inside
// words ("Navigation (deg)" -> "navigation", "DR Sensor's &Paramters..." ->
// "dr-sensors-paramters"). List entries keep their parenthesised words
// ("&Warm Start (No init)" -> "warm-start-no-init").
std::string wordName(std::string_view text, bool keepParentheses = false);
// The unit in a label's parentheses ("Navigation (deg)" -> "deg"); empty when none.
std::string labelUnit(std::string_view label);

// A user field's value from its text: a number, 0/1 for a check, a list entry by its text, its
// word form or its code. None when the text is not of the field's kind (bad usage, not a range
// refusal).
std::optional<double> parseFieldValue(const CommandField& field, std::string_view text);

const CommandField* findField(const CommandSpec& spec, std::string_view name);

} // namespace zeph::monitor
