#include "common/serial/serial_line.h"

#include "common/serial/termios_settings.h"
#include "common/serial/testing/pty_pair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zeph {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::PtyPair;

long elapsedMs(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Input from the master side reaches the slave's queue asynchronously.
bool waitForInputQueued(const SerialLine& line, int count) {
    const auto end = Clock::now() + 1s;
    while (line.inputQueued() != count && Clock::now() < end) {
        std::this_thread::sleep_for(2ms);
    }
    return line.inputQueued() == count;
}

class SerialLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.valid()) << pty.error();
        const SerialStatus opened = line.open(pty.slavePath());
        ASSERT_TRUE(opened) << opened.message;
        const SerialStatus configured = line.configure(LineSettings{115200});
        ASSERT_TRUE(configured) << configured.message;
    }

    PtyPair pty;
    SerialLine line;
};

// --- Opening and closing ------------------------------------------------------------------

TEST(SerialLineOpenTest, FailuresNameThePathAndTheCause) {
    SerialLine line;
    SerialStatus missing = line.open("/dev/zeph-no-such-tty");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.message, "Cannot open /dev/zeph-no-such-tty: No such file or directory");
    EXPECT_FALSE(line.isOpen());

    char name[] = "/tmp/zeph-serial-plainXXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::close(fd);
    SerialStatus plain = line.open(name);
    ::unlink(name);
    EXPECT_FALSE(plain);
    EXPECT_EQ(plain.message, std::string("Cannot open ") + name + ": not a serial device");
    EXPECT_FALSE(line.isOpen());
}

TEST(SerialLineOpenTest, OperationsOnAClosedLineFailWithoutTouchingAnything) {
    SerialLine line;
    char byte = 0;
    EXPECT_EQ(line.read(&byte, 1, 0), -1);
    EXPECT_EQ(line.write(&byte, 1, 0), -1);
    EXPECT_EQ(line.inputQueued(), -1);
    EXPECT_FALSE(line.purge(true, true));
    EXPECT_FALSE(line.configure(LineSettings{}));
    EXPECT_FALSE(line.baudRate().has_value());
}

TEST(SerialLineOpenTest, CloseRestoresTheSettingsFoundAtOpen) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid()) << pty.error();
    // Leave the device as another program might: canonical mode with echo, at 4800.
    const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    struct termios before {};
    ASSERT_EQ(::tcgetattr(fd, &before), 0);
    before.c_lflag |= ICANON | ECHO;
    before.c_iflag |= ICRNL;
    ::cfsetspeed(&before, B4800);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &before), 0);
    ASSERT_EQ(::tcgetattr(fd, &before), 0);

    SerialLine line;
    ASSERT_TRUE(line.open(pty.slavePath()));
    ASSERT_TRUE(line.configure(LineSettings{250000}));
    ASSERT_EQ(line.baudRate(), 250000u);
    line.close();
    EXPECT_FALSE(line.isOpen());

    struct termios after {};
    ASSERT_EQ(::tcgetattr(fd, &after), 0);
    ::close(fd);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B4800));
}

// Whoever runs it: the driver's exclusive mode does not bind a privileged process, the lock
// does, also between two lines of one process.
TEST(SerialLineOpenTest, ASecondOpenOfTheSameDeviceIsRefused) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid()) << pty.error();
    SerialLine first;
    SerialLine second;
    ASSERT_TRUE(first.open(pty.slavePath()));
    SerialStatus busy = second.open(pty.slavePath());
    EXPECT_FALSE(busy);
    EXPECT_EQ(busy.message, "Cannot open " + pty.slavePath() + ": Device or resource busy");
    first.close();
    EXPECT_TRUE(second.open(pty.slavePath())) << "the claim must end with close";
}

