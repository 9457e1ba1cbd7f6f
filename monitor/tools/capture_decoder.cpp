#include "capture_decoder.h"

#include "monitor/link/message_sink.h"
#include "monitor/link/playback_parser.h"
#include "monitor/link/stream_parser.h"
#include "monitor/messages/message_decoder.h"
#include "monitor/messages/message_renderer.h"

#include <charconv>
#include <memory>
#include <vector>

namespace zeph::monitor {
namespace {

constexpr size_t kLiveChunk = 4096; // what the serial service hands on at most per tick

// Stands in for the open log file: the link's notes and every selected message as rendered.
class LogText : public MonitorEvents, public MessageSink {
public:
    LogText(std::FILE* out, const MidSelection& selected) : out_(out), selected_(selected) {}

    void writeLog(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), out_);
    }

    void onMessage(const RxMessage* msg) override {
        if (msg == nullptr || !selected_[msg->mid] || !renderMessage(*msg, line_)) {
            return;
        }
        line_ += '\n';
        writeLog(line_);
    }

private:
    std::FILE* out_;
    const MidSelection& selected_;
    std::string line_;
};

bool parseNumber(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 255;
}

} // namespace

std::optional<MidSelection> parseMidList(std::string_view list) {
    if (list.empty()) {
        return std::nullopt;
    }
    MidSelection selected{};
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view item = list.substr(0, comma);
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        const size_t dash = item.find('-');
        int first = 0;
        int last = 0;
        if (!parseNumber(item.substr(0, dash), first) ||
            !parseNumber(dash == std::string_view::npos ? item.substr(0, dash)
                                                        : item.substr(dash + 1),
                         last) ||
            last < first) {
            return std::nullopt;
        }
        for (int mid = first; mid <= last; ++mid) {
            selected[static_cast<size_t>(mid)] = true;
        }
        if (comma != std::string_view::npos && list.empty()) {
            return std::nullopt; // a trailing comma
        }
    }
    return selected;
}

bool decodeCapture(std::FILE* in, std::FILE* out, const DecodeOptions& options,
                   Prompter& prompter) {
    ProgramState state;
    state.targetSwClass = options.targetSwClass;
    state.autoDetect = options.autoDetect;
    LogText log(out, options.selected);
    MessageDecoder decoder(state, log, prompter);
    auto msg = std::make_unique<RxMessage>();
    const ParserContext context{decoder, state, log, log};

    if (options.playback) {
        PlaybackParser parser(context, *msg);
        while (parser.readNext(in) != nullptr) {
        }
    } else {
        StreamParser parser(context, *msg);
        std::vector<uint8_t> chunk(kLiveChunk);
        size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
            parser.process(chunk.data(), n);
        }
    }
    return std::ferror(in) == 0;
}

} // namespace zeph::monitor
