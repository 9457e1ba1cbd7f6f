#include "almanac_file.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace zeph::monitor {
namespace {

constexpr int kHeaderLines = 5;
// A line is read into an 897-byte buffer: at most 896 characters, the line end among them. A
// longer line goes on as the next one, so a file of endless bytes without a line end is read
// a piece at a time and never held whole.
constexpr size_t kLineBuffer = 897;

bool readLine(std::istream& in, std::string& line) {
    line.clear();
    while (line.size() + 1 < kLineBuffer) {
        const int c = in.get();
        if (c == std::char_traits<char>::eof()) {
            break;
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return !line.empty();
}

bool skipHeader(std::istream& in) {
    std::string line;
    for (int i = 0; i < kHeaderLines; ++i) {
        if (!readLine(in, line)) {
            return false;
        }
    }
    return true;
}

// The first N values of a line as decimal integers (text that is no number reads as 0); none
// when the line has fewer.
template <size_t N> std::optional<std::array<long, N>> lineValues(std::string_view line) {
    // A line is text: it ends at a NUL byte as at its line end.
    line = line.substr(0, line.find('\0'));
    std::array<long, N> values{};
    size_t found = 0;
    size_t at = 0;
    while (found < N) {
        at = line.find_first_not_of(" \t,\r\n", at);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        const size_t end = line.find_first_of(" \t,\r\n", at);
        const std::string token(line.substr(at, end - at));
        values[found++] = std::strtol(token.c_str(), nullptr, 10);
        at = end;
    }
    return values;
}

// The words a message carries: each value cut to its 16 bits.
template <size_t N> std::array<uint16_t, N> words(const std::array<long, N>& values) {
    std::array<uint16_t, N> out{};
    std::transform(values.begin(), values.end(), out.begin(),
                   [](long v) { return static_cast<uint16_t>(v); });
    return out;
}

} // namespace

namespace {

void appendHeader(std::string& text, const char* what, std::time_t collectedUtc) {
    text += "//\n// ";
    text += what;
    text += " Collection Time(UTC): " + asctimeText(collectedUtc) + "//\n//\n//\n";
}

template <class Table>
std::string fileText(const Table& table, const char* what, bool signedWords,
                     std::time_t collectedUtc) {
    std::string text;
    appendHeader(text, what, collectedUtc);
    for (const auto& entry : table) {
        for (size_t k = 0; k < entry.size(); ++k) {
            if (k != 0) {
                text += ", ";
            }
            // Almanac words are printed as the signed values they hold.
            text += signedWords ? strprintf("%d", static_cast<int16_t>(entry[k]))
                                : strprintf("%u", unsigned{entry[k]});
        }
        text += '\n';
    }
    return text;
}

} // namespace

std::string asctimeText(std::time_t utc) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    gmtime_r(&utc, &tm);
    return strprintf("%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday], kMonths[tm.tm_mon],
                     tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
}

std::string almanacFileText(const AlmanacTable& table, std::time_t collectedUtc) {
    return fileText(table, "Almanac", true, collectedUtc);
}

std::string ephemerisFileText(const EphemerisTable& table, std::time_t collectedUtc) {
    return fileText(table, "Ephemeris", false, collectedUtc);
}

std::optional<std::array<uint16_t, 448>> loadAlmanacFile(std::istream& in) {
    if (!skipHeader(in)) {
        return std::nullopt;
    }
    std::array<uint16_t, 448> table{};
    std::string line;
    for (int sv = 0; sv < kFileSatellites; ++sv) {
        if (!readLine(in, line)) {
            return std::nullopt;
        }
        const auto values = lineValues<kAlmanacFileWords>(line);
        if (!values) {
            return std::nullopt;
        }
        const auto line16 = words(*values);
        std::copy(line16.begin(), line16.end(), table.begin() + sv * kAlmanacFileWords);
    }
    return table;
}

EphemerisFile loadEphemerisFile(std::istream& in) {
    EphemerisFile file;
    if (!skipHeader(in)) {
        file.formatError = true;
        return file;
    }
    std::string line;
    for (int n = 0; n < kFileSatellites; ++n) {
        if (!readLine(in, line)) {
            file.formatError = true;
            return file;
        }
        const auto values = lineValues<kEphemerisFileWords>(line);
        if (!values) {
            file.formatError = true;
            return file;
        }
        // The satellite number is judged as written, before it is cut to a word.
        if ((*values)[0] >= 1 && (*values)[0] <= 32) {
            file.satellites.push_back(words(*values));
        }
    }
    return file;
}

} // namespace zeph::monitor
