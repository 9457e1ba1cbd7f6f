#include "monitor/sources/file_source.h"

namespace zeph::monitor {

constexpr int kFilePacingMs = 1000;

FileSource::FileSource(const SourceContext& ctx, const std::string& fileName)
    : DataSource(ctx, fileName), parser_(ctx.parser, *message_) {}

FileSource::~FileSource() {
    close();
}

bool FileSource::open(const std::string& name) {
    DataSource::open(name);
    file_ = std::fopen(name_.c_str(), "rb");
    open_ = file_ != nullptr;
    return open_;
}

void FileSource::start() {
    timer_ = ctx_.timers.registerTimer(kPacingTimerId, *this, kFilePacingMs);
}

void FileSource::close() {
    ctx_.timers.killTimer(timer_);
    timer_ = 0;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    open_ = false;
}

const RxMessage* FileSource::readNext() {
    return file_ != nullptr ? parser_.readNext(file_) : nullptr;
}

// At the end of the file only the timer stops; the file stays open and the views are not told.
// A read that fails ends the playback the same way, as a failure.
void FileSource::onTimer(int /*clientId*/) {
    if (readNext() == nullptr) {
        ctx_.timers.killTimer(timer_);
        timer_ = 0;
        finished_ = true;
        failed_ = file_ != nullptr && std::ferror(file_) != 0;
    }
}

} // namespace zeph::monitor
