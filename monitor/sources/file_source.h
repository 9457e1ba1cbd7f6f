#pragma once

#include "monitor/link/playback_parser.h"
#include "monitor/sources/capture_source.h"

namespace zeph::monitor {

// A binary capture file, played at 1000 bytes a second whatever its time tags.
class FileSource : public CaptureSource {
public:
    FileSource(const SourceContext& ctx, const std::string& fileName);

    bool open(const std::string& name) override;
    void start() override;
    const RxMessage* readNext() override;
    void onTimer(int clientId) override;

private:
    // Each file starts its parser afresh, so a file cut short cannot spoil the next one.
    PlaybackParser parser_;
};

} // namespace zeph::monitor
