#include "monitor/views/dgps_view_texts.h"

#include "common/text/strprintf.h"
#include "monitor/messages/message_records.h"

#include <array>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidDgpsStatus = 27;
constexpr uint8_t kMidSbasStatus = 50;

constexpr uint8_t kSourceSbas = 1;
constexpr uint8_t kSourceBeacon = 3;
constexpr std::array<const char*, 5> kSources = {"None", "SBAS channel",
                                                 "External RTCM data (serial port B)",
                                                 "Internal DGPS beacon receiver", "Software"};

constexpr uint8_t kBeaconLocked = 0x01;
constexpr uint8_t kBeaconAutoTuning = 0x02;
constexpr size_t kBeaconFields = 6;

constexpr uint8_t kSbasUserTimeout = 0x01;
constexpr uint8_t kSbasHealthOff = 0x02;
constexpr uint8_t kSbasCorrectionOff = 0x04;
constexpr uint8_t kSbasUserPrn = 0x08;
constexpr size_t kSbasFields = 5;

// The augmentation system a PRN belongs to.
const char* sbasSystem(uint8_t prn) {
    switch (prn) {
    case 120:
    case 131:
        return ":EGNOS";
    case 122:
    case 134:
        return ":WAAS";
    case 129:
    case 137:
        return ":MSAS";
    default:
        return "";
    }
}

} // namespace

DgpsViewTexts::DgpsViewTexts() : FormTexts(std::vector<std::string>(kDgpsFieldCount)) {}

bool DgpsViewTexts::update(const RxMessage& msg) {
    if (msg.mid == kMidDgpsStatus) {
        status(msg);
        return true;
    }
    if (msg.mid == kMidSbasStatus) {
        sbas(msg);
        return true;
    }
    return false;
}

void DgpsViewTexts::clear(size_t first, size_t count) {
    for (size_t f = first; f < first + count; ++f) {
        texts_[f].clear();
    }
}

void DgpsViewTexts::status(const RxMessage& msg) {
    const DgpsStatusRecord r = msg.as<DgpsStatusRecord>();
    texts_[kDgpsSource] = r.sourceType < kSources.size() ? kSources[r.sourceType] : "Error";
    for (size_t row = 0; row < kDgpsChannels; ++row) {
        const DgpsCorrection c = r.correction[row];
        texts_[dgpsPrn(row)] = strprintf("%d", c.svid);
        texts_[dgpsCorrection(row)] = strprintf("%+.2f", c.correction * 0.01);
    }
    if (r.sourceType == kSourceBeacon) {
        const DgpsBeacon b = r.beacon;
        const char* tuning = (b.status & kBeaconAutoTuning) != 0 ? "(auto)" : "";
        const bool locked = (b.status & kBeaconLocked) != 0;
        texts_[kDgpsLocked] = locked ? "Yes" : "No";
        texts_[kDgpsFrequency] = strprintf("%.3f %s", b.frequency * 0.001, tuning);
        texts_[kDgpsBitRate] = strprintf("%d %s", b.bitRate, tuning);
        if (locked) {
            texts_[kDgpsMagnitude] = strprintf("%ld", asLong(b.magnitude));
            texts_[kDgpsStrength] = strprintf("%d", b.strength);
            texts_[kDgpsSnr] = strprintf("%d", b.snr);
        } else {
            clear(kDgpsMagnitude, 3);
        }
        for (size_t row = 0; row < kDgpsChannels; ++row) {
            texts_[dgpsAge(row)].clear();
        }
        clear(kDgpsSbasPrn, kSbasFields);
        return;
    }
    for (size_t row = 0; row < kDgpsChannels; ++row) {
        texts_[dgpsAge(row)] = strprintf("%d", r.age[row]);
    }
    if (r.sourceType == kSourceSbas) {
        clear(kDgpsLocked, kBeaconFields);
    } else {
        clear(kDgpsSbasPrn, kSbasFields); // the beacon group keeps its last texts
    }
}

void DgpsViewTexts::sbas(const RxMessage& msg) {
    if (texts_[kDgpsSource] != kSources[kSourceSbas]) {
        return;
    }
    const SbasStatusRecord r = msg.as<SbasStatusRecord>();
    std::string prn = strprintf("%d", r.prn) + sbasSystem(r.prn);
    if ((r.flags & kSbasUserPrn) == 0) {
        prn += " (auto)";
    }
    texts_[kDgpsSbasPrn] = prn;
    texts_[kDgpsSbasMode] = r.mode != 0 ? "Integrity" : "Testing";
    texts_[kDgpsSbasTimeout] =
        strprintf("%d ", r.timeout) + ((r.flags & kSbasUserTimeout) != 0 ? "(user)" : "(default)");
    texts_[kDgpsSbasHealth] = (r.flags & kSbasHealthOff) != 0 ? "OFF" : "ON";
    texts_[kDgpsSbasCorrection] = (r.flags & kSbasCorrectionOff) != 0 ? "OFF" : "ON";
}

} // namespace zeph::monitor
