#include "monitor/shell/message_log.h"

#include "common/text/strprintf.h"
#include "common/version/version.h"
#include "monitor/messages/message_renderer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>

namespace zeph::monitor {

namespace {

constexpr size_t kTimeTextBytes = 128;

} // namespace

std::string localTimeText(std::time_t when, const char* format) {
    std::tm local{};
    localtime_r(&when, &local);
    std::array<char, kTimeTextBytes> text{};
    const size_t n = std::strftime(text.data(), text.size(), format, &local);
    return std::string(text.data(), n);
}

bool touchLogFile(const std::string& name, bool truncate) {
    const int fd = ::open(
        name.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0666);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec; // a name that does not exist is no file of ours
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec);
}

} // namespace

bool logWouldWriteInto(const ProfileFile& profile, const std::string& name,
                       const std::string& playing) {
    DataSourceSettings source;
    source.load(profile);
    return sameFile(name, profile.path().string()) || sameFile(name, playing) ||
           (source.src == 1 && sameFile(name, source.fileName));
}

MessageLog::MessageLog(Clock& clock, ProfileFile& settings, TitleChanged titleChanged)
    : clock_(clock), profile_(settings), titleChanged_(std::move(titleChanged)) {}

MessageLog::~MessageLog() = default;

void MessageLog::setSelection(std::string msgs) {
    selectionOverride_ = std::move(msgs);
    settings_.msgs = *selectionOverride_;
}

void MessageLog::setFileName(std::string file) {
    fileOverride_ = std::move(file);
    settings_.file = *fileOverride_;
}

bool MessageLog::open(bool ask) {
    settings_.load(profile_);
    if (ask) {
        close();
        if (!dialog_ || dialog_() != DialogResult::Ok) {
            return false;
        }
        settings_.load(profile_); // the dialog has stored the new choice
    } else if (isOpen()) {
        close();
    }
    // The command line's choices serve the first opening; what the dialog stores wins over them.
    if (selectionOverride_ && !ask) {
        settings_.msgs = *selectionOverride_;
    }
    if (fileOverride_ && !ask) {
        settings_.file = *fileOverride_;
    }
    selectionOverride_.reset();
    fileOverride_.reset();
    if (!openFile()) {
        return false;
    }
    writeError_ = 0;
    openedAt_ = clock_.wallTime();
    lastReopen_ = openedAt_;
    writeText(strprintf("ZephMon Version " ZEPHMON_VERSION " log file opened %s\n\n",
                        localTimeText(openedAt_, "%c").c_str()));
    titleChanged();
    return true;
}

// Appends to the existing file; others may not write it while the log holds it. Opening never
// waits (a FIFO nobody reads is refused); writing then may.
bool MessageLog::openFile() {
    if (logWouldWriteInto(profile_, settings_.file, playing_)) {
        return false;
    }
    const int fd = ::open(settings_.file.c_str(), O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    file_.reset(::fdopen(fd, "a"));
    if (!file_) {
        ::close(fd);
        return false;
    }
    return true;
}

void MessageLog::close() {
    if (!isOpen()) {
        return;
    }
    const std::time_t now = clock_.wallTime();
    writeText(strprintf("\nLog file closed %s\n", localTimeText(now, "%c").c_str()));
    closeFile();
    titleChanged();
}

// What is still buffered is written now, so a full disk shows here at the latest.
void MessageLog::closeFile() {
    if (std::fclose(file_.release()) != 0) {
        noteWriteError();
    }
}

void MessageLog::noteWriteError() {
    if (writeError_ == 0) {
        writeError_ = errno != 0 ? errno : EIO;
    }
}

void MessageLog::writeText(std::string_view text) {
    if (isOpen() && std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) {
        noteWriteError();
    }
}

void MessageLog::logMessage(const RxMessage& msg) {
    // The selection string is indexed by MID; a character past its end is "not selected"
    // rather than a read past the string.
    if (!isOpen() || msg.mid >= settings_.msgs.size() || settings_.msgs[msg.mid] != '1') {
        return;
    }
    if (renderMessage(msg, rendered_)) {
        rendered_ += '\n';
        writeText(rendered_);
    }
    autoSaveCheck();
}

void MessageLog::autoSaveCheck() {
    const std::time_t now = clock_.wallTime();
    if (now - lastReopen_ < kAutoSaveSeconds) {
        return;
    }
    lastReopen_ = now;
    writeText(strprintf("Start Auto-saving: %s\n", localTimeText(now, "%H:%M:%S").c_str()));
    closeFile();
    if (!openFile()) {
        titleChanged(); // logging stops without a message; the title drops the log
        return;
    }
    writeText("End Auto-saving\n");
}

void MessageLog::titleChanged() const {
    if (titleChanged_) {
        titleChanged_();
    }
}

} // namespace zeph::monitor
