#include "dashboard/core/gsv_set.h"

#include "dashboard/core/nmea_text.h"

#include <algorithm>

namespace zeph::dashboard {

namespace {

constexpr std::string_view kGsvName = "$GPGSV";

void storeSat(SatTable& satInfo, int row, int column, std::string_view field) {
    if (row >= kSatRows || column >= kSatColumns) {
        return;
    }
    if (const auto value = toInt16(field)) {
        satInfo[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = *value;
    }
}

} // namespace

// $GPGSV,3,1,11,02,45,040,39,05,63,110,42,07,80,200,46,09,87,300,47*79
GsvHeader GSVheader(std::string_view line) {
    GsvHeader header;
    std::string s(line);
    skipField(s, 2);
    if (const auto number = cutField(s)) {
        header.number = toInt16(*number);
    }
    s = line;
    skipField(s, 1);
    if (const auto total = cutField(s)) {
        header.total = toInt16(*total);
    }
    return header;
}

void GsvCollector::feed(std::string_view text) {
    while (!text.empty()) {
        const std::size_t lineFeed = text.find('\n');
        if (lineFeed == std::string_view::npos) {
            partial_.append(text);
            if (partial_.size() > kMaxGsvLine) {
                partial_.clear();
            }
            return;
        }
        if (partial_.empty()) {
            line(text.substr(0, lineFeed));
        } else {
            partial_.append(text.substr(0, lineFeed));
            line(partial_);
            partial_.clear();
        }
        text.remove_prefix(lineFeed + 1);
    }
}

void GsvCollector::line(std::string_view text) {
    const std::size_t at = text.find(kGsvName);
    if (at == std::string_view::npos || text.size() > kMaxGsvLine) {
        return;
    }
    text.remove_prefix(at);
    const std::size_t cr = text.find('\r');
    const std::string_view sentence = cr == std::string_view::npos ? text : text.substr(0, cr + 1);
    const GsvHeader header = GSVheader(sentence);
    if (!header.number || !header.total || *header.total < 1) {
        counters_.GsvCount = 0;
        return;
    }
    counters_.GsvNumber = *header.number;
    if (*header.number == 1) {
        counters_.GsvCount = 0;
        building_ = {};
        building_.total = *header.total;
    } else if (*header.number != counters_.GsvCount + 1 || *header.total != building_.total) {
        counters_.GsvCount = 0; // a message went missing: wait for the next set
        return;
    }
    if (counters_.GsvCount < kMaxGsvMessages) {
        building_.lines[static_cast<std::size_t>(counters_.GsvCount)] = std::string(sentence);
    }
    ++counters_.GsvCount;
    if (counters_.GsvCount == building_.total) {
        counters_.GsvTotal = building_.total;
        counters_.GsvCount = 0;
        ready_ = building_;
    }
}

std::optional<GsvSet> GsvCollector::take() {
    std::optional<GsvSet> set;
    set.swap(ready_);
    return set;
}

void decodeGsvSet(std::span<const std::string> slots, int16_t messages, SatTable& satInfo,
                  int16_t& satsInView) {
    for (auto& row : satInfo) {
        row.fill(0);
    }
    int row = 0;
    const int count = std::min<int>(messages, static_cast<int>(slots.size()));
    for (int m = 0; m < count; ++m) {
        std::string t = slots[static_cast<std::size_t>(m)];
        skipField(t, 3);
        if (const auto inView = cutField(t)) {
            if (const auto n = toInt16(*inView)) {
                satsInView = *n;
            }
        }
        skipField(t);
        const std::size_t star = t.find('*');
        if (star != std::string::npos) {
            t.erase(star);
        }
        while (t.find(',') != std::string::npos) {
            for (int column = 0; column < kSatColumns; ++column) {
                if (const auto field = cutField(t)) {
                    storeSat(satInfo, row, column, *field);
                }
                skipField(t);
                if (t.find(',') == std::string::npos) {
                    storeSat(satInfo, row, column + 1, t);
                    break;
                }
            }
            ++row;
        }
    }
}

} // namespace zeph::dashboard
