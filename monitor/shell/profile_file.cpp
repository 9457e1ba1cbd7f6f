#include "monitor/shell/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

namespace zeph::monitor {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr long long kIntLimit = 1LL << 32;

std::string_view trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the file. `text` excludes the line end (LF or CR LF); `end` is the offset just past
// the line end, so the bytes between lines are never touched.
struct Line {
    enum class Kind { Other, Section, Key };
    size_t begin = 0;
    size_t end = 0;
    bool hasLineEnd = false;
    std::string_view text;
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

Line classify(std::string_view text) {
    Line line;
    line.text = text;
    const std::string_view body = trim(text);
    if (body.empty() || body.front() == ';') {
        return line;
    }
    if (body.front() == '[') {
        const size_t close = body.find(']');
        line.kind = Line::Kind::Section;
        line.name = trim(body.substr(1, close == std::string_view::npos ? close : close - 1));
        return line;
    }
    const size_t eq = body.find('=');
    if (eq != std::string_view::npos) {
        line.kind = Line::Kind::Key;
        line.name = trim(body.substr(0, eq));
        line.value = trim(body.substr(eq + 1));
    }
    return line;
}

// A line ends with LF, CR LF or CR alone. A UTF-8 byte-order mark before the first line is no
// part of it, and stays where it is.
std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    size_t pos = content.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (pos < content.size()) {
        const size_t stop = std::min(content.find_first_of("\r\n", pos), content.size());
        Line line = classify(content.substr(pos, stop - pos));
        line.begin = pos;
        line.hasLineEnd = stop < content.size();
        line.end = stop;
        if (line.hasLineEnd) {
            line.end += content.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
        }
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

// The line end of the lines a write adds: the file's own, as its first line ends (LF, CR LF or
// CR alone); LF in a file of one line or none.
std::string_view lineEndFor(std::string_view content) {
    const size_t stop = content.find_first_of("\r\n");
    if (stop == std::string_view::npos || content[stop] == '\n') {
        return "\n";
    }
    return content.compare(stop, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

// The lines of one section: [header, end) in `lines`.
struct SectionSpan {
    size_t header;
    size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Kind::Section && sameName(lines[i].name, section)) {
            size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != Line::Kind::Section) {
                ++end;
            }
            return SectionSpan{i, end};
        }
    }
    return std::nullopt;
}

const Line* findKey(const std::vector<Line>& lines, SectionSpan span, std::string_view key) {
    for (size_t i = span.header + 1; i < span.end; ++i) {
        if (lines[i].kind == Line::Kind::Key && sameName(lines[i].name, key)) {
            return &lines[i];
        }
    }
    return nullptr;
}

// The bytes from the descriptor's position to the end; nothing when a read fails.
std::optional<std::string> readRest(int fd) {
    std::string content;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            content.append(buf, static_cast<size_t>(n));
        } else if (n == 0) {
            return content;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

// The file's bytes; nothing when it cannot be read (a missing file reads as empty). Only a
// regular file is read, and opening never waits: a FIFO without a writer is no settings file.
std::optional<std::string> readAll(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    std::optional<std::string> content;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        content = readRest(fd);
    }
    ::close(fd);
    return content;
}

bool writeFully(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Rewrites an open file with `content` from the first byte that differs, as a profile write
// changes a value in place: the file keeps its links, its mode and its owner.
bool rewrite(int fd, std::string_view old, std::string_view content) {
    const size_t common = static_cast<size_t>(
        std::mismatch(old.begin(), old.end(), content.begin(), content.end()).first - old.begin());
    if (::lseek(fd, static_cast<off_t>(common), SEEK_SET) < 0 ||
        !writeFully(fd, content.substr(common))) {
        return false;
    }
    return content.size() >= old.size() || ::ftruncate(fd, static_cast<off_t>(content.size())) == 0;
}

// Opens the file for a rewrite, creating it when missing; only a regular file is rewritten.
int openForRewrite(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | flags, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

} // namespace

std::string ProfileFile::getString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
    const std::optional<std::string> content = readAll(path_);
    if (!content) {
        return std::string(fallback);
    }
    const std::vector<Line> lines = splitLines(*content);
    const std::optional<SectionSpan> span = findSection(lines, section);
    const Line* line = span ? findKey(lines, *span, key) : nullptr;
    if (line == nullptr) {
        return std::string(fallback);
    }
    std::string_view value = line->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

int ProfileFile::getInt(std::string_view section, std::string_view key, int fallback) const {
    const std::string text = getString(section, key, "");
    const char* p = text.c_str();
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return fallback;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = std::min(value * 10 + (*p - '0'), kIntLimit); // an absurd value must not overflow
    }
    return static_cast<int>(std::clamp(negative ? -value : value,
                                       static_cast<long long>(std::numeric_limits<int>::min()),
                                       static_cast<long long>(std::numeric_limits<int>::max())));
}

bool ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const int fd = openForRewrite(path_, O_CREAT);
    if (fd < 0) {
        return false;
    }
    const std::optional<std::string> old = readRest(fd);
    if (!old) {
        ::close(fd);
        return false;
    }
    const std::vector<Line> lines = splitLines(*old);
    const std::string_view eol = lineEndFor(*old);
    std::string content;
    const std::optional<SectionSpan> span = findSection(lines, section);
    if (!span) {
        content = *old;
        if (!lines.empty() && !lines.back().hasLineEnd) {
            content += eol;
        }
        content.append("[").append(section).append("]").append(eol);
        content.append(key).append("=").append(value).append(eol);
    } else if (const Line* line = findKey(lines, *span, key)) {
        // The key keeps the spelling the file gives it, and its line its own line end.
        content.append(*old, 0, line->begin);
        content.append(line->name).append("=").append(value);
        const size_t lineEnd = line->begin + line->text.size();
        content.append(
            line->hasLineEnd ? std::string_view(*old).substr(lineEnd, line->end - lineEnd) : eol);
        content.append(*old, line->end);
    } else {
        size_t last = span->header;
        for (size_t i = span->header + 1; i < span->end; ++i) {
            if (!trim(lines[i].text).empty()) {
                last = i;
            }
        }
        content.append(*old, 0, lines[last].end);
        if (!lines[last].hasLineEnd) {
            content += eol;
        }
        content.append(key).append("=").append(value).append(eol);
        content.append(*old, lines[last].end);
    }
    const bool written = rewrite(fd, *old, content);
    return ::close(fd) == 0 && written;
}

bool ProfileFile::writeInt(std::string_view section, std::string_view key, int value) {
    return writeString(section, key, std::to_string(value));
}

bool ProfileFile::readable() const {
    return readAll(path_).has_value();
}

bool ProfileFile::hasSection(std::string_view section) const {
    const std::optional<std::string> content = readAll(path_);
    return content && findSection(splitLines(*content), section).has_value();
}

bool ProfileFile::hasKey(std::string_view section, std::string_view key) const {
    const std::optional<std::string> content = readAll(path_);
    if (!content) {
        return false;
    }
    const std::vector<Line> lines = splitLines(*content);
    const std::optional<SectionSpan> span = findSection(lines, section);
    return span && findKey(lines, *span, key) != nullptr;
}

bool ProfileFile::clear() {
    const int fd = openForRewrite(path_, 0);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR; // no file there
    }
    const bool emptied = ::ftruncate(fd, 0) == 0;
    return ::close(fd) == 0 && emptied;
}

} // namespace zeph::monitor
