#pragma once

// The two outgoing framers every command uses: SendBinary frames a payload, SendNmea a
// sentence body. Both write at once, or stage while the receiver says it is not ready to take
// commands (MID 18 OkToSend).

#include "common/prompt/prompter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::monitor {

// Frames and sentences held back while the receiver is not ready, in the order they were sent.
class StagingBuffer {
public:
    static constexpr size_t kCapacity = 1024;

    // Appends all n bytes, or nothing when they would not fit.
    bool append(const uint8_t* bytes, size_t n);
    // The staged bytes; the buffer is empty afterwards.
    std::vector<uint8_t> take();
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    std::array<uint8_t, kCapacity> bytes_{};
    size_t size_ = 0;
};

// The serial port's send side as the framers see it.
class OutputPort {
public:
    virtual ~OutputPort() = default;
    // False while the receiver is not ready: writes are staged instead.
    virtual bool sendNow() const = 0;
    virtual void write(const uint8_t* bytes, size_t n) = 0;
    virtual StagingBuffer& staging() = 0;
};

// Frames `payload` and sends or stages it. A payload over 992 bytes is refused with a message
// box. Returns true when the frame was written or staged.
bool SendBinary(OutputPort& port, Prompter& prompter, const uint8_t* payload, size_t n);

// Builds "\r\n$" + body + "*hh\r\n" (hh: XOR of the body's characters) and sends or stages it.
// A body over 990 characters is refused with a message box.
bool SendNmea(OutputPort& port, Prompter& prompter, std::string_view body);

// The message log's line for bytes written to the receiver: "Tx: 0x" and the first 199 bytes
// in hex.
constexpr size_t kTxLogBytes = 199;
std::string txLogLine(const uint8_t* bytes, size_t count);

} // namespace zeph::monitor
