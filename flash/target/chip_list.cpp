#include "chip_list.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zeph::flashsim {
namespace {

constexpr size_t kMaxLine = 254;

// A C integer literal (decimal, 0x hex, leading-0 octal) that fills all of `text`.
std::optional<uint64_t> cNumber(const std::string& text) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

// "count*size+count*size..." into groups; false when a term is malformed.
bool parseLayout(const std::string& text, std::vector<SectorGroup>& groups) {
    std::stringstream terms(text);
    std::string term;
    while (std::getline(terms, term, '+')) {
        const size_t star = term.find('*');
        if (star == std::string::npos) {
            return false;
        }
        const auto count = cNumber(term.substr(0, star));
        const auto size = cNumber(term.substr(star + 1));
        if (!count || !size || *count == 0 || *size == 0 || *count > 0xFFFF || *size > 0x1000000) {
            return false;
        }
        groups.push_back({static_cast<uint32_t>(*count), static_cast<uint32_t>(*size)});
    }
    return !groups.empty();
}

// One line that is not blank or a comment; the error text on failure.
std::string parseEntry(const std::string& line, ChipEntry& chip) {
    std::istringstream fields(line);
    std::string deviceId, manufacturerId, sizeAndLayout, flag;
    if (!(fields >> chip.deviceName >> chip.manufacturerName >> deviceId >> manufacturerId >>
          sizeAndLayout >> chip.phase2File)) {
        return "missing field";
    }
    if (chip.deviceName.size() > kMaxChipName || chip.manufacturerName.size() > kMaxChipName ||
        chip.phase2File.size() > kMaxChipName) {
        return "name longer than 39 characters";
    }
    const auto device = cNumber(deviceId);
    const auto maker = cNumber(manufacturerId);
    if (!device || !maker || *device > 0xFFFF || *maker > 0xFFFF) {
        return "bad device or manufacturer id";
    }
    chip.deviceId = static_cast<uint16_t>(*device);
    chip.manufacturerId = static_cast<uint16_t>(*maker);
    const size_t open = sizeAndLayout.find('(');
    const size_t close = sizeAndLayout.find(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return "chip size without a sector layout";
    }
    const auto size = cNumber(sizeAndLayout.substr(0, open));
    if (!size || *size == 0 || *size > 0x10000000) {
        return "bad chip size";
    }
    chip.chipSize = static_cast<uint32_t>(*size);
    if (!parseLayout(sizeAndLayout.substr(open + 1, close - open - 1), chip.sectorGroups)) {
        return "bad sector layout";
    }
    uint64_t total = 0;
    for (const SectorGroup& group : chip.sectorGroups) {
        total += static_cast<uint64_t>(group.count) * group.size;
    }
    if (total != chip.chipSize) {
        return "sector layout does not add up to the chip size";
    }
    if (fields >> flag) {
        if (flag.find("SOFT_LOCK_UNLOCK") != std::string::npos) {
            chip.softLockUnlock = true;
        } else if (flag.find("NO_ERROR_BITS") != std::string::npos) {
            chip.noErrorBits = true;
        } else {
            return "unknown flag " + flag;
        }
    }
    return {};
}

} // namespace

ChipListResult parseChipList(const std::string& text) {
    ChipListResult result;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (line.size() > kMaxLine) {
            line.resize(kMaxLine);
        }
        std::istringstream first(line);
        std::string token;
        if (!(first >> token) || token[0] == ';') {
            continue;
        }
        ChipEntry chip;
        const std::string error = parseEntry(line, chip);
        if (!error.empty()) {
            result.chips.clear();
            result.error = "line " + std::to_string(number) + ": " + error;
            return result;
        }
        result.chips.push_back(std::move(chip));
    }
    if (result.chips.empty()) {
        result.error = "no chips listed";
    }
    return result;
}

ChipListResult readChipList(const std::string& path) {
    // Looked at without blocking first: a FIFO would hold the open, a device never ends.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        struct stat st {};
        const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ::close(fd);
        if (!regular) {
            return {{}, "cannot open " + path + ": not a regular file"};
        }
    }
    std::ifstream file(path);
    if (!file) {
        return {{}, "cannot open " + path};
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseChipList(text.str());
}

const ChipEntry* findChip(const std::vector<ChipEntry>& chips, const std::string& deviceName) {
    for (const ChipEntry& chip : chips) {
        if (chip.deviceName == deviceName) {
            return &chip;
        }
    }
    return nullptr;
}

} // namespace zeph::flashsim
