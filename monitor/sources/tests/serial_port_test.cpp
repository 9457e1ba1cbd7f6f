// SerialPort over pseudo-terminals: the test thread plays the GUI thread and fires the 50 ms
// service by hand; the master side of the terminal plays the receiver.

#include "monitor/sources/serial_port.h"
#include "monitor/sources/testing/manual_timers.h"

#include "monitor/link/testing/link_fakes.h"

#include "common/serial/testing/pty_pair.h"
#include "common/text/strprintf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <termios.h>
#include <thread>
#include <vector>

namespace zeph::monitor::testing {
namespace {

using namespace std::chrono_literals;
using zeph::testing::PtyPair;

// Keeps the registrations; the test fires them by identifier.
class RecordingConsumer : public PortConsumer {
public:
    void process(const uint8_t* bytes, size_t count) override {
        calls.push_back("process");
        chunks.emplace_back(bytes, bytes + count);
        if (onProcess) {
            onProcess();
        }
    }
    void tick() override { calls.push_back("tick"); }

    std::vector<std::string> calls;
    std::vector<Bytes> chunks;
    std::function<void()> onProcess;
};

// Polls in real time: the reader thread keeps its own pace.
bool waitUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string hexOf(const Bytes& bytes, size_t limit) {
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        out += strprintf("%02X", bytes[i]);
    }
    return out;
}

Bytes pattern(size_t n, unsigned seed) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) {
        out[i] = static_cast<uint8_t>((i * 7 + seed) & 0xFF);
    }
    return out;
}

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The slave's line settings, read and changed through the master side.
termios slaveSettings(const PtyPair& pty) {
    termios tio{};
    EXPECT_EQ(::tcgetattr(pty.masterFd(), &tio), 0);
    return tio;
}

speed_t slaveSpeed(const PtyPair& pty) {
    const termios tio = slaveSettings(pty);
    return ::cfgetospeed(&tio);
}

TEST(SerialPortSettings, WordsFromTheSettingsFile) {
    struct Row {
        const char *baud, *bits, *parity, *stop;
        LineSettings want;
    };
    const Row rows[] = {
        {"57600", "8", "NONE", "1", {57600, 8, Parity::None, 1}},
        {"4800", "7", "EVEN", "2", {4800, 7, Parity::Even, 2}},
        {"38400", "8", "ODD", "1.5", {38400, 8, Parity::Odd, 2}}, // no 1.5 stop bits here
        {"9600", "6", "MARK", "one", {9600, 6, Parity::Mark, 2}},
        {"19200 baud", " 5", "SPACE", "1", {19200, 5, Parity::Space, 1}},
        // Only an upper-case first letter counts; anything else keeps the line's parity.
        {"1200", "8", "even", "1", {1200, 8, Parity::Odd, 1}},
        {"1200", "8", "", "1", {1200, 8, Parity::Odd, 1}},
    };
    // The flow control is never in the words: it stays as the line reported it.
    const LineSettings reported[] = {{9600, 7, Parity::Odd, 2, true, false},
                                     {9600, 7, Parity::Odd, 2, false, true}};
    for (const LineSettings& current : reported) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.baud) + "/" + row.bits + "/" + row.parity + "/" +
                         row.stop + (current.xonXoff ? " XON/XOFF" : " RTS/CTS"));
            const LineSettings s =
                lineSettingsFrom(row.baud, row.bits, row.parity, row.stop, current);
            EXPECT_EQ(s.baud, row.want.baud);
            EXPECT_EQ(s.dataBits, row.want.dataBits);
            EXPECT_EQ(s.parity, row.want.parity);
            EXPECT_EQ(s.stopBits, row.want.stopBits);
            EXPECT_EQ(s.xonXoff, current.xonXoff);
            EXPECT_EQ(s.rtsCts, current.rtsCts);
        }
    }
}

