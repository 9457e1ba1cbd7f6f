#pragma once

// One data source per document: a receiver on a serial port, a binary capture file, a text
// (CSV) capture, or the generator of random test data.

#include "monitor/link/parser_context.h"
#include "monitor/sources/timer_service.h"

#include "common/clock/clock.h"
#include "common/prompt/prompter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zeph::monitor {

// The document side of a source beyond the message entry: what a serial source's replies and
// ticks reach.
class SourceOwner {
public:
    virtual ~SourceOwner() = default;
    virtual CurrentSettingsPolls& currentSettingsPolls() = 0;
    // One 50 ms tick of the serial service: the current-settings poll countdowns run here.
    virtual void serviceTick() {}
    // One second of the serial source: periodic re-initialisation runs here.
    virtual void secondTick() {}
    // Auto-detection got no software version in time: the user chooses (a modal dialog).
    virtual void showTargetSoftwareDialog() {}
    // MID 128, after the receiver acknowledged a baud change.
    virtual void sendInitialisation() {}
};

// What every source works with.
struct SourceContext {
    ParserContext parser; // decoder, program state, events and the feed's message entry
    SourceOwner& owner;
    TimerService& timers;
    Prompter& prompter;
    Clock& clock;
};

class DataSource : public TimerClient {
public:
    ~DataSource() override = default;

    // A non-empty name replaces the stored one. Returns false when the source cannot open.
    virtual bool open(const std::string& name);
    virtual void start() = 0;
    virtual void close() = 0;
    // The next message, or nullptr at the end of the data (or for a source that is pushed).
    virtual const RxMessage* readNext() { return nullptr; }
    virtual void restart() {}
    // Commands reach the receiver only through a serial source; the others ignore them.
    virtual void sendBinary(const uint8_t* /*payload*/, size_t /*length*/) {}
    virtual void sendNmea(std::string_view /*body*/) {}
    // Bytes as they are, at once: no frame, no staging.
    virtual void writeRaw(const uint8_t* /*bytes*/, size_t /*length*/) {}
    virtual bool isSerial() const { return false; }
    // True once a capture has been played to its end (a serial source never ends).
    virtual bool finished() const { return false; }

    // True once the source stopped on an error it reported (a capture it could not read to its
    // end); a run without a window then ends with a failure status.
    bool failed() const { return failed_; }

    const std::string& name() const { return name_; }
    bool isOpen() const { return open_; }
    RxMessage& message() { return *message_; }
    void onTimer(int /*clientId*/) override {}

protected:
    DataSource(const SourceContext& ctx, std::string name)
        : ctx_(ctx), name_(std::move(name)), message_(std::make_unique<RxMessage>()) {}

    SourceContext ctx_;
    std::string name_;
    bool open_ = false;
    bool failed_ = false;
    std::unique_ptr<RxMessage> message_;
};

inline bool DataSource::open(const std::string& name) {
    if (!name.empty()) {
        name_ = name;
    }
    open_ = true;
    return true;
}

} // namespace zeph::monitor
