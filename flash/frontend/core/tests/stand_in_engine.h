#pragma once

// Stand-in engines for the front end's tests: bash scripts that see their arguments in $args
// and the -wp descriptor in $wp, and write pipe records there with printf.

#include "common/testing/temp_dir.h"
#include "flash/engine/cli/pipe_record.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace zeph::burnfront::testing {

inline std::string engineScript(const zeph::testing::TempDir& dir, const std::string& body) {
    const std::string path =
        dir.write("engine", "#!/bin/bash\nargs=\"$*\"\n"
                            "while [ $# -gt 0 ]; do [ \"$1\" = -wp ] && wp=$2; shift; done\n" +
                                body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

// A shell command writing the record as the engine does, every byte as an octal escape.
inline std::string writeRecord(uint32_t code, const std::string& text) {
    std::string command = "printf '";
    char escape[8];
    for (uint8_t b : flash::encodePipeRecord(code, text)) {
        std::snprintf(escape, sizeof escape, "\\%03o", b);
        command += escape;
    }
    return command + "' >&$wp\n";
}

} // namespace zeph::burnfront::testing