TEST_F(SerialLineTest, CloseAndReopenCarriesDataAgain) {
    // Nothing else holds the slave side, so the far end sees it close completely.
    line.close();
    EXPECT_FALSE(line.isOpen());
    ASSERT_TRUE(line.open(pty.slavePath()));
    ASSERT_TRUE(line.configure(LineSettings{9600}));
    ASSERT_EQ(line.write("again", 5), 5);
    EXPECT_EQ(pty.readMaster(5, 1000), "again");
}

// --- Line settings ------------------------------------------------------------------------

TEST_F(SerialLineTest, StandardRateGivesRawEightNoneOne) {
    struct termios tio {};
    ASSERT_EQ(::tcgetattr(line.nativeHandle(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.baudRate(), 115200u);
}

TEST_F(SerialLineTest, RatesWithoutAConstantAreSetExactlyAndCanBeLeftAgain) {
    const SerialStatus custom = line.configure(LineSettings{250000});
    ASSERT_TRUE(custom) << custom.message;
    EXPECT_EQ(line.baudRate(), 250000u);
    // The settings other than the rate must survive the termios2 step.
    struct termios tio {};
    ASSERT_EQ(::tcgetattr(line.nativeHandle(), &tio), 0);
    EXPECT_EQ(tio.c_lflag & ICANON, 0u);

    ASSERT_TRUE(line.configure(LineSettings{9600}));
    EXPECT_EQ(line.baudRate(), 9600u);
    ASSERT_EQ(::tcgetattr(line.nativeHandle(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B9600));
}

TEST_F(SerialLineTest, UnusableSettingsAreRefusedWithTheReason) {
    struct Case {
        LineSettings settings;
        const char* message;
    };
    const Case cases[] = {
        {{0, 8, Parity::None, 1}, "Unsupported baud rate 0"},
        {{-9600, 8, Parity::None, 1}, "Unsupported baud rate -9600"},
        {{9600, 4, Parity::None, 1}, "Unsupported data bits 4"},
        {{9600, 9, Parity::None, 1}, "Unsupported data bits 9"},
        {{9600, 8, Parity::None, 3}, "Unsupported stop bits 3"},
    };
    for (const Case& c : cases) {
        const SerialStatus status = line.configure(c.settings);
        EXPECT_FALSE(status) << c.message;
        EXPECT_EQ(status.message, c.message);
    }
    EXPECT_EQ(line.baudRate(), 115200u) << "a refused setting must leave the line as it was";
}

TEST(LineSettingsMappingTest, FramingAndFlowControlReachTheTermiosRecord) {
    struct Case {
        LineSettings settings;
        tcflag_t cflag; // within CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
        tcflag_t iflag; // within IXON | IXOFF | INPCK
    };
    const Case cases[] = {
        {{9600, 8, Parity::None, 1}, CS8, 0},
        {{9600, 7, Parity::Even, 1}, CS7 | PARENB, INPCK},
        {{9600, 5, Parity::Odd, 2}, CS5 | PARENB | PARODD | CSTOPB, INPCK},
        {{9600, 6, Parity::Mark, 1}, CS6 | PARENB | PARODD | CMSPAR, INPCK},
        {{9600, 8, Parity::Space, 2}, CS8 | PARENB | CMSPAR | CSTOPB, INPCK},
        {{9600, 8, Parity::None, 1, true, false}, CS8, IXON | IXOFF},
        {{9600, 8, Parity::None, 1, false, true}, CS8 | CRTSCTS, 0},
    };
    const tcflag_t cMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    const tcflag_t iMask = IXON | IXOFF | INPCK;
    for (const Case& c : cases) {
        // Start from a record full of what a previous user may have left behind.
        struct termios tio {};
        tio.c_iflag = ICRNL | IXON | IXOFF | IXANY | PARMRK | IGNPAR | INPCK;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
        tio.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
        detail::applyLineSettings(tio, c.settings);
        SCOPED_TRACE(::testing::Message() << c.settings.dataBits << " data bits, parity "
                                          << static_cast<int>(c.settings.parity) << ", "
                                          << c.settings.stopBits << " stop bits");
        EXPECT_EQ(tio.c_cflag & cMask, c.cflag);
        EXPECT_EQ(tio.c_iflag & iMask, c.iflag);
        EXPECT_EQ(tio.c_iflag & (IXANY | PARMRK | IGNPAR | ICRNL), 0u);
        EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 1);
        EXPECT_EQ(tio.c_cc[VTIME], 0);

        // Read back, the record gives the same framing and flow control.
        const LineSettings back = detail::lineSettingsOf(tio);
        EXPECT_EQ(back.dataBits, c.settings.dataBits);
        EXPECT_EQ(back.parity, c.settings.parity);
        EXPECT_EQ(back.stopBits, c.settings.stopBits);
        EXPECT_EQ(back.xonXoff, c.settings.xonXoff);
        EXPECT_EQ(back.rtsCts, c.settings.rtsCts);
    }
}

TEST(LineSettingsMappingTest, OnlyRatesWithAConstantAreStandard) {
    EXPECT_EQ(detail::standardRate(50), static_cast<speed_t>(B50));
    EXPECT_EQ(detail::standardRate(4800), static_cast<speed_t>(B4800));
    EXPECT_EQ(detail::standardRate(921600), static_cast<speed_t>(B921600));
    EXPECT_EQ(detail::standardRate(4000000), static_cast<speed_t>(B4000000));
    EXPECT_FALSE(detail::standardRate(250000));
    EXPECT_FALSE(detail::standardRate(307200));
    EXPECT_FALSE(detail::standardRate(0));
}

// --- Modem lines and line errors on a device without them ----------------------------------

TEST_F(SerialLineTest, PseudoTerminalHasNoModemLinesOrErrorCounters) {
    EXPECT_FALSE(line.setDtr(true));
    EXPECT_FALSE(line.setRts(false));
    EXPECT_FALSE(line.lineErrorsSupported());
    const LineErrors errors = line.lineErrors();
    EXPECT_FALSE(errors.any());
    // The line still works after the refused requests.
    ASSERT_EQ(line.write("ok", 2), 2);
    EXPECT_EQ(pty.readMaster(2, 1000), "ok");
}

// --- Reading ------------------------------------------------------------------------------

TEST_F(SerialLineTest, ReadTimesOutWithZero) {
    char buffer[16];
    auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, 0), 0);
    EXPECT_LT(elapsedMs(start), 50);

    start = Clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, 100), 0);
    const long waited = elapsedMs(start);
    EXPECT_GE(waited, 95);
    EXPECT_LT(waited, 600);
}

