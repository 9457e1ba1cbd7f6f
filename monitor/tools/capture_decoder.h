#pragma once

// Feeds a capture through the monitor's parsers and produces exactly the text its log file
// would receive between the opening banner and the closing line.

#include "common/prompt/prompter.h"
#include "monitor/messages/mid_list.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

struct DecodeOptions {
    bool playback = false; // the capture-file parser instead of the live one
    int targetSwClass = 0;
    bool autoDetect = false;
    MidSelection selected = allMids();

    static MidSelection allMids() {
        MidSelection all;
        all.fill(true);
        return all;
    }
};

// Decodes everything `in` holds; the log text goes to `out`. False when `in` could not be read.
bool decodeCapture(std::FILE* in, std::FILE* out, const DecodeOptions& options, Prompter& prompter);

} // namespace zeph::monitor
