#pragma once

// The text steps every sentence decoder walks its text with. Sentences are never split into an
// array: a decoder cuts the field in front and skips it, and the behaviour of both at the end
// of the text (no comma left) is part of each decoder's rules.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::dashboard {

// The text before the first comma; none when no comma is left (the field cannot be cut).
std::optional<std::string> cutField(std::string_view text);
// Replaces the text by what follows the first comma; without a comma the text stays as it is.
void skipField(std::string& text, int count = 1);
// Cut, then skip; none (and the text unchanged) when no comma is left.
std::optional<std::string> takeField(std::string& text);

// Wildcard match of the whole text: '*' any run, '?' one character, '#' one digit; every other
// pattern character matches itself.
bool likePattern(std::string_view text, std::string_view pattern);

// Spaces removed at both ends.
std::string_view trimSpaces(std::string_view text);
// A whole number after trimming spaces (optional sign, digits only) that fits 16 bits.
std::optional<int16_t> toInt16(std::string_view field);
// The decimal number at the start of the field (spaces before it allowed), as far as it goes.
std::optional<double> leadingNumber(std::string_view field);
// Nearest 16-bit integer, halves to the even neighbour; none outside the 16-bit range.
std::optional<int16_t> roundHalfEven16(double value);

} // namespace zeph::dashboard
