#pragma once

// The port objects of the dashboard. The receive side of the timer chain needs only two
// operations (ReceivePort); the settings rules and the command window use the whole object.
// An open that fails is learned only by asking isOpen() afterwards.

#include <string>

namespace zeph::dashboard {

class ReceivePort {
public:
    virtual ~ReceivePort() = default;
    virtual bool isOpen() const = 0;
    // Everything received since the last read, the receive queue emptied.
    virtual std::string readAll() = 0;
};

class PortObject : public ReceivePort {
public:
    virtual void setPort(int comNumber) = 0;
    // Speed, parity, data bits and stop bits, e.g. "4800,n,8,1".
    virtual void setSettings(const std::string& settings) = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual void write(const std::string& text) = 0;
};

// The settings string for a speed field: the speed text without its padding, then ",n,8,1".
std::string portSettings(const std::string& speedText);

} // namespace zeph::dashboard
