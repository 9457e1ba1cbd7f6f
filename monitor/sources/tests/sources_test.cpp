// The capture file, text capture and generator sources, driven by a hand-fired timer service.

#include "monitor/messages/message_records.h"
#include "monitor/sources/file_source.h"
#include "monitor/sources/random_source.h"
#include "monitor/sources/testing/manual_timers.h"
#include "monitor/sources/text_source.h"

#include "monitor/link/testing/link_fakes.h"

#include "monitor/messages/message_renderer.h"

#include "common/testing/temp_dir.h"
#include "common/text/strprintf.h"

#include <climits>
#include <limits>
#include <map>

namespace zeph::monitor::testing {
namespace {

class NoOwner : public SourceOwner {
public:
    CurrentSettingsPolls& currentSettingsPolls() override { return polls; }
    CurrentSettingsPolls polls;
};

// Keeps a whole copy of every message a source hands on.
class CollectingSink : public MessageSink {
public:
    void onMessage(const RxMessage* msg) override {
        if (msg == nullptr) {
            ++ends;
            return;
        }
        messages.push_back(std::make_unique<RxMessage>(*msg));
    }
    std::vector<uint8_t> mids() const {
        std::vector<uint8_t> out;
        for (const auto& m : messages) {
            out.push_back(m->mid);
        }
        return out;
    }
    std::vector<std::unique_ptr<RxMessage>> messages;
    int ends = 0;
};

class Sources : public ::testing::Test {
protected:
    SourceContext context() {
        return {{link.decoder, link.state, link.events, sink}, owner, timers, prompter, clock};
    }
    std::string writeFile(const std::string& name, const std::string& content) {
        return dir.write(name, content);
    }

    zeph::testing::TempDir dir;
    LinkHarness link;
    NoOwner owner;
    ManualTimers timers;
    CollectingSink sink;
    RecordingPrompter prompter;
    FakeClock clock;
};

// A copy of a packed record's field: gtest's checks take their arguments by reference, and a
// reference to a packed field may be misaligned.
template <class T> T value(T field) {
    return field;
}

Bytes frameOf(const Bytes& payload) {
    unsigned sum = 0;
    for (uint8_t b : payload) {
        sum += b;
    }
    Bytes f = {0xA0, 0xA2, 0, static_cast<uint8_t>(payload.size())};
    f.insert(f.end(), payload.begin(), payload.end());
    f.insert(f.end(), {static_cast<uint8_t>(sum >> 8), static_cast<uint8_t>(sum), 0xB0, 0xB3});
    return f;
}

TEST_F(Sources, CaptureFilePlaysAThousandBytesEachSecond) {
    std::string capture;
    for (int i = 0; i < 300; ++i) {
        const Bytes f = frameOf({18, static_cast<uint8_t>(i & 1)}); // 10 bytes each
        capture.append(f.begin(), f.end());
    }
    FileSource source(context(), writeFile("capture.bin", capture));
    ASSERT_TRUE(source.open(""));
    source.start();
    ASSERT_EQ(timers.period(), 1000);
    ASSERT_EQ(timers.timers.begin()->second.clientId, kPacingTimerId);
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(sink.messages.size(), 100u);
    ASSERT_TRUE(timers.fire());
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(sink.messages.size(), 300u);
    EXPECT_FALSE(source.finished());
    ASSERT_TRUE(timers.fire()); // nothing left: the timer stops, the views are not told
    EXPECT_TRUE(timers.timers.empty());
    EXPECT_TRUE(source.finished());
    EXPECT_EQ(sink.messages.size(), 300u);
}

TEST_F(Sources, MissingCaptureFileFailsQuietly) {
    FileSource source(context(), "/no/such/capture.bin");
    EXPECT_FALSE(source.open(""));
    EXPECT_TRUE(prompter.asked.empty());
}

// Tracker lines as the text capture stores them: MID 4, then the record bytes as they stand
// (host order): week at offset 1, TOW at offset 3.
std::string trackerLine(uint16_t week, uint32_t tow) {
    std::string line = strprintf("%X,4", 7 + 3); // the items from the MID on, plus 3
    const uint8_t bytes[] = {static_cast<uint8_t>(week),      static_cast<uint8_t>(week >> 8),
                             static_cast<uint8_t>(tow),       static_cast<uint8_t>(tow >> 8),
                             static_cast<uint8_t>(tow >> 16), static_cast<uint8_t>(tow >> 24)};
    for (uint8_t b : bytes) {
        line += strprintf(",%X", b);
    }
    return line + "\n";
}

TEST_F(Sources, TextCapturePacesByTimeTags) {
    const std::string path =
        writeFile("paced.csv", "; a comment\n\n" + trackerLine(1182, 1000) +
                                   trackerLine(1182, 1000) + trackerLine(1182, 1250) +
                                   trackerLine(1183, 50) + trackerLine(1183, 40) + "\r\n");
    TextSource source(context(), path);
    ASSERT_TRUE(source.open(""));
    source.start(); // the first message goes on at once
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(timers.period(), 0); // same TOW: no delay
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(timers.period(), 2500); // 250 hundredths
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(timers.period(), static_cast<int>(10.0 * (50 + 60479900.0 - 1250)));
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(timers.period(), 0); // earlier than its predecessor: at once
    ASSERT_TRUE(timers.fire());
    EXPECT_EQ(sink.messages.size(), 5u);
    EXPECT_TRUE(source.finished());
    EXPECT_EQ(sink.ends, 1);
    EXPECT_EQ(value(sink.messages.back()->as<TrackRecord>().week), 1183);
}

TEST_F(Sources, TruePositionLinesCountFromTheBaseTime) {
    const std::string path = writeFile("truepos.csv", "12.5,-2700000,-4290000,3850000,1,-2,0\n"
                                                      "604799.5,1,2,3,0,0,0\n"
                                                      "nan,1,2,3,99999999999999999999,"
                                                      "-99999999999999999999,4096\n");
    TextSource source(context(), path);
    ASSERT_TRUE(source.open(""));
    source.start();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0]->mid, 1);
    auto nav = sink.messages[0]->as<NavRecord>();
    EXPECT_EQ(value(nav.tow), 1250u);
    EXPECT_EQ(value(nav.ecef[0]), -2700000);
    EXPECT_EQ(value(nav.velocity[0]), 8);
    EXPECT_EQ(value(nav.velocity[1]), -16);
    // The second line's TOW passes the week length and moves to the next week.
    ASSERT_TRUE(timers.fire());
    nav = sink.messages[1]->as<NavRecord>();
    EXPECT_EQ(value(nav.week), 1);
    EXPECT_EQ(value(nav.tow), 60479950u - 60479900u);
    // Velocities wrap as their 16-bit field does, however large the number.
    ASSERT_TRUE(timers.fire());
    nav = sink.messages[2]->as<NavRecord>();
    EXPECT_EQ(value(nav.tow), 0u);
    EXPECT_EQ(value(nav.velocity[0]), -8);
    EXPECT_EQ(value(nav.velocity[1]), 0);
    EXPECT_EQ(value(nav.velocity[2]), -32768);
}