TEST_F(SerialLineTest, ReadReturnsWhatHasArrivedWithinItsLimit) {
    ASSERT_TRUE(pty.writeMaster(std::string("\x00\x11\x13\r\n\xff", 6)));
    char buffer[16] = {};
    ASSERT_EQ(line.readExact(buffer, 6, 1000), 6);
    EXPECT_EQ(std::string(buffer, 6), std::string("\x00\x11\x13\r\n\xff", 6))
        << "raw mode passes every byte unchanged";

    // A read takes no more than `max`, leaving the rest queued.
    ASSERT_TRUE(pty.writeMaster("abcdef"));
    ASSERT_TRUE(waitForInputQueued(line, 6));
    EXPECT_EQ(line.read(buffer, 4, 100), 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(line.read(buffer, sizeof buffer, 100), 2);
    EXPECT_EQ(std::string(buffer, 2), "ef");
}

TEST_F(SerialLineTest, ReadExactGathersPiecesAndStopsShortAtItsLimit) {
    std::thread far([this] {
        pty.writeMaster("12");
        std::this_thread::sleep_for(30ms);
        pty.writeMaster("345");
    });
    char buffer[8] = {};
    const long got = line.readExact(buffer, 5, 1000);
    far.join();
    ASSERT_EQ(got, 5);
    EXPECT_EQ(std::string(buffer, 5), "12345");

    ASSERT_TRUE(pty.writeMaster("xyz"));
    const auto start = Clock::now();
    EXPECT_EQ(line.readExact(buffer, 8, 100), 3);
    EXPECT_LT(elapsedMs(start), 600);
    EXPECT_EQ(std::string(buffer, 3), "xyz");
}

void ignoreSignal(int) {}

TEST_F(SerialLineTest, ASignalDoesNotEndTheWait) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = ignoreSignal;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    const pthread_t reader = ::pthread_self();
    std::thread far([this, reader] {
        std::this_thread::sleep_for(30ms);
        ::pthread_kill(reader, SIGUSR1);
        std::this_thread::sleep_for(30ms);
        pty.writeMaster("z");
    });
    char byte = 0;
    const long got = line.read(&byte, 1, 2000);
    far.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(got, 1);
    EXPECT_EQ(byte, 'z');
}

