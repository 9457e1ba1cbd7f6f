#include "monitor/sources/random_source.h"

#include "monitor/messages/message_records.h"

#include "common/text/strprintf.h"

#include <cstring>

namespace zeph::monitor {
namespace {

constexpr int kCyclePeriodMs = 1000;
constexpr int kRandMax = 32767;

template <class R> void store(RxMessage& msg, const R& record) {
    std::memcpy(msg.record.data(), &record, sizeof record);
    msg.recordLength = sizeof record;
    msg.mid = msg.record[0];
}

void putU16(uint8_t* at, uint16_t v) {
    std::memcpy(at, &v, sizeof v);
}
void putU32(uint8_t* at, uint32_t v) {
    std::memcpy(at, &v, sizeof v);
}

} // namespace

RandomSource::RandomSource(const SourceContext& ctx, std::function<int()> rand)
    : DataSource(ctx, "Random"), rand_(std::move(rand)) {}

RandomSource::~RandomSource() {
    close();
}

int RandomSource::upTo(int k) {
    return 1 + (rand_() - 1) * k / kRandMax;
}

int RandomSource::zeroTo(int k) {
    return rand_() * (k + 1) / (kRandMax + 1);
}

void RandomSource::start() {
    timer_ = ctx_.timers.registerTimer(kPacingTimerId, *this, kCyclePeriodMs);
}

void RandomSource::close() {
    ctx_.timers.killTimer(timer_);
    timer_ = 0;
}

void RandomSource::restart() {
    close();
    start();
}

void RandomSource::onTimer(int /*clientId*/) {
    readNext();
}

void RandomSource::handOn() {
    ctx_.parser.events.activity();
    ctx_.parser.sink.onMessage(message_.get());
}

// One generation cycle: four messages, each handed on as it is made.
const RxMessage* RandomSource::readNext() {
    cycle_ = cycle_ >= kCycleWrap ? 0 : cycle_ + 1;
    std::vector<uint8_t> used;
    generateTracker(used);
    handOn();
    generateNavigation(used);
    handOn();
    generateText();
    handOn();
    generateRawTrack();
    handOn();
    return message_.get();
}

void RandomSource::generateTracker(std::vector<uint8_t>& used) {
    TrackRecord track{};
    track.mid = 4;
    week_ = 1;
    tow_ = static_cast<uint32_t>(10 + 50 * cycle_);
    track.week = week_;
    track.tow = tow_;
    int channels = 12;
    for (long after : {5, 10, 15, 20}) {
        channels -= cycle_ > after ? 1 : 0;
    }
    track.channelCount = static_cast<uint8_t>(channels);
    for (int ch = 0; ch < channels; ++ch) {
        TrackChannel& c = track.channel[ch];
        c.svid = static_cast<uint8_t>(zeroTo(32));
        c.azimuth = static_cast<uint8_t>(upTo(240));
        c.elevation = static_cast<uint8_t>(upTo(240));
        if (c.svid != 0 && upTo(4) != 2) {
            int sum = 0;
            for (int k = 0; k < 10; ++k) {
                c.cno[k] = static_cast<uint8_t>(upTo(60));
                sum += c.cno[k];
            }
            c.state = static_cast<uint16_t>(upTo(255));
            track.averageCno[ch] = static_cast<uint8_t>(sum / 10); // every value is non-zero
            used.push_back(c.svid);
        }
    }
    *message_ = RxMessage{};
    store(*message_, track);
    message_->timeTag = TimeTag{week_, tow_};
    ctx_.parser.state.text.assign(
        strprintf("Data packet for randomly generated tracking data (%ld).", cycle_));
    message_->text = &ctx_.parser.state.text;
}

void RandomSource::generateNavigation(const std::vector<uint8_t>& used) {
    NavRecord nav{};
    nav.mid = 2;
    nav.ecef[0] = -2689284 - zeroTo(199);
    nav.ecef[1] = -4304117 - zeroTo(199);
    nav.ecef[2] = 3850150 - zeroTo(199);
    // By index: a reference to a packed field may be misaligned.
    for (size_t i = 0; i < sizeof nav.velocity / sizeof nav.velocity[0]; ++i) {
        nav.velocity[i] = static_cast<int16_t>(31 - zeroTo(63));
    }
    nav.mode1 = static_cast<uint8_t>(zeroTo(5));
    nav.hdop = static_cast<uint8_t>(upTo(50));
    nav.week = week_;
    nav.tow = tow_;
    nav.svCount = static_cast<uint8_t>(used.size() < 12 ? used.size() : 12);
    for (size_t i = 0; i < nav.svCount; ++i) {
        nav.prn[i] = used[i];
    }
    *message_ = RxMessage{};
    store(*message_, nav);
    message_->timeTag = TimeTag{week_, tow_};
    ctx_.parser.state.text.assign(
        strprintf("Data packet for randomly generated navigation data (%ld).", cycle_));
    message_->text = &ctx_.parser.state.text;
}

void RandomSource::generateText() {
    *message_ = RxMessage{};
    message_->mid = 255;
    message_->record[0] = 255;
    message_->recordLength = 1;
    ctx_.parser.state.text.assign(
        strprintf("Data packet for randomly generated debug data (%ld).\nNewline1 (%ld)\n"
                  "Newline2 (%ld)",
                  cycle_, cycle_, cycle_));
    message_->text = &ctx_.parser.state.text;
}

// The raw track fields take the values 1 to 15 in order; only the C/No values are random.
void RandomSource::generateRawTrack() {
    *message_ = RxMessage{};
    uint8_t* r = message_->record.data();
    r[0] = 5;
    const uint16_t offsets32[] = {1, 9, 17, 21, 25, 29};
    const uint32_t values32[] = {1, 4, 7, 8, 9, 10};
    for (int i = 0; i < 6; ++i) {
        putU32(r + offsets32[i], values32[i]);
    }
    const uint16_t offsets16[] = {5, 7, 13, 15, 33, 47, 49};
    const uint16_t values16[] = {2, 3, 5, 6, 11, 14, 15};
    for (int i = 0; i < 7; ++i) {
        putU16(r + offsets16[i], values16[i]);
    }
    for (int k = 0; k < 10; ++k) {
        r[35 + k] = static_cast<uint8_t>(upTo(60));
    }
    r[45] = 12;
    r[46] = 13;
    message_->mid = 5;
    message_->recordLength = 51;
}

} // namespace zeph::monitor
