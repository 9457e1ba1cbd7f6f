// The Action menu's line sequences and the current-settings poll against the simulated receiver
// on a pseudo-terminal: the main frame's core with a real serial source, its timers run on the
// system clock, and what the receiver took read from its counts file.

#include "monitor/shell/main_frame_core.h"

#include "monitor/commands/command_builders.h"
#include "monitor/shell/tests/scripted_prompter.h"

#include "common/testing/child_process.h"
#include "common/testing/temp_dir.h"
#include "common/testing/text_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <deque>
#include <fstream>
#include <thread>

namespace zeph::monitor {
namespace {

using zeph::testing::BackgroundProgram;
using zeph::testing::programPath;
using zeph::testing::readFile;

class MessageCounter : public ViewObserver {
public:
    void onUpdate(int hint, const RxMessage* msg) override {
        if (hint == kHintNewMessage && msg != nullptr) {
            ++byMid[msg->mid];
            if (msg->mid == 11) {
                acked.push_back(msg->record[1]);
            }
        }
    }
    std::map<int, int> byMid;
    std::vector<int> acked; // the MIDs acknowledged, in order
};

class LineWindow : public FrameWindow {
public:
    void openViewFrame(size_t slot) override { core->viewOpened(slot, views[slot]); }
    void closeViewFrame(size_t slot) override { core->viewClosed(slot); }
    void refresh() override {}
    void blink() override {}
    void post(std::function<void()> call) override { posted.push_back(std::move(call)); }
    bool runDataSourceDialog(bool /*cancelEnabled*/) override { return true; }
    bool runLogSettingsDialog() override { return true; }
    void showTargetSoftwareDialog() override {}
    std::optional<ReceiverInitAccepted>
    runReceiverInitDialog(const ReceiverInitSettings& stored) override {
        openedOn = stored;
        return initSend.accepted;
    }
    std::optional<LowPowerSend> runLowPowerDialog(int /*targetSwClass*/) override {
        return lowPower;
    }
    // Records what the dialog opened with; `answer` plays the user (none: Cancel).
    bool runNavDialog(NavDialog& dialog) override {
        polled.push_back({dialog.current(), dialog.caption(), dialog.text("navigation")});
        return answer && answer(dialog);
    }

    MainFrameCore* core = nullptr;
    std::array<MessageCounter, settings::kViewSlotCount> views;
    std::deque<std::function<void()>> posted;
    struct Opened {
        bool current;
        std::string caption;
        std::string navigation;
    };
    std::vector<Opened> polled;
    std::function<bool(NavDialog&)> answer;
    ReceiverInitSettings openedOn;
    ReceiverInitSend initSend;
    std::optional<LowPowerSend> lowPower;
};

class LineE2e : public ::testing::Test {
protected:
    // zephsim with its extra options; the monitor at `baud` on its pseudo-terminal, logging
    // every message, with the Debug view open.
    void start(const std::vector<std::string>& simOptions, const std::string& baud) {
        std::vector<std::string> argv = {programPath("zephsim"), "--counts", countsPath()};
        argv.insert(argv.end(), simOptions.begin(), simOptions.end());
        sim = std::make_unique<BackgroundProgram>(argv);
        const std::string port = sim->readLine(5000);
        ASSERT_FALSE(port.empty()) << sim->err();
        profile = std::make_unique<ProfileFile>(dir.path("zephmon.ini"));
        prepareSettingsFile(*profile, prompter);
        profile->writeString(settings::kMain, settings::kOpenViews, "0001000000");
        LogSettings log;
        log.file = dir.path("run.gps");
        log.msgs = std::string(settings::kMsgsLength, '1');
        log.save(*profile);
        std::ofstream{log.file}; // a log file must exist to be opened
        core = std::make_unique<MainFrameCore>(*profile, clock, prompter, window);
        window.core = core.get();
        DataSourceSettings source;
        source.serPort = port;
        source.serBaud = baud;
        core->startWith(source, true);
        ASSERT_TRUE(core->sourceOpen());
    }