TEST(SerialLineHangUpTest, ReadReportsAnErrorWhenTheFarEndGoesAway) {
    auto pty = std::make_unique<PtyPair>();
    ASSERT_TRUE(pty->valid()) << pty->error();
    SerialLine line;
    ASSERT_TRUE(line.open(pty->slavePath()));
    ASSERT_TRUE(line.configure(LineSettings{115200}));
    pty.reset();
    char buffer[4];
    const auto start = Clock::now();
    EXPECT_EQ(line.read(buffer, sizeof buffer, 500), -1);
    EXPECT_LT(elapsedMs(start), 400) << "a hung-up line must not look like a quiet one";
}

// --- Writing ------------------------------------------------------------------------------

TEST_F(SerialLineTest, WriteDeliversEveryByteAcrossAFullQueue) {
    // Far more than the pseudo-terminal buffers hold, so writes come back partial or EAGAIN.
    std::string payload(256 * 1024, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 7 + i / 251);
    }
    std::string received;
    std::thread far([&] { received = pty.readMaster(payload.size(), 5000); });
    const long written = line.write(payload.data(), payload.size());
    far.join();
    EXPECT_EQ(written, static_cast<long>(payload.size()));
    EXPECT_TRUE(received == payload) << "received " << received.size() << " bytes";
}

TEST_F(SerialLineTest, WriteStopsAtItsTimeOutWhenNobodyReads) {
    const std::vector<char> payload(1024 * 1024, 'w');
    const auto start = Clock::now();
    const long written = line.write(payload.data(), payload.size(), 100);
    EXPECT_GE(elapsedMs(start), 95);
    EXPECT_LT(elapsedMs(start), 800);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<long>(payload.size()));
    EXPECT_TRUE(line.purge(false, true));
}

// --- Queues -------------------------------------------------------------------------------

TEST_F(SerialLineTest, InputQueueCountsAndPurgeEmptiesIt) {
    EXPECT_EQ(line.inputQueued(), 0);
    ASSERT_TRUE(pty.writeMaster("0123456789"));
    ASSERT_TRUE(waitForInputQueued(line, 10)) << "queued: " << line.inputQueued();

    EXPECT_TRUE(line.purge(false, true));
    EXPECT_EQ(line.inputQueued(), 10) << "purging output must keep the input";

    EXPECT_TRUE(line.purge(true, false));
    EXPECT_EQ(line.inputQueued(), 0);
    char buffer[16];
    EXPECT_EQ(line.read(buffer, sizeof buffer, 50), 0);

    // Bytes arriving after the purge are read normally.
    ASSERT_TRUE(pty.writeMaster("new"));
    EXPECT_EQ(line.readExact(buffer, 3, 1000), 3);
    EXPECT_EQ(std::string(buffer, 3), "new");
}

TEST_F(SerialLineTest, OutputQueueAndDrainAnswerOnAnIdleLine) {
    ASSERT_EQ(line.write("ping", 4), 4);
    EXPECT_TRUE(line.drain());
    EXPECT_GE(line.outputQueued(), 0);
    EXPECT_EQ(pty.readMaster(4, 1000), "ping");
}

} // namespace
} // namespace zeph