TEST(SerialPortSettings, WriteTimeLimitFollowsTheBaudRate) {
    EXPECT_EQ(writeTimeoutMs(4800, 100), 400); // 4 ms a byte
    EXPECT_EQ(writeTimeoutMs(19200, 10), 10);
    EXPECT_LT(writeTimeoutMs(38400, 1000), 0); // no limit from 38400 up
    EXPECT_LT(writeTimeoutMs(0, 10), 0);
}

TEST(SerialPortLineErrors, CountersMapToBitsReportedInTheFixedOrder) {
    EXPECT_EQ(lineErrorBits({}), 0u);
    EXPECT_EQ(lineErrorBits({1, 0, 0, 0, 0}), 0x0010u);
    EXPECT_EQ(lineErrorBits({0, 2, 0, 0, 0}), 0x0008u);
    EXPECT_EQ(lineErrorBits({0, 0, 3, 0, 0}), 0x0002u);
    EXPECT_EQ(lineErrorBits({0, 0, 0, 4, 0}), 0x0004u);
    EXPECT_EQ(lineErrorBits({0, 0, 0, 0, 5}), 0x0001u);

    RecordingEvents events;
    ReportLineErrors(events, 0x1F1F);
    EXPECT_EQ(events.shown, (std::vector<std::string>{
                                "Comm: CE_BREAK", "Comm: CE_DNS.", "Comm: CE_FRAME", "Comm: CE_IOE",
                                "Comm: CE_OOP", "Comm: CE_OVERRUN", "Comm: CE_PTO",
                                "Comm: CE_RXOVER", "Comm: CE_RXPARITY", "Comm: CE_TXFULL"}));
    EXPECT_EQ(events.codes, std::vector<uint16_t>(10, kLinkErrorCode));
    EXPECT_EQ(events.log, "Comm: CE_BREAK\nComm: CE_DNS\nComm: CE_FRAME\nComm: CE_IOE\n"
                          "Comm: CE_OOP\nComm: CE_OVERRUN\nComm: CE_PTO\nComm: CE_RXOVER\n"
                          "Comm: CE_RXPARITY\nComm: CE_TXFULL\n");

    RecordingEvents mode;
    ReportLineErrors(mode, 0x8000 | 0x0010 | 0x0001);
    EXPECT_EQ(mode.shown, std::vector<std::string>{"Comm: CE_MODE"});
    EXPECT_EQ(mode.log, "Comm: CE_MODE\n");
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.valid()) << pty.error(); }

    std::string openPort() {
        return port.open(consumer, pty.slavePath(), "57600", "8", "NONE", "1");
    }
    // The receiver sends; returns once the reader thread has taken every byte.
    void receive(const Bytes& bytes) {
        const uint64_t before = port.bytesTaken();
        ASSERT_TRUE(pty.writeMaster(text(bytes)));
        ASSERT_TRUE(waitUntil([&] { return port.bytesTaken() == before + bytes.size(); }));
    }
    bool tick() { return timers.fire(kSerialServiceTimerId); }
    std::chrono::milliseconds since(Clock::TimePoint start) const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(clock.now() - start);
    }

    PtyPair pty;
    ManualTimers timers;
    FakeClock clock;
    ProgramState state;
    RecordingEvents events;
    RecordingPrompter prompter;
    RecordingConsumer consumer;
    SerialPort port{timers, clock, state, events};
};

TEST_F(SerialPortTest, MissingPortGivesTheFixedTextAndStartsNothing) {
    EXPECT_EQ(port.open(consumer, "/dev/zeph-no-such-port", "57600", "8", "NONE", "1"),
              "Error.. Cannot create UART handle.\nComm port is not available or may be in use.");
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(timers.timers.empty());
    EXPECT_EQ(since(Clock::TimePoint{}), 0ms);
}