    // Runs the timers and the posted calls until `done`, or false after `limitMs`.
    bool runUntil(const std::function<bool()>& done, int limitMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            core->timers().runDue();
            while (!window.posted.empty()) {
                auto call = std::move(window.posted.front());
                window.posted.pop_front();
                call();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    std::string countsPath() { return dir.path("counts.txt"); }
    // What zephsim's counts file says of one line ("Received MID 128"), 0 when it has none.
    int count(const std::string& what) {
        const std::string counts = "\n" + readFile(countsPath());
        const size_t at = counts.find("\n" + what + ": ");
        return at == std::string::npos ? 0 : std::stoi(counts.substr(at + what.size() + 3));
    }
    std::string log() { return readFile(dir.path("run.gps")); }
    int received(int mid) { return window.views[kSlotDebug].byMid[mid]; }

    zeph::testing::TempDir dir;
    SystemClock clock;
    testing::ScriptedPrompter prompter;
    LineWindow window;
    std::unique_ptr<BackgroundProgram> sim;
    std::unique_ptr<ProfileFile> profile;
    std::unique_ptr<MainFrameCore> core;
};

// A receiver sending NMEA at 4800 is brought to binary at 38400 and the monitor follows it.
TEST_F(LineE2e, SynchronisingFromNmeaAt4800EndsInBinaryAt38400) {
    start({"--protocol", "nmea", "--baud", "4800"}, "4800");
    ASSERT_TRUE(runUntil([&] { return core->state().nmeaArriving; }, 10000));
    core->synchroniseCommand();
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kSerBaud, ""), "38400");
    window.views[kSlotDebug].byMid.clear();
    EXPECT_TRUE(runUntil([&] { return received(2) >= 2 && received(4) >= 2; }, 10000));
    EXPECT_FALSE(core->state().nmeaArriving);
    sim.reset(); // the counts are complete once it ends
    // The monitor's side is exact: the switch at each of the eight rates, then the port command
    // at each (its log is complete once it ends).
    core.reset();
    window.core = nullptr;
    const std::string text = log();
    const auto times = [&](const std::string& line) {
        size_t n = 0;
        for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
            ++n;
        }
        return n;
    };
    const std::string switchLine = "Tx: 0x0D0A245A555645313030"; // "\r\n$ZUVE100"
    const std::string portLine = "Tx: 0xA0A2000986";             // MID 134
    EXPECT_EQ(times(switchLine), 8u);
    EXPECT_EQ(times(portLine), 8u);
    EXPECT_LT(text.rfind(switchLine), text.find(portLine));
    // Which of them the receiver heard depends on when it read each write relative to the
    // line's changes: at least the switch at 4800 and one port command at 38400.
    EXPECT_GE(count("Received sentence ZUVE100"), 1);
    EXPECT_GE(count("Received MID 134"), 1);
}

// Navigation-library data at 19200: the receiver is moved to 57600 first, and the
// initialisation goes out only once it acknowledged that, on the new line.
TEST_F(LineE2e, InitialisationWithNavigationLibraryDataWaitsForTheFasterLine) {
    start({"--baud", "19200"}, "19200");
    ASSERT_TRUE(runUntil([&] { return received(2) >= 1; }, 10000));
    // The dialog's Send: hot start with navigation-library data, a reset every 30 s.
    ReceiverInitFields fields = receiverInitFields(ReceiverInitSettings{});
    fields.resetMode = kHotStart;
    fields.navLibData = true;
    fields.period = "30";
    window.initSend = receiverInitSend(fields);
    ASSERT_TRUE(window.initSend.accepted);
    core->initializeDataSourceCommand();
    EXPECT_EQ(window.openedOn, ReceiverInitSettings{}); // the dialog opened on what was stored
    EXPECT_EQ(profile->getInt(settings::kRcvrInit, settings::kCfgBits, 0), 0x90);
    ASSERT_NE(core->document()->feed().lines(), nullptr);
    EXPECT_EQ(core->document()->feed().lines()->periodicInitialisation(), 30);
    EXPECT_EQ(profile->getString(settings::kDataSrc, settings::kSerBaud, ""), "57600");
    EXPECT_TRUE(core->state().initAfterAck); // MID 128 has not gone yet
    ASSERT_TRUE(
        runUntil([&] { return log().find("Tx: 0xA0A2001980") != std::string::npos; }, 10000))
        << log() << readFile(countsPath());
    // The acknowledgement, decoded on the new line, sent it: its line follows the frame's.
    const std::string text = log();
    const size_t initialisation = text.find("Tx: 0xA0A2001980");
    EXPECT_LT(text.find("Tx: 0xA0A20009860000E100080100"), initialisation);
    const size_t next = text.find('\n', initialisation) + 1;
    EXPECT_EQ(text.substr(next, 22), "Ack: MID_SetSerialPort") << text.substr(initialisation, 300);
    EXPECT_FALSE(core->state().initAfterAck);
    // The receiver took it, at 57600, and its navigation-library messages follow.
    EXPECT_TRUE(runUntil([&] { return received(28) >= 1; }, 10000));
}

// Low Power's Send: MID 151 and then MID 167, each acknowledged; an update rate above 4 s ends
// the target-software detection.
TEST_F(LineE2e, LowPowerSendsBothMessagesAndEndsTheSoftwareDetection) {
    start({}, "57600");
    ASSERT_TRUE(runUntil([&] { return received(2) >= 1; }, 10000));
    core->state().autoDetect = true;
    LowPowerFields fields;
    fields.mode = kLullcycle;
    fields.updateRate = "5";
    fields.onTime = "300";
    window.lowPower = lowPowerSend(fields);
    ASSERT_FALSE(window.lowPower->refusal);
    std::vector<int>& acked = window.views[kSlotDebug].acked;
    acked.clear();
    core->setLowPowerCommand();
    EXPECT_FALSE(core->state().autoDetect);
    // The log is only complete once closed: a sleeping receiver says too little to fill its
    // buffer, so the acknowledgements are awaited where the views see them.
    ASSERT_TRUE(runUntil([&] { return std::ranges::count(acked, 167) == 1; }, 15000));
    core.reset();
    window.core = nullptr;
    const std::string text = log();
    const size_t lowPower = text.find("Tx: 0xA0A200099700000"
                                      "03C0000012C");
    const size_t acquisition = text.find("Tx: 0xA0A20019A7");
    ASSERT_NE(lowPower, std::string::npos) << text;
    EXPECT_LT(lowPower, acquisition);
    EXPECT_LT(text.find("Ack: MID_LowPower"), text.find("Ack: MID_LPAcqParams"));
}

// The Elevation Mask's poll: the receiver's echo opens the dialog with its values, and what the
// dialog sends is what the next poll reports; a receiver that does not hear the poll leaves it
// on its defaults after three seconds.
TEST_F(LineE2e, CurrentSettingsPollAnsweredAndNot) {
    start({}, "57600");
    ASSERT_TRUE(runUntil([&] { return received(2) >= 1; }, 10000));
    core->state().targetSwClass = kSw23OrHigher;
    window.answer = [](NavDialog& d) {
        d.setText("navigation", "12.5");
        return !d.send();
    };
    core->navigationCommand(139);
    ASSERT_TRUE(runUntil([&] { return !window.polled.empty(); }, 5000));
    ASSERT_EQ(window.polled.size(), 1u);
    EXPECT_TRUE(window.polled[0].current);
    EXPECT_EQ(window.polled[0].caption, "Elevation Mask: Current");
    EXPECT_EQ(window.polled[0].navigation, "7.5"); // zephsim's own mask
    window.answer = nullptr;
    core->navigationCommand(139);
    ASSERT_TRUE(runUntil([&] { return window.polled.size() == 2; }, 5000));
    EXPECT_EQ(window.polled[1].caption, "Elevation Mask: Current");
    EXPECT_EQ(window.polled[1].navigation, "12.5");

    // A monitor at another rate is not heard.
    core.reset();
    window.polled.clear();
    sim.reset();
    start({"--baud", "9600"}, "57600");
    ASSERT_TRUE(runUntil([&] { return core->document()->feed().source() != nullptr; }, 1000));
    core->state().targetSwClass = kSw23OrHigher;
    const auto sent = std::chrono::steady_clock::now();
    core->currentSettingsPoll(139);
    ASSERT_TRUE(runUntil([&] { return !window.polled.empty(); }, 8000));
    const auto waited = std::chrono::steady_clock::now() - sent;
    EXPECT_FALSE(window.polled[0].current);
    EXPECT_EQ(window.polled[0].caption, "Elevation Mask: Default");
    EXPECT_EQ(window.polled[0].navigation, "7.5");
    EXPECT_GE(waited, std::chrono::milliseconds(2900));
}

} // namespace
} // namespace zeph::monitor
