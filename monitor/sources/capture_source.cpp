#include "monitor/sources/capture_source.h"

namespace zeph::monitor {

CaptureSource::~CaptureSource() {
    CaptureSource::close();
}

bool CaptureSource::openFile(const std::string& name, const char* mode) {
    DataSource::open(name);
    file_ = std::fopen(name_.c_str(), mode);
    open_ = file_ != nullptr;
    return open_;
}

void CaptureSource::stopPacing() {
    ctx_.timers.killTimer(timer_);
    timer_ = 0;
}

void CaptureSource::close() {
    stopPacing();
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    open_ = false;
}

} // namespace zeph::monitor
