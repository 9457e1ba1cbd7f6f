#include "flash/frontend/core/front_options.h"

#include "common/text/strprintf.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <strings.h>

namespace zeph::burnfront {

namespace {

constexpr const char* kRates[] = {"307200", "230400", "115200", "57600", "38400"};

bool sameOption(const std::string& word, const char* name) {
    return strcasecmp(word.c_str(), name) == 0;
}

bool allDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

FrontOptionsResult refuse(std::string text) {
    return {std::nullopt, std::move(text)};
}

// What one value-taking option makes of its value; false refuses it with `refusal`.
struct ValueOption {
    const char* name;
    const char* refusal;
    bool (*apply)(FrontOptions&, const std::string&);
};

std::optional<int> inRange(const std::string& text, long long low, long long high) {
    const auto v = parseInteger(text);
    if (!v || *v < low || *v > high) {
        return std::nullopt;
    }
    return static_cast<int>(*v);
}

const ValueOption kValueOptions[] = {
    {"-l", "Line %s not recognized!\nProgram will terminate.",
     [](FrontOptions& o, const std::string& v) {
         if (!allDigits(v) || v.size() > 3) {
             return false;
         }
         const int n = std::atoi(v.c_str());
         o.line = n;
         return n >= 1 && n <= kMaxLine;
     }},
    {"-b", "Speed %s not recognized!\nProgram will terminate.",
     [](FrontOptions& o, const std::string& v) {
         for (const char* rate : kRates) {
             if (v == rate) {
                 o.baudRate = v;
                 return true;
             }
         }
         return false;
     }},
    {"-o", "Chip offset %s not recognized!\nProgram will terminate.",
     [](FrontOptions& o, const std::string& v) {
         o.chipOffset = v;
         return parseInteger(v).has_value();
     }},
    {"-c", "Chip select %s not recognized!\nProgram will terminate.\n",
     [](FrontOptions& o, const std::string& v) {
         const auto n = inRange(v, 0, 7);
         o.chipSelect = n.value_or(0);
         return n.has_value();
     }},
    {"-f", "From address %s is not recognized!\nProgram will terminate.",
     [](FrontOptions& o, const std::string& v) {
         o.fromAddress = v;
         return parseInteger(v).has_value();
     }},
    {"-t", "To address %s is not recognized!\nProgram will terminate.",
     [](FrontOptions& o, const std::string& v) {
         o.toAddress = v;
         return parseInteger(v).has_value();
     }},
    {"-cm", "Compression method %s is not recognized\n",
     [](FrontOptions& o, const std::string& v) {
         const auto n = inRange(v, 0, 2);
         o.compression = n.value_or(2);
         return n.has_value();
     }},
    {"-pcs", "Processor clock source %s is not recognized\n",
     [](FrontOptions& o, const std::string& v) {
         o.clockAcq = v == "acq";
         return v == "gps" || v == "acq";
     }},
    {"-pcd", "Processor clock divider %s is not recognized\n",
     [](FrontOptions& o, const std::string& v) {
         const auto n = inRange(v, 1, 4);
         o.clockDivider = n.value_or(2);
         return n && *n != 3;
     }},
};

} // namespace

std::optional<long long> parseInteger(std::string_view text) {
    const std::string s(text);
    if (s.empty() || s[0] == ' ' || s[0] == '\t' || s[0] == '+') {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 0);
    if (errno != 0 || end == s.c_str() || *end != '\0' || v < INT32_MIN ||
        v > static_cast<long long>(UINT32_MAX)) {
        return std::nullopt;
    }
    return v;
}

std::optional<std::vector<std::string>> splitInvocationLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool inSingle = false;
    bool inDouble = false;
    for (char c : line) {
        // Inside quotes of one kind a quote of the other kind is a plain character.
        if (c == '\'' && !inDouble) {
            inSingle = !inSingle;
            inWord = true;
        } else if (c == '"' && !inSingle) {
            inDouble = !inDouble;
            inWord = true;
        } else if (c == ' ' && !inSingle && !inDouble) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inSingle || inDouble) {
        return std::nullopt;
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::string invocationLine(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) {
            line += ' ';
        }
        if (word.empty() || word.find(' ') != std::string::npos) {
            const char quote = word.find('"') == std::string::npos ? '"' : '\'';
            line += quote + word + quote;
        } else {
            line += word;
        }
    }
    return line;
}