TEST_F(SerialPortTest, RateThatIsNoNumberIsNamedAsTyped) {
    for (const std::string baud : {"fast", "", "0"}) {
        EXPECT_EQ(port.open(consumer, pty.slavePath(), baud, "8", "NONE", "1"),
                  "Unsupported baud rate " + baud);
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(SerialPortTest, PortHeldByAnotherMonitorIsNotAvailable) {
    ASSERT_EQ(openPort(), "");
    SerialPort second{timers, clock, state, events};
    RecordingConsumer other;
    const auto openSecond = [&] {
        return second.open(other, pty.slavePath(), "57600", "8", "NONE", "1");
    };
    EXPECT_EQ(openSecond(), SerialPort::kCannotOpenText);
    EXPECT_FALSE(second.isOpen());
    port.close();
    EXPECT_EQ(openSecond(), "");
}

TEST_F(SerialPortTest, OpenConfiguresTheLineAndStartsTheService) {
    state.autoDetect = true;
    ::setenv("ZEPH_COM7", pty.slavePath().c_str(), 1);
    const std::string error = port.open(consumer, "COM7", "4800", "8", "NONE", "2");
    ::unsetenv("ZEPH_COM7");
    ASSERT_EQ(error, "");
    EXPECT_EQ(port.path(), pty.slavePath());
    // A pseudo-terminal keeps 8 data bits and no parity whatever it is told.
    const termios tio = slaveSettings(pty);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B4800));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    ASSERT_EQ(timers.timers.size(), 1u);
    EXPECT_EQ(timers.timers.begin()->second.periodMs, 50);
    EXPECT_EQ(state.targetSwClass, kSwVersionPollPending);
    EXPECT_EQ(since(Clock::TimePoint{}), 100ms); // the settling pause

    port.close();
    EXPECT_TRUE(timers.timers.empty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortTest, OpenKeepsTheFlowControlTheLineReported) {
    struct Row {
        tcflag_t iflag, cflag; // what the line holds before the port opens it
        tcflag_t wantIflag, wantCflag;
    };
    const Row rows[] = {
        {IXON | IXOFF, CRTSCTS, IXON | IXOFF, CRTSCTS},
        {IXON | IXOFF, 0, IXON | IXOFF, 0},
        {0, CRTSCTS, 0, CRTSCTS},
        {IXON, 0, 0, 0}, // a terminal's cooked default, not flow control
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "iflag " << row.iflag << " cflag " << row.cflag);
        termios tio = slaveSettings(pty);
        tio.c_iflag = (tio.c_iflag & ~(IXON | IXOFF)) | row.iflag;
        tio.c_cflag = (tio.c_cflag & ~CRTSCTS) | row.cflag;
        ASSERT_EQ(::tcsetattr(pty.masterFd(), TCSANOW, &tio), 0);
        ASSERT_EQ(openPort(), "");
        const termios opened = slaveSettings(pty);
        EXPECT_EQ(opened.c_iflag & (IXON | IXOFF), row.wantIflag);
        EXPECT_EQ(opened.c_cflag & CRTSCTS, row.wantCflag);
        port.close();
    }
}

TEST_F(SerialPortTest, ReceivedBytesAreHandedOnAtTheNextTick) {
    ASSERT_EQ(openPort(), "");
    receive(bytesOf("hello"));
    EXPECT_TRUE(consumer.chunks.empty());
    ASSERT_TRUE(tick());
    ASSERT_TRUE(tick()); // nothing new: no process call
    receive(bytesOf("abc"));
    receive(bytesOf("de"));
    ASSERT_TRUE(tick());
    EXPECT_EQ(consumer.calls,
              (std::vector<std::string>{"tick", "process", "tick", "tick", "process"}));
    EXPECT_EQ(consumer.chunks, (std::vector<Bytes>{bytesOf("hello"), bytesOf("abcde")}));
}

TEST_F(SerialPortTest, FullSlotIsHandedOnWholeAndOverflowDropsTheEarlierBytes) {
    ASSERT_EQ(openPort(), "");
    const Bytes full = pattern(SerialPort::kSlotBytes, 3);
    receive(full);
    ASSERT_TRUE(tick());
    receive(pattern(SerialPort::kSlotBytes, 1));
    receive(bytesOf("0123456789"));
    ASSERT_TRUE(tick());
    EXPECT_EQ(consumer.chunks, (std::vector<Bytes>{full, bytesOf("0123456789")}));
    EXPECT_TRUE(events.log.empty()); // dropped silently
}

