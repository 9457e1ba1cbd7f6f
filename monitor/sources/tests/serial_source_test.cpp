// SerialSource over a pseudo-terminal: receiver bytes through the parser to the feed, commands
// and their holding back, and auto-detection's one-second no-answer count.

#include "monitor/sources/serial_source.h"
#include "monitor/sources/testing/manual_timers.h"

#include "monitor/link/testing/link_fakes.h"

#include "common/serial/testing/pty_pair.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zeph::monitor::testing {
namespace {

using namespace std::chrono_literals;
using zeph::testing::PtyPair;

// Keeps the registrations by identifier (one each); the test fires them.
class RecordingOwner : public SourceOwner {
public:
    CurrentSettingsPolls& currentSettingsPolls() override { return polls; }
    void serviceTick() override { ++serviceTicks; }
    void secondTick() override { ++secondTicks; }
    void showTargetSoftwareDialog() override { ++targetDialogs; }
    void sendInitialisation() override { ++initialisations; }

    CurrentSettingsPolls polls;
    int serviceTicks = 0, secondTicks = 0, targetDialogs = 0, initialisations = 0;
};

class MidSink : public MessageSink {
public:
    void onMessage(const RxMessage* msg) override { mids.push_back(msg->mid); }
    std::vector<int> mids;
};

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

constexpr const char* kMissingPort = "/dev/zeph-no-such-port";

class SerialSourceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.valid()) << pty.error(); }

    void makeSource(const std::string& port) {
        source = std::make_unique<SerialSource>(context, port, "57600", "8", "NONE", "1");
    }
    void openSource() {
        makeSource(pty.slavePath());
        ASSERT_TRUE(source->open(""));
    }
    // The receiver sends; the next 50 ms tick parses what the reader thread took.
    void receiveAndTick(const Bytes& bytes) {
        const uint64_t want = source->port().bytesTaken() + bytes.size();
        ASSERT_TRUE(pty.writeMaster(text(bytes)));
        for (int i = 0; i < 2000 && source->port().bytesTaken() < want; ++i) {
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_EQ(source->port().bytesTaken(), want);
        ASSERT_TRUE(timers.fire(kSerialServiceTimerId));
    }
    void seconds(int n) {
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(timers.fire(kSerialSecondTimerId));
        }
    }

    PtyPair pty;
    ProgramState state;
    RecordingEvents events;
    RecordingPrompter prompter;
    MessageDecoder decoder{state, events, prompter};
    MidSink sink;
    RecordingOwner owner;
    ManualTimers timers;
    FakeClock clock;
    SourceContext context{{decoder, state, events, sink}, owner, timers, prompter, clock};
    std::unique_ptr<SerialSource> source;
};

TEST_F(SerialSourceTest, PortThatCannotOpenIsShownAndNothingRuns) {
    makeSource(kMissingPort);
    EXPECT_FALSE(source->open(""));
    EXPECT_FALSE(source->isOpen());
    EXPECT_EQ(prompter.asked, std::vector<std::string>{"Error.. Cannot create UART handle.\n"
                                                       "Comm port is not available or may be "
                                                       "in use."});
    EXPECT_TRUE(timers.timers.empty());
}

TEST_F(SerialSourceTest, NameGivenToOpenReplacesThePortAndBothTimersRun) {
    makeSource(kMissingPort);
    EXPECT_EQ(source->name(), kMissingPort);
    ASSERT_TRUE(source->open(pty.slavePath()));
    EXPECT_EQ(source->name(), pty.slavePath());
    EXPECT_TRUE(source->isOpen() && source->isSerial());
    ASSERT_EQ(timers.timers.size(), 2u);
    EXPECT_EQ(timers.find(kSerialSecondTimerId)->periodMs, 1000);
    EXPECT_EQ(timers.find(kSerialServiceTimerId)->periodMs, 50);

    source->close();
    EXPECT_FALSE(source->isOpen());
    EXPECT_TRUE(timers.timers.empty());
}

TEST_F(SerialSourceTest, ReceiverMessagesReachTheFeedAndRepliesReachTheOwner) {
    openSource();
    state.initAfterAck = true;
    const Bytes ackOfSetSerialPort = {11, 0x86};
    receiveAndTick(frameOf(kAckPayload) + bytesOf("$GPGGA,1*00\r\n") + frameOf(ackOfSetSerialPort));
    EXPECT_EQ(sink.mids, (std::vector<int>{11, 255, 11}));
    EXPECT_EQ(owner.serviceTicks, 1);
    EXPECT_EQ(owner.initialisations, 1); // the acknowledged baud change releases MID 128
    seconds(2);
    EXPECT_EQ(owner.secondTicks, 2);
}

