// Position files of the receiver initialisation: a file reads as four values or as nothing,
// never as a part, and the values written one a line read back the same.

#include "fuzz_files.h"

#include "monitor/commands/position_file.h"

#include "common/text/strprintf.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::monitor;
    using zeph::fuzz::check;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const auto position = readPosition(in);

    // The same file read by its name, as the dialog does.
    const std::string path = zeph::fuzz::ScratchFolder::instance().write("init.pos", data, size);
    const PositionFileResult named = readPositionFile(path);
    check(named.position == position, "a file reads the same by its name as from a stream");
    check(named.position.has_value() == named.error.empty(), "a file gives a position or why not");
    if (!position) {
        return 0;
    }
    std::istringstream saved(zeph::strprintf("%d\n%d\n%d\n%d\n", position->x, position->y,
                                             position->z, position->clockOffset));
    check(readPosition(saved) == position, "a written position reads back the same");
    return 0;
}
