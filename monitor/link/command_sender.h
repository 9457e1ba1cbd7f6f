#pragma once

#include <cstddef>
#include <cstdint>

namespace zeph::monitor {

// The document's way of sending a binary command payload to the receiver (framed by SendBinary).
class CommandSender {
public:
    virtual ~CommandSender() = default;
    virtual void sendBinary(const uint8_t* payload, size_t length) = 0;
};

} // namespace zeph::monitor
