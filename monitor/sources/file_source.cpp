#include "monitor/sources/file_source.h"

namespace zeph::monitor {

constexpr int kFilePacingMs = 1000;

FileSource::FileSource(const SourceContext& ctx, const std::string& fileName)
    : CaptureSource(ctx, fileName), parser_(ctx.parser, *message_) {}

bool FileSource::open(const std::string& name) {
    return openFile(name, "rb");
}

void FileSource::start() {
    timer_ = ctx_.timers.registerTimer(kPacingTimerId, *this, kFilePacingMs);
}

const RxMessage* FileSource::readNext() {
    return file_ != nullptr ? parser_.readNext(file_) : nullptr;
}

// At the end of the file only the timer stops; the file stays open and the views are not told.
// A read that fails ends the playback the same way, as a failure.
void FileSource::onTimer(int /*clientId*/) {
    if (readNext() == nullptr) {
        stopPacing();
        finished_ = true;
        failed_ = file_ != nullptr && std::ferror(file_) != 0;
    }
}

} // namespace zeph::monitor
