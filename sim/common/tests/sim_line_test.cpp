// The simulators' end of the line, met by a client through the suite's own serial line.

#include "sim/common/sim_line.h"

#include "common/serial/serial_line.h"
#include "common/serial/testing/pty_pair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zeph::simcommon {
namespace {

using namespace std::chrono_literals;

// How long a test waits for bytes to cross the terminal: on a busy machine the kernel may take
// most of a second to hand them over.
constexpr auto kPatience = 10s;
constexpr int kPatienceMs = 10'000;

std::unique_ptr<SimulatorLine> openTerminal() {
    std::string error;
    auto line = SimulatorLine::openPseudoTerminal(LineSettings{}, error);
    EXPECT_TRUE(line) << error;
    return line;
}

// Reads what the client sent, waiting for `count` bytes.
std::string readLine(SimulatorLine& line, size_t count) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + kPatience;
    uint8_t buffer[256];
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
        const long n = line.read(buffer, sizeof buffer);
        EXPECT_GE(n, 0);
        if (n <= 0) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        out.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    }
    return out;
}

// Waits until the client has `count` bytes waiting; false when they do not come.
bool waitQueued(SerialLine& client, int count) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (client.inputQueued() != count) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A new pseudo-terminal with a client on its slave side at the usual settings.
class TerminalWithClient : public ::testing::Test {
protected:
    void SetUp() override {
        line = openTerminal();
        ASSERT_TRUE(line);
        ASSERT_TRUE(client.open(line->path()));
        ASSERT_TRUE(client.configure(LineSettings{}));
    }

    std::unique_ptr<SimulatorLine> line;
    SerialLine client;
};

TEST_F(TerminalWithClient, CarriesBytesBothWays) {

    ASSERT_EQ(client.write("ping", 4, kPatienceMs), 4);
    EXPECT_EQ(readLine(*line, 4), "ping");

    const std::string reply = "pong";
    ASSERT_EQ(line->write(reinterpret_cast<const uint8_t*>(reply.data()), reply.size()), 4);
    char buffer[8] = {};
    ASSERT_EQ(client.readExact(buffer, 4, kPatienceMs), 4);
    EXPECT_EQ(std::string(buffer, 4), "pong");
}

TEST(SimulatorLine, NothingToReadIsZero) {
    auto line = openTerminal();
    ASSERT_TRUE(line);
    uint8_t buffer[16];
    EXPECT_EQ(line->read(buffer, sizeof buffer), 0);
}

TEST(SimulatorLine, ClientReopeningCausesNoHangUp) {
    auto line = openTerminal();
    ASSERT_TRUE(line);
    {
        SerialLine client;
        ASSERT_TRUE(client.open(line->path()));
        ASSERT_TRUE(client.configure(LineSettings{}));
    }
    uint8_t buffer[16];
    EXPECT_EQ(line->read(buffer, sizeof buffer), 0); // no client: nothing, not a failure

    SerialLine again;
    ASSERT_TRUE(again.open(line->path()));
    ASSERT_TRUE(again.configure(LineSettings{}));
    ASSERT_EQ(again.write("back", 4, kPatienceMs), 4);
    EXPECT_EQ(readLine(*line, 4), "back");
}

// The rate and stop bits are read back as the client set them. (A pseudo-terminal may hold
// its own data bits and parity whatever the client asks for, so those are not checked here.)
TEST(SimulatorLine, FarEndSettingsAreTheClients) {
    auto line = openTerminal();
    ASSERT_TRUE(line);
    SerialLine client;
    ASSERT_TRUE(client.open(line->path()));
    LineSettings wanted;
    wanted.baud = 9600;
    wanted.stopBits = 2;
    ASSERT_TRUE(client.configure(wanted));

    const auto far = line->farEndSettings();
    ASSERT_TRUE(far);
    EXPECT_EQ(far->baud, 9600);
    EXPECT_EQ(far->stopBits, 2);
    EXPECT_EQ(line->farEndRate(), 9600u);

    wanted.baud = 4800;
    wanted.stopBits = 1;
    ASSERT_TRUE(client.configure(wanted));
    EXPECT_EQ(line->farEndSettings()->baud, 4800);
    EXPECT_EQ(line->farEndSettings()->stopBits, 1);

    // The terminal's settings belong to the client: a new setting here leaves them alone.
    LineSettings other;
    other.baud = 115200;
    line->reconfigure(other);
    EXPECT_EQ(line->farEndRate(), 4800u);
}

TEST(SimulatorLine, TerminalStartsAtTheGivenRate) {
    LineSettings start;
    start.baud = 38400;
    start.stopBits = 2;
    std::string error;
    auto line = SimulatorLine::openPseudoTerminal(start, error);
    ASSERT_TRUE(line) << error;
    const auto far = line->farEndSettings();
    ASSERT_TRUE(far);
    EXPECT_EQ(far->baud, 38400);
    EXPECT_EQ(far->stopBits, 2);
}

