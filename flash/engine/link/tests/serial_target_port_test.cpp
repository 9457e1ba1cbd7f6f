// The link over a real pseudo-terminal: bytes reach the far end exactly, replies come back.

#include "common/clock/clock.h"
#include "common/serial/testing/pty_pair.h"
#include "flash/engine/link/serial_target_port.h"
#include "flash/engine/link/target_link.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zeph::flash {
namespace {

TEST(SerialTargetPort, PacketsCrossAPseudoTerminalExactly) {
    zeph::testing::PtyPair pty;
    ASSERT_TRUE(pty.valid()) << pty.error();

    // "COM7" resolves through the environment to the pseudo-terminal.
    PortEnvironment env;
    const std::string slave = pty.slavePath();
    env.getenv = [slave](const std::string& name) -> std::optional<std::string> {
        if (name == "ZEPH_COM7") {
            return slave;
        }
        return std::nullopt;
    };
    SerialTargetPort port(env);
    SystemClock clock;
    TargetLink link(port, clock);
    ASSERT_TRUE(link.OpenPort("COM7", 115200)) << port.openError();

    // The reply waits on the line before the command goes out.
    ASSERT_TRUE(pty.writeMaster(std::string("\x06\x00\x06\x0f\x03\x00\x05\x00\x02\xe1", 10)));
    const auto status = link.GetStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, (TargetStatus{3, 5, 0, 2}));
    EXPECT_EQ(pty.readMaster(4, 1000), std::string("\x00\x01\x0e\xf1", 4));
    EXPECT_EQ(pty.readMaster(1, 1000), std::string("\x06", 1));
    link.ClosePort();
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialTargetPort, ReadGathersBytesUntilTheCountIsIn) {
    zeph::testing::PtyPair pty;
    ASSERT_TRUE(pty.valid()) << pty.error();
    SerialTargetPort port;
    ASSERT_TRUE(port.open(pty.slavePath(), 38400)) << port.openError();
    ASSERT_TRUE(pty.writeMaster("abc"));
    uint8_t buffer[3] = {};
    EXPECT_EQ(port.read(buffer, 2), 2);
    EXPECT_EQ(buffer[1], 'b');
    EXPECT_EQ(port.read(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'c');
    ASSERT_EQ(port.write(reinterpret_cast<const uint8_t*>("xy"), 2), 2);
    EXPECT_EQ(pty.readMaster(2, 1000), "xy");
}

TEST(SerialTargetPort, BytesLeftOnTheLineBeforeOpenAreDropped) {
    zeph::testing::PtyPair pty;
    ASSERT_TRUE(pty.valid()) << pty.error();
    ASSERT_TRUE(pty.writeMaster(std::string("\x2d\x00\x02", 3))); // a killed run's reply
    SerialTargetPort port;
    ASSERT_TRUE(port.open(pty.slavePath(), 38400)) << port.openError();
    ASSERT_TRUE(pty.writeMaster("A"));
    uint8_t byte = 0;
    EXPECT_EQ(port.read(&byte, 1), 1);
    EXPECT_EQ(byte, 'A');
}

TEST(SerialTargetPort, AStopEndsAWriteThatTheLineDoesNotTake) {
    auto pty = std::make_unique<zeph::testing::PtyPair>();
    ASSERT_TRUE(pty->valid()) << pty->error();
    SerialTargetPort port;
    ASSERT_TRUE(port.open(pty->slavePath(), 38400)) << port.openError();
    const auto stopAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    port.setStopCheck([stopAt] { return std::chrono::steady_clock::now() > stopAt; });
    const std::vector<uint8_t> bytes(1 << 20); // far more than the line holds; nobody reads
    std::promise<long> written;
    std::future<long> result = written.get_future();
    std::thread writer([&] { written.set_value(port.write(bytes.data(), bytes.size())); });
    const bool ended = result.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended) {
        pty.reset(); // the far end goes, which ends a write that would wait for ever
    }
    writer.join();
    EXPECT_TRUE(ended);
    EXPECT_EQ(result.get(), -1);
    EXPECT_EQ(port.errorCode(), EINTR);
}

} // namespace
} // namespace zeph::flash
