#pragma once

// flashsim's command line.

#include "target_model.h"

#include <optional>
#include <string>
#include <vector>

namespace zeph::flashsim {

struct FlashsimOptions {
    std::string link;      // empty: a new pseudo-terminal
    std::string chipList;  // empty: chiplist.txt beside the program
    std::string chipName;  // empty: the first chip of the list
    std::string chip2Name; // empty: the second chip (if any) is the first one again
    TargetConfig target;   // everything but the chips, which come from the list
    bool help = false;
};

struct ParsedOptions {
    std::optional<FlashsimOptions> options;
    std::string error; // one line when options is empty
};

std::string usage();
ParsedOptions parseOptions(const std::vector<std::string>& args);

} // namespace zeph::flashsim
