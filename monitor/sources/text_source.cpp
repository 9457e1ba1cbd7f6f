#include "monitor/sources/text_source.h"

#include "monitor/messages/message_records.h"

#include "common/text/strprintf.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace zeph::monitor {
namespace {

constexpr size_t kMaxLine = 2047;
constexpr size_t kTruePositionItems = 7;

std::vector<std::string> splitItems(const std::string& line) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        items.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) {
            return items;
        }
        start = comma + 1;
    }
}

long hexItem(const std::string& item) {
    return std::strtol(item.c_str(), nullptr, 16);
}

// Reads one line of at most kMaxLine characters; false at the end of the file. Zero bytes are
// kept, so that a file of them reads as invalid data instead of endless empty lines.
bool readLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while (line.size() < kMaxLine && c != '\n' && (c = std::getc(file)) != EOF) {
        line.push_back(static_cast<char>(c));
    }
    if (line.empty()) {
        return false;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return true;
}

void setTimeTag(RxMessage& msg) {
    if (msg.mid == 1 || msg.mid == 2) {
        const auto nav = msg.as<NavRecord>();
        msg.timeTag = TimeTag{nav.week, nav.tow};
    } else if (msg.mid == 3 || msg.mid == 4) {
        const auto track = msg.as<TrackRecord>();
        msg.timeTag = TimeTag{track.week, track.tow};
    }
}

// A number truncated into the range of T from 0 to its largest value; no number gives 0.
template <class T> T clampedTo(double v) {
    if (!(v > 0)) {
        return 0;
    }
    if (v >= static_cast<double>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(v);
}

} // namespace

TimeTag truePositionTime(TimeTag base, double seconds) {
    double tow = base.tow + (std::isnan(seconds) ? 0.0 : seconds) * 100.0;
    TimeTag time{base.week, 0};
    if (tow > TextSource::kWeekHundredths) {
        ++time.week;
        tow -= TextSource::kWeekHundredths;
    }
    time.tow = clampedTo<uint32_t>(tow);
    return time;
}

int pacingDelayMs(TimeTag last, TimeTag next) {
    last.week = last.week != 0 ? last.week : next.week;
    last.tow = last.tow != 0 ? last.tow : next.tow;
    const double delayMs =
        10.0 * (next.tow + (next.week - last.week) * TextSource::kWeekHundredths - last.tow);
    return clampedTo<int>(delayMs);
}

TextSource::TextSource(const SourceContext& ctx, const std::string& fileName)
    : CaptureSource(ctx, fileName), next_(std::make_unique<RxMessage>()) {}

bool TextSource::open(const std::string& name) {
    if (!openFile(name, "r")) {
        ctx_.prompter.tell(strprintf("Source file could not be opened: %s", name_.c_str()));
    }
    return open_;
}

void TextSource::start() {
    if (readNext() == nullptr) {
        ctx_.prompter.tell("Error: Could not read from file.");
        close();
        finished_ = true;
        failed_ = true;
        return;
    }
    *message_ = *next_;
    onTimer(kPacingTimerId);
}

const RxMessage* TextSource::readNext() {
    std::string line;
    while (file_ != nullptr && readLine(file_, line)) {
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (!parseLine(line, *next_)) {
            failed_ = true; // the line's error has been shown
            return nullptr;
        }
        return next_.get();
    }
    failed_ = failed_ || (file_ != nullptr && std::ferror(file_) != 0);
    return nullptr;
}

bool TextSource::parseLine(const std::string& line, RxMessage& msg) {
    const std::vector<std::string> items = splitItems(line);
    msg = RxMessage{};
    if (items.size() == kTruePositionItems) {
        // Seconds from the base time, ECEF metres and velocities in m/s.
        NavRecord nav{};
        nav.mid = 1;
        const TimeTag time =
            truePositionTime(TimeTag{baseWeek_, baseTow_}, std::strtod(items[0].c_str(), nullptr));
        nav.week = time.week;
        nav.tow = time.tow;
        for (int i = 0; i < 3; ++i) {
            nav.ecef[i] = static_cast<int32_t>(std::strtol(items[1 + i].c_str(), nullptr, 10));
            // In 1/8 m/s, wrapping as the 16-bit field does, however large the number.
            const auto eighths =
                static_cast<unsigned long>(std::strtol(items[4 + i].c_str(), nullptr, 10)) * 8u;
            nav.velocity[i] = static_cast<int16_t>(static_cast<uint16_t>(eighths));
        }
        msg.mid = 1;
        std::memcpy(msg.record.data(), &nav, sizeof nav);
        msg.recordLength = sizeof nav;
    } else if (items.size() < 2) {
        ctx_.prompter.tell("Invalid data encountered.");
        return false;
    } else if (static_cast<long>(items.size() - 1 + 3) != hexItem(items[0])) {
        ctx_.prompter.tell("Item counts not equal.");
        return false;
    } else {
        // The MID and its bytes as they stand, into the tracker or the navigation record;
        // bytes beyond that record are left out.
        msg.mid = static_cast<uint8_t>(hexItem(items[1]));
        const size_t room = msg.mid == 3 || msg.mid == 4 ? sizeof(TrackRecord) : sizeof(NavRecord);
        for (size_t i = 1; i < items.size() && i - 1 < room; ++i) {
            msg.record[i - 1] = static_cast<uint8_t>(hexItem(items[i]));
        }
        msg.recordLength = room;
    }
    setTimeTag(msg);
    return true;
}

// Pacing: each message is handed on, then the next is read and timed from the time tags.
void TextSource::onTimer(int /*clientId*/) {
    stopPacing();
    ctx_.parser.sink.onMessage(message_.get());
    const TimeTag last = message_->timeTag.value_or(TimeTag{});

    if (readNext() == nullptr) {
        endOfData();
        return;
    }
    *message_ = *next_;
    const int delayMs = message_->timeTag ? pacingDelayMs(last, *message_->timeTag) : 0;
    timer_ = ctx_.timers.registerTimer(kPacingTimerId, *this, delayMs);
}

void TextSource::endOfData() {
    close();
    finished_ = true;
    ctx_.parser.sink.onMessage(nullptr);
}

} // namespace zeph::monitor
