#include "monitor/shell/feed.h"

#include "common/text/strprintf.h"
#include "monitor/commands/command_builders.h"
#include "monitor/shell/capture_file.h"

#include "monitor/sources/file_source.h"
#include "monitor/sources/random_source.h"
#include "monitor/sources/serial_source.h"
#include "monitor/sources/text_source.h"

#include <chrono>
#include <cstdlib>

namespace zeph::monitor {

// The line sequences' view of the feed: its saved settings, its source and its sends.
class Feed::Line : public LineControl {
public:
    explicit Line(Feed& feed) : feed_(feed) {}

    DataSourceSettings savedLine() const override {
        DataSourceSettings s;
        if (feed_.ctx_.profile != nullptr) {
            s.load(*feed_.ctx_.profile);
        }
        return s;
    }
    ReceiverInitSettings savedInit() const override {
        ReceiverInitSettings s;
        if (feed_.ctx_.profile != nullptr) {
            s.load(*feed_.ctx_.profile);
        }
        return s;
    }
    void saveLine(const DataSourceSettings& settings) override {
        if (feed_.ctx_.profile != nullptr) {
            settings.save(*feed_.ctx_.profile);
        }
    }
    void closeSource() override { feed_.closeSource(); }
    bool openSource() override {
        const bool opened = feed_.openSource(savedLine());
        feed_.listener_.sourceReopened(opened);
        return opened;
    }
    void sendSetSerialPort(uint8_t mid, const LineValues& line) override;
    void sendNmeaMode(const NmeaModeValues& values) override;
    void sendUartConfiguration(const UartConfigRecord& record) override;
    void sendInitialisationMessage(const ReceiverInitSettings& init) override;
    void sendNmea(std::string_view body) override { feed_.sendNmea(body); }
    void writeLog(std::string_view text) override { feed_.ctx_.events.writeLog(text); }

private:
    void send(const std::vector<uint8_t>& payload) {
        feed_.sendBinary(payload.data(), payload.size());
    }

    Feed& feed_;
};

void Feed::Line::sendSetSerialPort(uint8_t mid, const LineValues& line) {
    send(setSerialPortPayload(mid, line.baud, line.dataBits, line.stopBits, line.parity));
}

// The dialog refused a rate the command cannot carry; nothing else reaches here.
void Feed::Line::sendNmeaMode(const NmeaModeValues& values) {
    if (const auto payload = nmeaModePayload(values.rates, values.checksums, values.baud)) {
        send(*payload);
    }
}

void Feed::Line::sendUartConfiguration(const UartConfigRecord& record) {
    send(uartConfigPayload(record));
}

// Week and time of week come from the PC's UTC clock when the settings say so; an offset the
// time cannot take is told, and week and time go out as 0.
void Feed::Line::sendInitialisationMessage(const ReceiverInitSettings& init) {
    const auto number = [](const std::string& text) {
        return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
    };
    InitSettings s;
    s.x = number(init.posX);
    s.y = number(init.posY);
    s.z = number(init.posZ);
    s.clockOffset = number(init.clkOffset);
    s.usePcTime = init.usePcTime != 0;
    s.utcOffset = static_cast<unsigned>(init.utcOffset);
    s.week = static_cast<uint16_t>(init.wk);
    s.tow = static_cast<uint32_t>(std::strtoul(init.tow.c_str(), nullptr, 10));
    s.channels = static_cast<uint8_t>(init.chnlCnt);
    s.resetConfig = static_cast<uint8_t>(init.cfgBits);
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    const InitMessage message = navigationInitPayload(s, utcTimeFromUnixMs(sinceEpoch.count()));
    if (message.warning) {
        feed_.ctx_.prompter.tell(*message.warning);
    }
    send(message.payload);
}

Feed::Feed(const FeedContext& ctx, FeedListener& listener)
    : ctx_(ctx), listener_(listener), last_(std::make_unique<RxMessage>()),
      line_(std::make_unique<Line>(*this)), lines_(*line_, ctx.state, ctx.clock) {}

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

void Feed::writeRaw(const uint8_t* bytes, size_t length) {
    if (source_ != nullptr) {
        source_->writeRaw(bytes, length);
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

LineSwitching* Feed::lines() {
    return source_ != nullptr && source_->isSerial() ? &lines_ : nullptr;
}

void Feed::secondTick() {
    lines_.secondTick();
}

void Feed::sendInitialisation() {
    lines_.sendInitialisation();
}

void Feed::serviceTick() {
    for (const CurrentSettingsPolls::DialogToOpen& dialog : polls_.tick()) {
        listener_.openPolledDialog(dialog);
    }
}

} // namespace zeph::monitor
