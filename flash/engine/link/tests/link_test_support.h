#pragma once

// Shared set-up for the link tests: a fake port on a fake clock, verbose text collected.

#include "common/clock/clock.h"
#include "flash/engine/link/target_link.h"
#include "flash/engine/link/testing/fake_target_port.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zeph::flash {

using Bytes = std::vector<uint8_t>;

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link.OpenPort("COM1", 38400));
        link.setTextSink([this](std::string_view t) { text += t; });
    }

    // The target acknowledges the command and answers with `replyPayload`.
    void answer(const Bytes& replyPayload) {
        port.pushInput({kAck});
        port.pushInput(buildPacket(replyPayload));
    }

    Bytes firstWrite() const {
        const auto w = port.writes();
        return w.empty() ? Bytes{} : w.front();
    }

    FakeClock clock;
    testing::FakeTargetPort port{&clock};
    TargetLink link{port, clock};
    std::string text;
};

} // namespace zeph::flash