TEST_F(SerialPortTest, TickFiredAgainWhileParsingDoesNothing) {
    ASSERT_EQ(openPort(), "");
    consumer.onProcess = [&] {
        consumer.onProcess = nullptr;
        receive(bytesOf("late"));
        tick(); // a message box's event loop firing the timer
    };
    receive(bytesOf("first"));
    ASSERT_TRUE(tick());
    EXPECT_EQ(consumer.calls, (std::vector<std::string>{"tick", "process"}));
    ASSERT_TRUE(tick());
    EXPECT_EQ(consumer.chunks, (std::vector<Bytes>{bytesOf("first"), bytesOf("late")}));
}

TEST_F(SerialPortTest, TxLogShowsAtMostTheFirst199Bytes) {
    ASSERT_EQ(openPort(), "");
    const Bytes payload = pattern(992, 5);
    ASSERT_TRUE(SendBinary(port, prompter, payload.data(), payload.size()));
    const Bytes frame = frameOf(payload);
    EXPECT_EQ(events.log, "Tx: 0x" + hexOf(frame, 199) + "\n");
    EXPECT_EQ(pty.readMaster(frame.size(), 1000), text(frame));

    events.log.clear();
    ASSERT_TRUE(SendNmea(port, prompter, "ZUVE105,01"));
    EXPECT_EQ(events.log, "Tx: 0x0D0A245A5556453130352C30312A30350D0A\n");
}

TEST_F(SerialPortTest, WriteWaitsAboutThreeSecondsForTheReceiverToSpeak) {
    ASSERT_EQ(openPort(), "");
    Clock::TimePoint start = clock.now();
    port.write(bytesOf("x").data(), 1);
    EXPECT_GE(since(start), 2950ms);
    EXPECT_LE(since(start), 3050ms);
    EXPECT_EQ(pty.readMaster(1, 1000), "x"); // written anyway

    receive(bytesOf("!"));
    start = clock.now();
    port.write(bytesOf("y").data(), 1);
    EXPECT_EQ(since(start), 0ms);
    EXPECT_EQ(pty.readMaster(1, 1000), "y");
}

class StagingTest : public SerialPortTest {
protected:
    void SetUp() override {
        SerialPortTest::SetUp();
        ASSERT_EQ(openPort(), "");
        receive(bytesOf("."));
        port.SetSendNow(false);
        ASSERT_TRUE(SendNmea(port, prompter, "ZUVE105,01"));
        ASSERT_TRUE(SendBinary(port, prompter, kAckPayload.data(), kAckPayload.size()));
    }
    const Bytes staged = bytesOf("\r\n$ZUVE105,01*05\r\n") + frameOf(kAckPayload);
};

TEST_F(StagingTest, HeldUntilTheReceiverIsReadyThenWrittenTogether) {
    EXPECT_EQ(pty.readMaster(1, 100), "");
    EXPECT_TRUE(events.log.empty());
    port.SetSendNow(true);
    EXPECT_EQ(pty.readMaster(staged.size(), 1000), text(staged));
    port.SetSendNow(true);                                       // nothing left
    EXPECT_EQ(events.log, "Tx: 0x" + hexOf(staged, 199) + "\n"); // one write
}

TEST_F(StagingTest, WrittenOnCloseAfterTheFlushNote) {
    port.close();
    EXPECT_EQ(events.log, "Flush data\nTx: 0x" + hexOf(staged, 199) + "\n");
    EXPECT_EQ(pty.readMaster(staged.size(), 1000), text(staged));
}

TEST_F(StagingTest, OverflowWritesWhatIsStagedFirst) {
    const Bytes big = pattern(600, 9);
    const Bytes bigger = pattern(700, 11);
    ASSERT_TRUE(SendBinary(port, prompter, big.data(), big.size()));       // still fits
    ASSERT_TRUE(SendBinary(port, prompter, bigger.data(), bigger.size())); // does not
    port.SetSendNow(true);
    const Bytes all = staged + frameOf(big) + frameOf(bigger);
    EXPECT_EQ(pty.readMaster(all.size(), 1000), text(all));
}

