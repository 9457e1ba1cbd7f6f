#include "monitor/sources/serial_source.h"

#include "monitor/link/send.h"

#include <utility>

namespace zeph::monitor {

SerialSource::SerialSource(const SourceContext& ctx, std::string port, std::string baud,
                           std::string dataBits, std::string parity, std::string stopBits)
    : DataSource(ctx, std::move(port)),
      port_(ctx.timers, ctx.clock, ctx.parser.state, ctx.parser.events),
      parser_(ctx.parser, message(), this, this), baud_(std::move(baud)),
      dataBits_(std::move(dataBits)), parity_(std::move(parity)), stopBits_(std::move(stopBits)) {}

SerialSource::~SerialSource() {
    close();
}

bool SerialSource::open(const std::string& name) {
    if (open_) {
        close();
    }
    if (!name.empty()) {
        name_ = name;
    }
    const std::string error = port_.open(*this, name_, baud_, dataBits_, parity_, stopBits_);
    if (!error.empty()) {
        ctx_.prompter.tell(error);
        return false;
    }
    noAnswerSeconds_ = 0;
    secondTimer_ = ctx_.timers.registerTimer(kSerialSecondTimerId, *this, kSecondPeriodMs);
    parser_.reset();
    open_ = true;
    return true;
}

void SerialSource::start() {
    parser_.reset();
}

void SerialSource::close() {
    if (secondTimer_ != 0) {
        ctx_.timers.killTimer(secondTimer_);
        secondTimer_ = 0;
    }
    port_.close();
    open_ = false;
}

void SerialSource::reset() {
    parser_.reset();
    port_.discardReceived();
}

void SerialSource::sendBinary(const uint8_t* payload, size_t length) {
    SendBinary(port_, ctx_.prompter, payload, length);
}

void SerialSource::sendNmea(std::string_view body) {
    SendNmea(port_, ctx_.prompter, body);
}

void SerialSource::onTimer(int clientId) {
    if (clientId != kSerialSecondTimerId) {
        return;
    }
    countNoAnswerSecond();
    ctx_.owner.secondTick();
}

// Auto-detection polled for the software version on the first good frame; a receiver that
// keeps talking without answering leaves the choice to the user.
void SerialSource::countNoAnswerSecond() {
    const ProgramState& state = ctx_.parser.state;
    if (state.targetDialogOpen || state.targetSwClass > kSwUnknown || !state.autoDetect ||
        !parser_.synchronised()) {
        return;
    }
    if (++noAnswerSeconds_ > kNoAnswerSeconds) {
        noAnswerSeconds_ = 0;
        ctx_.owner.showTargetSoftwareDialog();
    }
}

void SerialSource::setSendNow(bool ready) {
    port_.SetSendNow(ready);
}

void SerialSource::sendInitialisation() {
    ctx_.owner.sendInitialisation();
}

CurrentSettingsPolls& SerialSource::currentSettingsPolls() {
    return ctx_.owner.currentSettingsPolls();
}

void SerialSource::process(const uint8_t* bytes, size_t count) {
    parser_.process(bytes, count);
}

void SerialSource::tick() {
    ctx_.owner.serviceTick();
}

} // namespace zeph::monitor