TEST_F(SerialSourceTest, OkToSendHoldsCommandsUntilTheReceiverIsReady) {
    openSource();
    receiveAndTick(frameOf({18, 0}));
    source->sendNmea("ZUVE105,01");
    source->sendBinary(kAckPayload.data(), kAckPayload.size());
    EXPECT_EQ(pty.readMaster(1, 100), "");

    receiveAndTick(frameOf({18, 1}));
    const Bytes sent = bytesOf("\r\n$ZUVE105,01*05\r\n") + frameOf(kAckPayload);
    EXPECT_EQ(pty.readMaster(sent.size(), 1000), text(sent));
    EXPECT_NE(events.log.find("OkToSend: FALSE\nOkToSend: TRUE\nTx: 0x0D0A"), std::string::npos);
}

// The free-form command tool's bytes are neither framed nor held back.
TEST_F(SerialSourceTest, RawWritesGoOutAtOnceWhileCommandsAreHeld) {
    openSource();
    receiveAndTick(frameOf({18, 0}));
    const Bytes raw = {0xA0, 0xA2};
    source->writeRaw(raw.data(), raw.size());
    EXPECT_EQ(pty.readMaster(raw.size(), 1000), text(raw));
    EXPECT_NE(events.log.find("Tx: 0xA0A2\n"), std::string::npos);
}

TEST_F(SerialSourceTest, ResetDropsWhatThePortGathered) {
    openSource();
    receiveAndTick(frameOf(kAckPayload));
    ASSERT_TRUE(source->parser().synchronised());
    receiveAndTick(frameOf(kAckPayload));
    // Bytes the reader took since the last tick do not survive a reset either.
    const Bytes more = frameOf(kAckPayload);
    ASSERT_TRUE(pty.writeMaster(text(more)));
    for (int i = 0; i < 2000 && source->port().bytesTaken() < 3 * more.size(); ++i) {
        std::this_thread::sleep_for(1ms);
    }
    source->reset();
    EXPECT_FALSE(source->parser().synchronised());
    EXPECT_EQ(source->parser().state(), 0);
    ASSERT_TRUE(timers.fire(kSerialServiceTimerId));
    EXPECT_EQ(sink.mids, (std::vector<int>{11, 11}));
}

class AutoDetectionTest : public SerialSourceTest {
protected:
    void SetUp() override {
        SerialSourceTest::SetUp();
        state.autoDetect = true;
        openSource();
        synchronise();
    }
    // A good frame synchronises the link and, with the class pending, polls for the version.
    void synchronise() {
        ASSERT_EQ(state.targetSwClass, kSwVersionPollPending);
        receiveAndTick(frameOf(kAckPayload));
        const Bytes poll = frameOf({132, 0});
        ASSERT_EQ(pty.readMaster(poll.size(), 1000), text(poll));
        ASSERT_EQ(state.targetSwClass, kSwUnknown);
    }
};

TEST_F(AutoDetectionTest, TargetDialogAfterSixSecondsWithoutAVersion) {
    seconds(5);
    EXPECT_EQ(owner.targetDialogs, 0);
    seconds(1);
    EXPECT_EQ(owner.targetDialogs, 1);
    seconds(5); // counted from zero again
    EXPECT_EQ(owner.targetDialogs, 1);
    seconds(1);
    EXPECT_EQ(owner.targetDialogs, 2);
}

TEST_F(AutoDetectionTest, CountRestartsWhenTheSourceOpens) {
    seconds(5);
    source->close();
    ASSERT_TRUE(source->open(""));
    synchronise();
    seconds(5);
    EXPECT_EQ(owner.targetDialogs, 0);
    seconds(1);
    EXPECT_EQ(owner.targetDialogs, 1);
}

TEST_F(AutoDetectionTest, NothingIsCountedUnlessStillWaitingForAVersion) {
    const std::vector<std::function<void(bool)>> conditions = {
        [&](bool on) { state.targetDialogOpen = on; },
        [&](bool on) { state.targetSwClass = on ? kSw21Or22 : kSwUnknown; },
        [&](bool on) { state.autoDetect = !on; },
    };
    for (const auto& set : conditions) {
        set(true);
        seconds(10);
        set(false);
    }
    source->reset(); // not synchronised
    seconds(10);
    EXPECT_EQ(owner.targetDialogs, 0);
    EXPECT_EQ(owner.secondTicks, 40);
}

} // namespace
} // namespace zeph::monitor::testing
