// The feed and its document: which source the settings open, and where every message goes.

#include "monitor/shell/feed_doc.h"

#include "common/testing/temp_dir.h"
#include "monitor/messages/testing/recording_events.h"
#include "monitor/shell/timer_slots.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::monitor {
namespace {

class RecordingView : public ViewObserver {
public:
    void onUpdate(int hint, const RxMessage* msg) override {
        hints.push_back(hint);
        mids.push_back(msg != nullptr ? msg->mid : -1);
    }
    std::vector<int> hints;
    std::vector<int> mids;
};

class RecordingFrame : public DocumentListener {
public:
    void endOfData() override { ++ends; }
    int ends = 0;
};

class FeedTest : public ::testing::Test {
protected:
    void SetUp() override { doc.addView(view); }
    DataSourceSettings randomSource() {
        DataSourceSettings s;
        s.src = 2;
        return s;
    }

    zeph::testing::TempDir dir;
    FakeClock clock;
    testing::RecordingEvents events;
    testing::RecordingPrompter prompter;
    ProgramState state;
    ProfileFile profile{dir / "zephmon.ini"};
    MessageLog log{clock, profile};
    MessageDecoder decoder{state, events, prompter};
    TimerSlots timers{clock, [this] { return doc.running(); }};
    RecordingFrame frame;
    CFeedDoc doc{FeedContext{decoder, state, events, log, timers, prompter, clock}, frame};
    RecordingView view;
};

TEST_F(FeedTest, MessagesReachTheViewsUnlessPaused) {
    ASSERT_TRUE(doc.openSource(randomSource()));
    EXPECT_EQ(view.hints, (std::vector<int>{kHintNewSource}));
    clock.advance(std::chrono::milliseconds(1000));
    timers.runDue();
    EXPECT_EQ(view.mids, (std::vector<int>{-1, 4, 2, 255, 5}));
    EXPECT_EQ(doc.feed().lastMessage().mid, 5);

    doc.setPause(true);
    clock.advance(std::chrono::milliseconds(1000));
    timers.runDue();
    EXPECT_EQ(view.mids.size(), 5u); // paused: nothing more reaches the views
    EXPECT_EQ(doc.feed().lastMessage().mid, 5);
    doc.setPause(false);
    clock.advance(std::chrono::milliseconds(1000));
    timers.runDue();
    EXPECT_EQ(view.mids.size(), 9u);
}

TEST_F(FeedTest, SettingsChooseTheSource) {
    DataSourceSettings bad;
    bad.src = 3;
    EXPECT_FALSE(doc.openSource(bad));
    EXPECT_EQ(prompter.asked.back(), "Error: for measured data, check either file or serial");
    EXPECT_FALSE(doc.running());

    DataSourceSettings lowerCaseCsv;
    lowerCaseCsv.src = 1;
    lowerCaseCsv.fileType = "csv"; // only "CSV" selects the text source
    lowerCaseCsv.fileName = dir.path("missing.csv");
    const size_t asked = prompter.asked.size();
    EXPECT_FALSE(doc.openSource(lowerCaseCsv));
    EXPECT_EQ(prompter.asked.size(), asked); // the binary file source fails without a word

    lowerCaseCsv.fileType = "CSV";
    EXPECT_FALSE(doc.openSource(lowerCaseCsv));
    EXPECT_EQ(prompter.asked.back(), "Source file could not be opened: " + dir.path("missing.csv"));
}

TEST_F(FeedTest, SendsGoNowhereWithoutASerialSource) {
    ASSERT_TRUE(doc.openSource(randomSource()));
    const uint8_t poll[] = {132, 0};
    doc.feed().sendBinary(poll, sizeof poll);
    doc.feed().sendNmea("ZUVE105,01");
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_TRUE(events.log.empty());
}

TEST_F(FeedTest, EndOfTheDataReachesTheFrame) {
    const std::string csv = dir.path("one.csv");
    std::FILE* f = std::fopen(csv.c_str(), "w");
    std::fputs("1,1,2,3,0,0,0\n", f);
    std::fclose(f);
    DataSourceSettings s;
    s.src = 1;
    s.fileType = "CSV";
    s.fileName = csv;
    ASSERT_TRUE(doc.openSource(s));
    EXPECT_EQ(frame.ends, 1); // one message, then the end
    EXPECT_EQ(view.mids, (std::vector<int>{-1, 1}));
}

} // namespace
} // namespace zeph::monitor
