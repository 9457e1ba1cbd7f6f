#include "capture_decoder.h"

#include "monitor/link/message_sink.h"
#include "monitor/link/playback_parser.h"
#include "monitor/link/send.h"
#include "monitor/link/stream_parser.h"
#include "monitor/messages/message_decoder.h"
#include "monitor/messages/message_renderer.h"

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

// Stands in for a form view: after each message it handles, every field as the view shows it.
class FormText : public MonitorEvents, public MessageSink {
public:
    FormText(std::FILE* out, FormView view) : out_(out), form_(makeFormTexts(view)) {}

    void onMessage(const RxMessage* msg) override {
        if (msg == nullptr || !form_->update(*msg)) {
            return;
        }
        block_.clear();
        for (const std::string& text : form_->texts()) {
            block_ += shownText(text);
            block_ += '\n';
        }
        block_ += '\n';
        std::fwrite(block_.data(), 1, block_.size(), out_);
    }

private:
    std::FILE* out_;
    std::unique_ptr<FormTexts> form_;
    std::string block_;
};

// A capture has no port: what the parser sends on its own (the software-version poll of an
// unknown receiver) is only logged, as the serial port logs every write.
class LoggedSender : public CommandSender {
public:
    explicit LoggedSender(MonitorEvents& log) : log_(log) {}
    void sendBinary(const uint8_t* payload, size_t length) override {
        uint8_t frame[kMaxSendPayload + kFrameOverhead];
        const size_t n = buildFrame(payload, length, frame, sizeof frame);
        log_.writeLog(txLogLine(frame, n));
    }

private:
    MonitorEvents& log_;
};

} // namespace

namespace {

bool decodeWith(std::FILE* in, const DecodeOptions& options, Prompter& prompter,
                MonitorEvents& events, MessageSink& sink) {
    ProgramState state;
    state.targetSwClass = options.targetSwClass;
    state.autoDetect = options.autoDetect;
    MessageDecoder decoder(state, events, prompter);
    auto msg = std::make_unique<RxMessage>();
    const ParserContext context{decoder, state, events, sink};

    if (options.playback) {
        PlaybackParser parser(context, *msg);
        while (parser.readNext(in) != nullptr) {
        }
    } else {
        LoggedSender sender(events);
        StreamParser parser(context, *msg, nullptr, &sender);
        std::vector<uint8_t> chunk(kLiveChunk);
        size_t n;
        while ((n = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
            parser.process(chunk.data(), n);
        }
    }
    return std::ferror(in) == 0;
}

} // namespace

bool decodeCapture(std::FILE* in, std::FILE* out, const DecodeOptions& options,
                   Prompter& prompter) {
    if (options.view) {
        FormText form(out, *options.view);
        return decodeWith(in, options, prompter, form, form);
    }
    LogText log(out, options.selected);
    return decodeWith(in, options, prompter, log, log);
}

} // namespace zeph::monitor