FrontOptionsResult parseFrontOptions(const std::vector<std::string>& words) {
    FrontOptions o;
    bool haveFile = false;
    bool update = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.empty() || word[0] != '-') {
            if (haveFile) {
                return refuse("Multiple files specified!\nProgram will terminate.");
            }
            o.dataFile = word;
            haveFile = true;
            continue;
        }
        if (sameOption(word, "-e")) {
            o.erase = EraseMode::WholeChip;
        } else if (sameOption(word, "-u")) {
            update = true;
        } else if (sameOption(word, "-r")) {
            o.read = true;
        } else if (sameOption(word, "-ae")) {
            o.autoExecute = true;
        } else if (sameOption(word, "-ax")) {
            o.autoExit = true;
        } else if (sameOption(word, "-sr")) {
            o.saveResult = true;
        } else {
            const ValueOption* option = nullptr;
            for (const ValueOption& candidate : kValueOptions) {
                if (sameOption(word, candidate.name)) {
                    option = &candidate;
                }
            }
            if (option == nullptr) {
                return refuse(
                    strprintf("Option %s not recognized!\nProgram will terminate.", word.c_str()));
            }
            if (i + 1 >= words.size()) {
                return refuse(
                    strprintf("Option %s needs a value!\nProgram will terminate.", word.c_str()));
            }
            const std::string& value = words[++i];
            if (!option->apply(o, value)) {
                return refuse(strprintf(option->refusal, value.c_str()));
            }
        }
    }
    // -e wins over -u whatever their order.
    if (update && o.erase != EraseMode::WholeChip) {
        o.erase = EraseMode::Update;
    }
    return {o, {}};
}

FrontOptionsResult parseInvocation(const std::vector<std::string>& argvWords) {
    const auto words = splitInvocationLine(invocationLine(argvWords));
    if (!words) {
        return refuse(kInvocationError);
    }
    return parseFrontOptions(*words);
}

std::string helpText() {
    std::string text = strprintf("ZephBurn, Version %s\n\n", kFrontVersion);
    text += "Programs or reads the flash behind the receiver's Vireo chip by running\n"
            "ZephBurnCL from ZephBurn's own folder and showing its progress.\n\n"
            "Usage: ZephBurn [<filename>] [<option>...]\n"
            "    -l N   - preselect line COMn, N = 1..32\n"
            "    -b N   - preselect the baud rate (38400 .. 307200)\n"
            "    -c N   - preselect chip select CSN0 .. CSN7\n"
            "    -o N   - chip offset\n"
            "    -e     - erase the whole chip (wins over -u)\n"
            "    -u     - update sectors\n"
            "    -r     - read flash, from -f N to -t N\n"
            "    -ae    - execute at once\n"
            "    -ax    - exit after the run with ZephBurnCL's status\n"
            "    -sr    - save the result in RESCOMn beside ZephBurnCL;\n"
            "             with -ax no error boxes are shown\n"
            "    -cm N  - transfer compression: 0 none, 1 Huffman, 2 LZSS (default)\n"
            "    -pcs S - processor clock source: gps (default) or acq\n"
            "    -pcd N - processor clock divider: 1, 2 (default) or 4\n\n"
            "Line n is the device named by ZEPH_COMn, else /dev/ttyS<n-1>.\n";
    return text;
}

UnattendedRefusal unattendedRefusal(const std::vector<std::string>& words) {
    UnattendedRefusal r;
    bool autoExit = false;
    bool saveResult = false;
    for (size_t i = 0; i < words.size(); ++i) {
        autoExit = autoExit || sameOption(words[i], "-ax");
        saveResult = saveResult || sameOption(words[i], "-sr");
        if (sameOption(words[i], "-l") && i + 1 < words.size()) {
            const auto line = parseInteger(words[i + 1]);
            r.line = line && *line >= 1 && *line <= 32 ? static_cast<int>(*line) : 1;
        }
    }
    r.silent = autoExit && saveResult;
    return r;
}

} // namespace zeph::burnfront
