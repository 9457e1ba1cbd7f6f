#include "monitor/shell/feed.h"

#include "common/text/strprintf.h"
#include "monitor/shell/capture_file.h"

#include "monitor/sources/file_source.h"
#include "monitor/sources/random_source.h"
#include "monitor/sources/serial_source.h"
#include "monitor/sources/text_source.h"

namespace zeph::monitor {

Feed::Feed(const FeedContext& ctx, FeedListener& listener)
    : ctx_(ctx), listener_(listener), last_(std::make_unique<RxMessage>()) {}

Feed::~Feed() {
    closeSource();
}

std::unique_ptr<DataSource> Feed::makeSource(const DataSourceSettings& s) {
    const SourceContext sc{{ctx_.decoder, ctx_.state, ctx_.events, *this},
                           *this,
                           ctx_.timers,
                           ctx_.prompter,
                           ctx_.clock};
    switch (s.src) {
    case 0:
        return std::make_unique<SerialSource>(sc, s.serPort, s.serBaud, s.serDbit, s.serPar,
                                              s.serSbit);
    case 1:
        if (!opensAsCapture(s.fileName)) {
            // As the sources treat a file that cannot be opened.
            if (s.fileType == "CSV") {
                ctx_.prompter.tell(
                    strprintf("Source file could not be opened: %s", s.fileName.c_str()));
            }
            return nullptr;
        }
        if (s.fileType == "CSV") {
            return std::make_unique<TextSource>(sc, s.fileName);
        }
        return std::make_unique<FileSource>(sc, s.fileName);
    case 2:
        return std::make_unique<RandomSource>(sc);
    default:
        ctx_.prompter.tell("Error: for measured data, check either file or serial",
                           Prompter::Icon::Warning);
        return nullptr;
    }
}

bool Feed::openSource(const DataSourceSettings& settings) {
    closeSource();
    std::unique_ptr<DataSource> source = makeSource(settings);
    if (source == nullptr || !source->open("")) {
        return false;
    }
    source_ = std::move(source);
    source_->start();
    return true;
}

void Feed::closeSource() {
    if (source_ != nullptr) {
        source_->close();
        source_.reset();
    }
}

void Feed::sendBinary(const uint8_t* payload, size_t length) {
    if (source_ != nullptr) {
        source_->sendBinary(payload, length);
    }
}

void Feed::sendNmea(std::string_view body) {
    if (source_ != nullptr) {
        source_->sendNmea(body);
    }
}

void Feed::onMessage(const RxMessage* msg) {
    if (msg == nullptr) {
        listener_.endOfData();
        return;
    }
    *last_ = *msg;
    ctx_.log.logMessage(*last_);
    if (!paused_) {
        listener_.updateViews(kHintNewMessage, last_.get());
    }
}

void Feed::serviceTick() {
    for (const CurrentSettingsPolls::DialogToOpen& dialog : polls_.tick()) {
        listener_.openPolledDialog(dialog);
    }
}

} // namespace zeph::monitor
