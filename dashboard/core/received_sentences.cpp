#include "dashboard/core/received_sentences.h"

#include "common/text/nmea_checksum.h"

namespace zeph::dashboard {

namespace {

// Longer than any sentence a receiver sends; a line past it is noise and not kept whole.
constexpr std::size_t kMaxLine = 200;
constexpr std::size_t kTalkerChars = 2;
constexpr std::size_t kTalkerAddressChars = 5;

} // namespace

void ReceivedSentences::feed(std::string_view text) {
    while (!text.empty()) {
        const std::size_t lineFeed = text.find('\n');
        const std::string_view piece = text.substr(0, lineFeed);
        if (partial_.size() <= kMaxLine) {
            partial_.append(piece.substr(0, kMaxLine + 1 - partial_.size()));
        }
        if (lineFeed == std::string_view::npos) {
            return;
        }
        line(partial_);
        partial_.clear();
        text.remove_prefix(lineFeed + 1);
    }
}

void ReceivedSentences::line(std::string_view text) {
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return;
    }
    const std::size_t star = text.rfind('*');
    const std::size_t comma = text.find(',');
    if (text.size() > kMaxLine || text.front() != '$' || star == std::string_view::npos ||
        star + 3 != text.size() || comma == std::string_view::npos || comma > star) {
        ++rejected_;
        return;
    }
    if (!nmeaChecksumMatches(text.substr(1))) {
        ++rejected_;
        return;
    }
    std::string_view address = text.substr(1, comma - 1);
    if (address.size() == kTalkerAddressChars) {
        address.remove_prefix(kTalkerChars);
    }
    ++byType_[std::string(address)];
    ++total_;
}

std::string ReceivedSentences::report() const {
    std::string text;
    for (const auto& [type, count] : byType_) {
        text += "Sentence " + type + ": " + std::to_string(count) + "\n";
    }
    text += "Rejected sentences: " + std::to_string(rejected_) + "\n";
    return text;
}

} // namespace zeph::dashboard
