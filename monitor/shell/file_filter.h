#pragma once

// File dialog filters as the dialogs keep them: "Description|patterns|...||", patterns separated
// by ';'.

#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// One "Description (patterns)" entry per pair, patterns separated by blanks. The description's own
// parenthesised pattern list is replaced by the patterns of the pair, and "*.*" becomes "*": on
// this system a file name needs no dot to be a file.
std::vector<std::string> nameFilters(std::string_view filter);

} // namespace zeph::monitor
