#include "dashboard/core/trekdash_core.h"

#include "dashboard/core/double_map.h"
#include "dashboard/core/sentence_decoders.h"

#include "common/text/strprintf.h"

#include <algorithm>
#include <span>

namespace zeph::dashboard {

std::string comOccupiedText(int port) {
    return strprintf("The COM %d is occupied ! Set again Please!", port);
}

TrekdashCore::TrekdashCore(TimerService& timers, PortObject& port1, PortObject& port2,
                           const SettingsFile& settingsFile, Prompter& prompter,
                           MainWindowSink* sink)
    : timers_(timers), port1_(port1), port2_(port2), settingsFile_(settingsFile),
      prompter_(prompter), sink_(sink) {}

void TrekdashCore::openPort1(int16_t port, const SettingsRecord::Speed& speed) {
    port1_.close(); // new settings reach an open port only through a new open
    port1_.setSettings(portSettings(SettingsRecord::text(speed)));
    port1_.setPort(port);
    port1_.open();
}

void TrekdashCore::load() {
    state_.Settings = settingsFile_.read();
    if (!settingsFile_.exists()) {
        settingsFile_.write(state_.Settings); // a first start leaves its defaults behind
    }
    openPort1(state_.Settings.port, state_.Settings.speed);
    if (!port1_.isOpen()) {
        prompter_.tell(comOccupiedText(state_.Settings.port), Prompter::Icon::Error);
        controls_.displayEnabled = true;
        controls_.stopEnabled = false;
        return;
    }
    compassMode_ = true;
    timers_.setTimer(TimerId::Compass, kPointerIntervalMs);
    timers_.setTimer(TimerId::Meter, kMeterIntervalMs);
}

void TrekdashCore::activate() {
    if (sink_ != nullptr) {
        sink_->redrawSatelliteSymbols();
    }
    timers_.setTimer(TimerId::RxCheck, kRxCheckIntervalMs);
    if (port1_.isOpen()) {
        controls_.setMenuEnabled = false;
        controls_.displayEnabled = false;
        controls_.stopEnabled = true;
    }
    if (state_.SingleRestoreRequest) {
        port1_.close();
        port2_.close();
        state_.Settings = settingsFile_.read();
        openPort1(state_.Settings.port, state_.Settings.speed);
        state_.SingleRestoreRequest = false;
    }
    if (state_.DoubleRequest) {
        openPort1(state_.Settings.source1Port, state_.Settings.source1Speed);
        port2_.close();
        port2_.setSettings(portSettings(SettingsRecord::text(state_.Settings.source2Speed)));
        port2_.setPort(state_.Settings.source2Port);
        port2_.open();
        if (!port1_.isOpen() || !port2_.isOpen()) {
            prompter_.tell(port2_.isOpen() ? kSource1UsedText : kSource2UsedText,
                           Prompter::Icon::Error);
            controls_.doubleFormVisible = true;
        } else {
            timers_.setTimer(TimerId::Compare, kCompareIntervalMs);
            controls_.singleSourceEnabled = true;
            controls_.doubleSourceEnabled = true;
            blinkFlag_ = true;
            gsvDecoded_ = false;
            controls_.mainWindowEnabled = false;
            controls_.doubleMapVisible = true;
        }
        state_.DoubleRequest = false;
    }
    if (state_.SettingsRequest) {
        if (sink_ != nullptr) {
            sink_->eraseSettingsAreas();
        }
        state_.Settings = settingsFile_.read();
        openPort1(state_.Settings.port, state_.Settings.speed);
        if (!port1_.isOpen()) {
            prompter_.tell(kComUsedText, Prompter::Icon::Error);
            controls_.setFormVisible = true;
            state_.PortOpenFailed = true;
        } else {
            state_.PortOpenFailed = false;
            controls_.singleSourceEnabled = true;
            controls_.doubleSourceEnabled = true;
            timers_.setTimer(TimerId::Compare, 0);
            controls_.displayEnabled = false;
            controls_.stopEnabled = true;
            controls_.setMenuEnabled = false;
        }
        state_.SettingsRequest = false;
    }
    timers_.setTimer(TimerId::Nmea, kNmeaIntervalMs);
    timers_.setTimer(compassMode_ ? TimerId::Compass : TimerId::Heading, kPointerIntervalMs);
    timers_.setTimer(TimerId::Meter, kMeterIntervalMs);
    timers_.setTimer(TimerId::Display, kActivationDisplayMs);
    controls_.viewMenuEnabled = true;
}

void TrekdashCore::display() {
    timers_.setTimer(TimerId::RxCheck, kRxCheckIntervalMs);
    controls_.displayEnabled = false;
    controls_.stopEnabled = true;
    timers_.setTimer(TimerId::Meter, kMeterIntervalMs);
    timers_.setTimer(TimerId::Nmea, kNmeaIntervalMs);
    timers_.setTimer(compassMode_ ? TimerId::Compass : TimerId::Heading, kPointerIntervalMs);
    controls_.viewMenuEnabled = true;
    controls_.setMenuEnabled = false;
    if (!port1_.isOpen()) {
        port1_.open();
    }
    controls_.selNmeaVisible = false;
}

void TrekdashCore::stop() {
    controls_.displayEnabled = true;
    controls_.stopEnabled = false;
    for (const TimerId id : {TimerId::RxCheck, TimerId::Decode, TimerId::Display, TimerId::Heading,
                             TimerId::Compass, TimerId::Meter, TimerId::Nmea}) {
        timers_.setTimer(id, 0);
    }
    if (sink_ != nullptr) {
        sink_->eraseCentreCross();
    }
    controls_.viewMenuEnabled = false;
    controls_.setMenuEnabled = true;
    port1_.close();
}

void TrekdashCore::singleSourceMenu() {
    controls_.doubleFormVisible = false;
    controls_.setFormVisible = true;
    port1_.close();
}

void TrekdashCore::doubleSourceMenu() {
    controls_.doubleFormVisible = true;
    controls_.setFormVisible = false;
    if (sink_ != nullptr) {
        sink_->clearDrawing();
    }
}

void TrekdashCore::selectNmeaMenu() {
    controls_.selNmeaVisible = true;
    port1_.close();
    controls_.displayEnabled = true;
    controls_.stopEnabled = false;
    controls_.viewMenuEnabled = false;
    controls_.setMenuEnabled = true;
}

void TrekdashCore::closeDoubleMap() {
    controls_.mainWindowEnabled = true;
    state_.SingleRestoreRequest = true;
    controls_.doubleMapVisible = false;
    state_.DoubleRequest = false;
    state_.RxBuffer2.clear();
    state_.RxBuffer.clear();
    state_.CompareText1.clear();
    state_.CompareText2.clear();
}

void TrekdashCore::headingMenu() {
    timers_.setTimer(TimerId::Heading, kPointerIntervalMs);
    timers_.setTimer(TimerId::Compass, 0);
    compassMode_ = false;
}

void TrekdashCore::noHeadingMenu() {
    timers_.setTimer(TimerId::Compass, kPointerIntervalMs);
    timers_.setTimer(TimerId::Heading, 0);
    compassMode_ = true;
}

void TrekdashCore::onTimer(TimerId id) {
    switch (id) {
    case TimerId::Nmea:
        nmeaTick();
        break;
    case TimerId::RxCheck:
        rxCheckTick();
        break;
    case TimerId::Decode:
        decodeTick();
        break;
    case TimerId::Display:
        displayTick();
        break;
    case TimerId::Compare:
        compareTick();
        break;
    default:
        if (sink_ != nullptr) {
            sink_->pointerTick(id);
        }
        break;
    }
}

void TrekdashCore::nmeaTick() {
    // The decoders see the buffer as it was before this tick's input; none of them changes
    // its text, so one copy serves all three.
    const std::string copy = state_.RxBuffer;
    std::size_t consumable = copy.size();
    if (state_.RxLog.size() + state_.RxBuffer.size() < kRxLogLimit) {
        state_.RxLog.append(state_.RxBuffer);
    } else {
        state_.RxLog.clear();
        state_.RxBuffer.clear();
        consumable = 0;
    }
    if (!port1_.isOpen()) {
        return;
    }
    const std::string incoming = port1_.readAll();
    state_.RxBuffer.append(incoming);
    // GSV sentences are collected as they come: a set that sat in the buffer between two
    // samples of it would otherwise be lost whenever the buffer is emptied first.
    collector_.feed(incoming);
    received_.feed(incoming);
    if (controls_.doubleMapVisible) {
        feedComparison(state_.CompareText1, incoming);
    }
    state_.NewDataFlag = true;
    if (state_.DoubleRequest || !gsvDecoded_) {
        return;
    }
    if (RMCdecode(state_, copy)) {
        // Only the text the decoders saw is consumed; input read in this tick stays for the
        // next one.
        state_.RxBuffer.erase(0, std::min(consumable, state_.RxBuffer.size()));
    }
    GSAdecode(state_, copy);
    GGAdecode(state_, copy);
}

void TrekdashCore::rxCheckTick() {
    if (state_.RxBuffer.size() > kRxBufferLimit && findSentence(state_.RxBuffer, "$GPGSV")) {
        state_.RxBuffer.clear();
    }
    const std::optional<GsvSet> set = collector_.take();
    if (!set) {
        return;
    }
    std::copy(set->lines.begin(), set->lines.end(), state_.GsvLines.begin());
    gsv_ = collector_.counters();
    gsv_.GsvTotal = set->total;
    state_.RxBuffer.clear();
    timers_.setTimer(TimerId::Decode, kDecodeIntervalMs);
    timers_.setTimer(TimerId::RxCheck, 0);
}

void TrekdashCore::decodeTick() {
    const int16_t kept = std::clamp<int16_t>(gsv_.GsvTotal, 0, kMaxGsvMessages);
    decodeGsvSet(state_.GsvLines, kept, state_.SatInfo, state_.SatsInView);
    if (gsv_.GsvTotal > kMaxGsvMessages) {
        // A longer set shows its first 12 satellites: the table holds no more.
        state_.SatsInView = std::min<int16_t>(state_.SatsInView, kSatRows);
    }
    gsvDecoded_ = true;
    timers_.setTimer(TimerId::Decode, 0);
    timers_.setTimer(TimerId::Display, kDisplayIntervalMs);
}

void TrekdashCore::displayTick() {
    if (sink_ != nullptr) {
        sink_->drawSatelliteView();
    }
    timers_.setTimer(TimerId::RxCheck, kRxCheckIntervalMs);
    timers_.setTimer(TimerId::Display, 0);
    state_.RxBuffer.clear();
    state_.RxBuffer2.clear();
    blinkFlag_ = !blinkFlag_;
}

void TrekdashCore::compareTick() {
    if (port2_.isOpen()) {
        const std::string received = port2_.readAll();
        state_.RxBuffer2.append(received);
        feedComparison(state_.CompareText2, received);
    }
}

} // namespace zeph::dashboard