TEST(SimulatorLine, TerminalTakesARateWithoutAStandardCode) {
    LineSettings start;
    start.baud = 12345;
    std::string error;
    auto line = SimulatorLine::openPseudoTerminal(start, error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->farEndRate(), 12345u);
}

TEST_F(TerminalWithClient, UnreadBytesBeyondTheLimitAreLostBeforeTheNextWrite) {
    line->limitUnread(100);

    const std::vector<uint8_t> old(150, 'o');
    ASSERT_EQ(line->write(old.data(), old.size()), 150);
    ASSERT_TRUE(waitQueued(client, 150));
    const uint8_t fresh = 'n';
    ASSERT_EQ(line->write(&fresh, 1), 1);
    EXPECT_EQ(line->unreadDropped(), 150u);
    char got = 0;
    ASSERT_EQ(client.readExact(&got, 1, kPatienceMs), 1);
    EXPECT_EQ(got, 'n');
    EXPECT_TRUE(waitQueued(client, 0));
}

TEST_F(TerminalWithClient, UnreadBytesWithinTheLimitAreKept) {
    line->limitUnread(100);

    const std::vector<uint8_t> bytes(60, 'k');
    ASSERT_EQ(line->write(bytes.data(), bytes.size()), 60);
    ASSERT_TRUE(waitQueued(client, 60));
    ASSERT_EQ(line->write(bytes.data(), bytes.size()), 60);
    EXPECT_TRUE(waitQueued(client, 120));
    EXPECT_EQ(line->unreadDropped(), 0u);
}

TEST(SimulatorLine, WithoutALimitAFullLineTakesNothingAndLosesNothing) {
    auto line = openTerminal();
    ASSERT_TRUE(line);
    const std::vector<uint8_t> chunk(4096, 'x');
    long last = -1;
    for (int i = 0; i < 4096 && last != 0; ++i) {
        last = line->write(chunk.data(), chunk.size());
        ASSERT_GE(last, 0);
    }
    EXPECT_EQ(last, 0);
    EXPECT_EQ(line->unreadDropped(), 0u);
}

TEST(SimulatorLine, WithALimitAFullLineMakesRoomAndCountsWhatItLost) {
    auto line = openTerminal();
    ASSERT_TRUE(line);
    line->limitUnread(1 << 30); // only a full terminal loses anything
    const std::vector<uint8_t> chunk(4096, 'x');
    uint64_t written = 0;
    // How much a terminal holds before it is full depends on the kernel's buffering at the time.
    for (int i = 0; i < 16384 && line->unreadDropped() == 0; ++i) {
        const long n = line->write(chunk.data(), chunk.size());
        ASSERT_GT(n, 0) << "write " << i;
        written += static_cast<uint64_t>(n);
    }
    ASSERT_GT(line->unreadDropped(), 0u);

    // Every byte written is either counted as lost or still there for a client.
    SerialLine client;
    ASSERT_TRUE(client.open(line->path()));
    const size_t kept = written - line->unreadDropped();
    std::vector<char> buffer(kept + 1);
    EXPECT_EQ(client.readExact(buffer.data(), kept, kPatienceMs), static_cast<long>(kept));
    EXPECT_EQ(client.inputQueued(), 0);
}

TEST(SimulatorLine, ExistingDeviceIsConfiguredAndHasNoVisibleFarEnd) {
    testing::PtyPair pair;
    ASSERT_TRUE(pair.valid()) << pair.error();
    LineSettings settings;
    settings.baud = 19200;
    std::string error;
    auto line = SimulatorLine::openDevice(pair.slavePath(), settings, error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->path(), pair.slavePath());
    EXPECT_FALSE(line->farEndSettings());
    EXPECT_FALSE(line->farEndRate());

    ASSERT_TRUE(pair.writeMaster("abc"));
    EXPECT_EQ(readLine(*line, 3), "abc");
    const std::string out = "xyz";
    ASSERT_EQ(line->write(reinterpret_cast<const uint8_t*>(out.data()), out.size()), 3);
    EXPECT_EQ(pair.readMaster(3, kPatienceMs), "xyz");

    line->limitUnread(0); // nothing to trim on a device
    ASSERT_EQ(line->write(reinterpret_cast<const uint8_t*>(out.data()), out.size()), 3);
    EXPECT_EQ(line->unreadDropped(), 0u);
}

TEST(SimulatorLine, MissingDeviceIsAnError) {
    std::string error;
    auto line = SimulatorLine::openDevice("/dev/zeph-no-such-line", LineSettings{}, error);
    EXPECT_FALSE(line);
    EXPECT_NE(error.find("/dev/zeph-no-such-line"), std::string::npos) << error;
}

} // namespace
} // namespace zeph::simcommon
