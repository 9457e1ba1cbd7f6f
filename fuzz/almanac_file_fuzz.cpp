// Almanac files read back for Set Almanac: a file that reads must give the same 448 words
// again once the monitor has written them out as a saved collection.

#include "fuzz_files.h"

#include "monitor/commands/almanac_file.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zeph::monitor;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const auto words = loadAlmanacFile(in);
    if (!words) {
        return 0;
    }
    AlmanacTable table{};
    for (size_t sv = 0; sv < table.size(); ++sv) {
        for (size_t k = 0; k < table[sv].size(); ++k) {
            table[sv][k] = (*words)[sv * kAlmanacFileWords + k];
        }
    }
    std::istringstream saved(almanacFileText(table, 1031270400));
    zeph::fuzz::check(loadAlmanacFile(saved) == words, "a saved almanac reads back the same");
    return 0;
}
