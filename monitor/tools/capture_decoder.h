#pragma once

// Feeds a capture through the monitor's parsers and produces exactly the text its log file
// would receive between the opening banner and the closing line, or what one form view shows.

#include "common/prompt/prompter.h"
#include "monitor/messages/mid_list.h"
#include "monitor/views/form_texts.h"

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
    // Instead of the log text: after each message the view handles, its fields as it shows
    // them, one per line in form order, then an empty line.
    std::optional<FormView> view;

    static MidSelection allMids() {
        MidSelection all;
        all.fill(true);
        return all;
    }
};

// Decodes everything `in` holds; the log text (or the view's texts) goes to `out`. False when `in`
// could not be read.
bool decodeCapture(std::FILE* in, std::FILE* out, const DecodeOptions& options, Prompter& prompter);

} // namespace zeph::monitor
