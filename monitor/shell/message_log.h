#pragma once

// The program-wide log: selected receiver messages as text, and the link's own notes, in one
// file. Every 600 s of logged traffic the file is closed and reopened so that what was written
// is safe on disk.

#include "common/clock/clock.h"
#include "monitor/messages/rx_message.h"
#include "monitor/shell/profile_file.h"
#include "monitor/shell/settings.h"

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zeph::monitor {

constexpr std::time_t kAutoSaveSeconds = 600;

// A local time in a strftime format ("%c" for the banner and the window title).
std::string localTimeText(std::time_t when, const char* format);

// Opens a log file for writing, creating it when missing and emptying it when asked, and closes
// it again. Never waits: a FIFO nobody reads fails. False when it cannot be opened.
bool touchLogFile(const std::string& name, bool truncate);

// Whether a log named `name` would write into the monitor's own data: its settings file, the
// capture the settings name as data source, or `playing`. Such a log is refused, never opened.
bool logWouldWriteInto(const ProfileFile& profile, const std::string& name,
                       const std::string& playing = {});

class MessageLog {
public:
    enum class DialogResult { Ok, Cancelled };
    // The "Log File Settings" dialog: stores the file name and selection, creating the file.
    using SettingsDialog = std::function<DialogResult()>;
    // Builds the main window title anew (it shows the log file while one is open).
    using TitleChanged = std::function<void()>;

    MessageLog(Clock& clock, ProfileFile& settings, TitleChanged titleChanged = {});
    ~MessageLog(); // releases the file without the closing line; close() writes it
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    void setSettingsDialog(SettingsDialog dialog) { dialog_ = std::move(dialog); }

    // Loads the log settings; with `ask`, closes any open file and runs the settings dialog
    // first, giving up when it is cancelled. The file must exist; it is opened for appending and
    // gets the opening banner. Returns whether the log is open.
    bool open(bool ask);
    void close();

    // Text exactly as given, only while open.
    void writeText(std::string_view text);
    // While open and the MID is selected: the rendered message and a line end, then the
    // auto-save check.
    void logMessage(const RxMessage& msg);

    bool isOpen() const { return file_ != nullptr; }
    // The error of the first write (or close) of this log that failed, 0 while none has; the
    // window does not report it, a run without windows ends on it.
    int writeError() const { return writeError_; }
    const std::string& fileName() const { return settings_.file; }
    std::time_t openedAt() const { return openedAt_; }

    // A selection string used instead of the stored one by the next opening without the dialog,
    // and by no later one (the command line's --select).
    void setSelection(std::string msgs);
    // Likewise a log file (the command line's --log).
    void setFileName(std::string file);
    // A capture played for this run only, which the log must not be either.
    void setPlaying(std::string capture) { playing_ = std::move(capture); }

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    bool openFile();
    void closeFile();
    void noteWriteError();
    void autoSaveCheck();
    void titleChanged() const;

    Clock& clock_;
    ProfileFile& profile_;
    TitleChanged titleChanged_;
    SettingsDialog dialog_;
    LogSettings settings_;
    std::optional<std::string> selectionOverride_;
    std::optional<std::string> fileOverride_;
    std::string playing_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::time_t openedAt_ = 0;   // shown in the title
    std::time_t lastReopen_ = 0; // the auto-save rule counts from here
    int writeError_ = 0;
    std::string rendered_; // one buffer reused for every message
};

} // namespace zeph::monitor