TEST_F(SerialPortTest, SilentLineIsReopenedOnceASecond) {
    ASSERT_EQ(openPort(), "");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        // A rate changed behind the port's back shows when it opens the line afresh.
        termios tio = slaveSettings(pty);
        ::cfsetspeed(&tio, B9600);
        ASSERT_EQ(::tcsetattr(pty.masterFd(), TCSANOW, &tio), 0);
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(tick());
        }
        EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B9600));
        ASSERT_TRUE(tick()); // the 21st silent tick
        EXPECT_EQ(slaveSpeed(pty), static_cast<speed_t>(B57600));
    }
    EXPECT_TRUE(consumer.chunks.empty());
    EXPECT_TRUE(events.log.empty() && events.shown.empty());

    receive(bytesOf("after reopen"));
    ASSERT_TRUE(tick());
    EXPECT_EQ(consumer.chunks, std::vector<Bytes>{bytesOf("after reopen")});
}

// The reader thread against the real clock.
class SerialPortThreadTest : public SerialPortTest {
protected:
    SystemClock realClock;
    SerialPort livePort{timers, realClock, state, events};
};

TEST_F(SerialPortThreadTest, CloseStopsTheReaderWhileBytesStreamAndTheLineOpensAgain) {
    // The feeder must not block on a full line while the port is closed.
    ASSERT_EQ(::fcntl(pty.masterFd(), F_SETFL, ::fcntl(pty.masterFd(), F_GETFL) | O_NONBLOCK), 0);
    std::jthread feeder([&](std::stop_token stop) {
        while (!stop.stop_requested()) {
            pty.writeMaster(std::string(64, 'z')); // may fail while the line is closed or full
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(livePort.open(consumer, pty.slavePath(), "115200", "8", "NONE", "1"), "");
        ASSERT_TRUE(waitUntil([&] { return livePort.bytesTaken() > 1000; }));
        for (int i = 0; i < 5; ++i) {
            timers.fire(kSerialServiceTimerId);
        }
        const auto start = std::chrono::steady_clock::now();
        livePort.close();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
        const uint64_t taken = livePort.bytesTaken();
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(livePort.bytesTaken(), taken);
    }
    ASSERT_FALSE(consumer.chunks.empty());
    for (const Bytes& chunk : consumer.chunks) {
        EXPECT_EQ(chunk, Bytes(chunk.size(), 'z'));
    }
}

// Ticks far faster than the real 50 ms while the receiver streams: every byte must come out
// once and in order, whichever side of the hand-over the reader thread is on.
TEST_F(SerialPortThreadTest, HandOverUnderLoadKeepsTheStreamWhole) {
    ASSERT_EQ(livePort.open(consumer, pty.slavePath(), "115200", "8", "NONE", "1"), "");
    const Bytes stream = pattern(24 * 1024, 0);
    std::jthread feeder([&] {
        constexpr size_t kBlock = 48; // far below a slot between two ticks at this pace
        for (size_t at = 0; at < stream.size(); at += kBlock) {
            const size_t n = std::min(kBlock, stream.size() - at);
            pty.writeMaster(std::string_view(reinterpret_cast<const char*>(&stream[at]), n));
            std::this_thread::sleep_for(200us);
        }
    });
    // Fast ticks on a silent line would reopen it; the real service waits a second.
    ASSERT_TRUE(waitUntil([&] { return livePort.dataSeen(); }));
    Bytes received;
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (received.size() < stream.size() && std::chrono::steady_clock::now() < end) {
        timers.fire(kSerialServiceTimerId);
        for (const Bytes& chunk : consumer.chunks) {
            received.insert(received.end(), chunk.begin(), chunk.end());
        }
        consumer.chunks.clear();
        std::this_thread::sleep_for(300us);
    }
    ASSERT_EQ(received.size(), stream.size());
    EXPECT_TRUE(received == stream);
}

} // namespace
} // namespace zeph::monitor::testing
