#pragma once

// TargetPort over a serial line.

#include "common/serial/port_names.h"
#include "common/serial/serial_line.h"
#include "flash/engine/link/target_port.h"

#include <string>

namespace zeph::flash {

class SerialTargetPort final : public TargetPort {
public:
    explicit SerialTargetPort(PortEnvironment env = {});
    ~SerialTargetPort() override;

    bool open(const std::string& name, int baud) override;
    void close() override;
    bool isOpen() const override { return line_.isOpen(); }
    long read(uint8_t* buffer, std::size_t count) override;
    long write(const uint8_t* buffer, std::size_t count) override;
    int errorCode() const override { return errorCode_; }
    void purge() override;
    std::string openError() const override { return openError_; }

private:
    PortEnvironment env_;
    SerialLine line_;
    int errorCode_ = 0;
    std::string openError_;
};

} // namespace zeph::flash
