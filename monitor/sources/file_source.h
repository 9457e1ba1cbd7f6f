#pragma once

#include "monitor/sources/data_source.h"
#include "monitor/link/playback_parser.h"

#include <cstdio>

namespace zeph::monitor {

// A binary capture file, played at 1000 bytes a second whatever its time tags.
class FileSource : public DataSource {
public:
    FileSource(const SourceContext& ctx, const std::string& fileName);
    ~FileSource() override;

    bool open(const std::string& name) override;
    void start() override;
    void close() override;
    const RxMessage* readNext() override;
    void onTimer(int clientId) override;
    bool finished() const override { return finished_; }

private:
    // Each file starts its parser afresh, so a file cut short cannot spoil the next one.
    PlaybackParser parser_;
    std::FILE* file_ = nullptr;
    int timer_ = 0;
    bool finished_ = false;
};

} // namespace zeph::monitor