TEST(TextCaptureTime, TruePositionSecondsBecomeWeekAndTow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        TimeTag base;
        double seconds;
        TimeTag want;
    };
    const Row rows[] = {
        {{0, 0}, 12.5, {0, 1250}},
        {{7, 100}, 0.004, {7, 100}},       // hundredths are truncated
        {{0, 0}, 604799.5, {1, 50}},       // past the week length: the next week
        {{0xFFFF, 0}, 604800.0, {0, 100}}, // the week wraps as its field does
        {{0, 0}, -5.0, {0, 0}},            // before TOW 0: TOW 0
        {{3, 500}, nan, {3, 500}},         // no number: 0 seconds
        {{0, 0}, 1e12, {1, 0xFFFFFFFF}},   // beyond the field: its largest TOW
        {{0, 0}, inf, {1, 0xFFFFFFFF}},
        {{0, 0}, -inf, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.base.week << "/" << row.base.tow << " + " << row.seconds << " s");
        const TimeTag time = truePositionTime(row.base, row.seconds);
        EXPECT_EQ(time.week, row.want.week);
        EXPECT_EQ(time.tow, row.want.tow);
    }
}

TEST(TextCaptureTime, PacingDelayFromTheTimeTags) {
    struct Row {
        TimeTag last, next;
        int wantMs;
    };
    const Row rows[] = {
        {{1182, 1000}, {1182, 1000}, 0},
        {{1182, 1000}, {1182, 1250}, 2500},
        {{1182, 1250}, {1183, 50}, 604787000}, // a week is 60479900 hundredths
        {{1183, 50}, {1183, 40}, 0},           // earlier than its predecessor: at once
        {{0, 0}, {1183, 40}, 0},               // nothing remembered: the new tag's
        {{1, 1}, {1, 0xFFFFFFFF}, INT_MAX},    // beyond the timer: its limit
        {{1, 100}, {0xFFFF, 0}, INT_MAX},
        {{0xFFFF, 100}, {1, 0}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.last.week << "/" << row.last.tow << " to "
                                          << row.next.week << "/" << row.next.tow);
        EXPECT_EQ(pacingDelayMs(row.last, row.next), row.wantMs);
    }
}

