#pragma once

// PortObject on a serial line. Port n is the name "COMn" resolved as every port name of the
// suite is (ZEPH_COMn, else /dev/ttyS<n-1>); a device path may be given instead. The port is
// claimed with an exclusive lock, so a second port object (or another program that locks) on
// the same device fails to open, as a busy COM port does.

#include "dashboard/core/nmea_port.h"

#include "common/serial/port_names.h"
#include "common/serial/serial_line.h"

#include <optional>
#include <string>

namespace zeph::dashboard {

// "4800,n,8,1" into line settings; none when the text is not a speed, parity, data bits and
// stop bits the line can take.
std::optional<LineSettings> parsePortSettings(const std::string& settings);

class SerialNmeaPort : public PortObject {
public:
    explicit SerialNmeaPort(PortEnvironment env = {}) : env_(std::move(env)) {}

    void setPort(int comNumber) override;
    // A device path used as it is (or any name resolvePortName takes).
    void setPortName(const std::string& name) { name_ = name; }
    void setSettings(const std::string& settings) override { settings_ = settings; }
    void open() override;
    void close() override;
    bool isOpen() const override { return line_.isOpen(); }
    std::string readAll() override;
    void write(const std::string& text) override;

    // Why the last open failed (empty after a good open).
    const std::string& lastError() const { return lastError_; }

private:
    PortEnvironment env_;
    std::string name_;
    std::string settings_;
    std::string lastError_;
    SerialLine line_;
};

} // namespace zeph::dashboard
