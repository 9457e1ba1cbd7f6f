#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

// One flag per MID 0 to 255.
using MidSelection = std::array<bool, 256>;

// "1-15,41,255" → the MIDs named; nullopt for anything else.
std::optional<MidSelection> parseMidList(std::string_view list);

// The log's selection string: character n is '1' when MID n is selected.
std::string selectionString(const MidSelection& selected);

} // namespace zeph::monitor