TEST_F(Sources, TextCaptureErrors) {
    {
        TextSource source(context(), writeFile("comments.csv", "; only\n;comments\n"));
        ASSERT_TRUE(source.open(""));
        source.start();
        EXPECT_EQ(prompter.asked.back(), "Error: Could not read from file.");
        EXPECT_FALSE(source.isOpen());
    }
    {
        TextSource source(context(), writeFile("counts.csv", trackerLine(1, 1) + "9,2,1\n"));
        ASSERT_TRUE(source.open(""));
        source.start(); // the first line goes on, the second ends the data
        EXPECT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(prompter.asked.back(), "Item counts not equal.");
        EXPECT_TRUE(source.finished());
    }
    for (const std::string& text : {std::string("7\n"), std::string(5000, '\0')}) {
        TextSource source(context(), writeFile("single.csv", text));
        ASSERT_TRUE(source.open(""));
        source.start();
        EXPECT_EQ(prompter.asked[prompter.asked.size() - 2], "Invalid data encountered.");
    }
    TextSource missing(context(), "/no/such.csv");
    EXPECT_FALSE(missing.open(""));
    EXPECT_EQ(prompter.asked.back(), "Source file could not be opened: /no/such.csv");
}

// A generator whose draws are scripted: every draw returns the largest value.
TEST_F(Sources, GeneratorCycleMakesFourMessagesWithShrinkingChannelCounts) {
    RandomSource source(context(), [] { return 32767; });
    ASSERT_TRUE(source.open(""));
    source.start();
    EXPECT_EQ(timers.period(), 1000);
    std::vector<int> channelCounts;
    for (int cycle = 1; cycle <= 22; ++cycle) {
        sink.messages.clear();
        const int blinksBefore = link.events.blinks;
        ASSERT_TRUE(timers.fire());
        ASSERT_EQ(sink.mids(), (std::vector<uint8_t>{4, 2, 255, 5}));
        EXPECT_EQ(link.events.blinks - blinksBefore, 4);
        const auto track = sink.messages[0]->as<TrackRecord>();
        channelCounts.push_back(track.channelCount);
        EXPECT_EQ(value(track.tow), static_cast<uint32_t>(10 + 50 * cycle));
        EXPECT_EQ(track.channel[0].svid, 32);
        EXPECT_EQ(track.channel[0].cno[9], 60);
        EXPECT_EQ(track.averageCno[0], 60);
        EXPECT_EQ(value(sink.messages[1]->as<NavRecord>().ecef[0]), -2689284 - 199);
        EXPECT_EQ(sink.messages[1]->as<NavRecord>().svCount, track.channelCount);
    }
    EXPECT_EQ(channelCounts[0], 12);
    EXPECT_EQ(channelCounts[4], 12);
    EXPECT_EQ(channelCounts[5], 11);
    EXPECT_EQ(channelCounts[19], 9);
    EXPECT_EQ(channelCounts[20], 8);
    EXPECT_EQ(channelCounts[21], 8);
    EXPECT_EQ(sink.messages[2]->textView(),
              "Data packet for randomly generated debug data (22).\nNewline1 (22)\nNewline2 (22)");
    // The raw track fields are 1 to 15 in order; the C/No values are drawn.
    std::string raw;
    EXPECT_TRUE(renderMessage(*sink.messages[3], raw));
    EXPECT_EQ(raw, "5,1,2,03,4,5,6,7,8,9,10,11,60,60,60,60,60,60,60,60,60,60,12,13,14,15");
}

TEST_F(Sources, GeneratorValuesStayInTheirRanges) {
    RandomSource source(context());
    for (int cycle = 0; cycle < 200; ++cycle) {
        source.readNext();
    }
    int used = 0;
    for (const auto& m : sink.messages) {
        if (m->mid == 4) {
            const auto track = m->as<TrackRecord>();
            for (int ch = 0; ch < track.channelCount; ++ch) {
                const TrackChannel& c = track.channel[ch];
                ASSERT_LE(c.svid, 32);
                ASSERT_GE(c.azimuth, 1);
                ASSERT_LE(c.azimuth, 240);
                ASSERT_GE(c.elevation, 1);
                ASSERT_LE(c.elevation, 240);
                if (c.state != 0) {
                    ++used;
                    for (uint8_t cno : c.cno) {
                        ASSERT_GE(cno, 1);
                        ASSERT_LE(cno, 60);
                    }
                }
            }
        } else if (m->mid == 2) {
            const auto nav = m->as<NavRecord>();
            ASSERT_GE(value(nav.ecef[2]), 3850150 - 199);
            ASSERT_LE(value(nav.ecef[2]), 3850150);
            ASSERT_GE(nav.hdop, 1);
            ASSERT_LE(nav.hdop, 50);
            ASSERT_LE(nav.mode1, 5);
            ASSERT_GE(value(nav.velocity[1]), 31 - 63);
            ASSERT_LE(value(nav.velocity[1]), 31);
        }
    }
    EXPECT_GT(used, 200 * 4); // most channels carry a satellite
}

} // namespace
} // namespace zeph::monitor::testing
