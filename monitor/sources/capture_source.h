#pragma once

// What the two capture players share: the open capture file, the pacing timer and the end of
// the playback.

#include "monitor/sources/data_source.h"

#include <cstdio>

namespace zeph::monitor {

class CaptureSource : public DataSource {
public:
    ~CaptureSource() override;

    // Closes the file and stops the pacing.
    void close() override;
    bool finished() const override { return finished_; }

protected:
    CaptureSource(const SourceContext& ctx, const std::string& fileName)
        : DataSource(ctx, fileName) {}

    // Opens the capture (a non-empty name replaces the stored one) with fopen's `mode`.
    bool openFile(const std::string& name, const char* mode);
    void stopPacing();

    std::FILE* file_ = nullptr;
    int timer_ = 0;
    bool finished_ = false;
};

} // namespace zeph::monitor
