#pragma once

// The rules of the "Log File Settings" dialog: which MIDs may be logged, their labels and
// selection, and what OK does with the chosen file name. The Qt dialog only shows them.

#include "common/prompt/prompter.h"
#include "monitor/shell/profile_file.h"
#include "monitor/shell/settings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zeph::monitor {

namespace logdialog {

constexpr const char* kTitle = "Log File Settings";
constexpr const char* kFileNameLabel = "Filename:";
constexpr const char* kListLabel = "Messages Available for Logging:";
constexpr const char* kSelectAll = "Select &All";
constexpr const char* kSelectNone = "Select &None";
constexpr const char* kBrowseTitle = "Specify a Name for the Log File";
constexpr const char* kBrowseFilter =
    "GPS Files (*.gps)|*.gps|Log Files (*.log)|*.log|All Files (*.*)|*.*||";

constexpr const char* kNameRequired = "A filename is required for output to a Log File.";
constexpr const char* kCannotCreate =
    "Log File can not be created as specified.  Check if path is correct.";

constexpr const char* kExistsTitle = "ZephMon";
constexpr const char* kExistsText = "This file currently exists.  Do you wish to overwrite it, "
                                    "append to it, or select another file?";
constexpr const char* kOverwrite = "&Overwrite";
constexpr const char* kAppend = "&Append";
constexpr const char* kReselect = "&Reselect";

} // namespace logdialog

// MIDs offered for logging, in list order.
constexpr std::array<uint8_t, 24> kLoggableMids = {1,  2,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                                   14, 15, 17, 19, 28, 29, 30, 31, 41, 48, 50, 255};

// The question asked when the chosen log file exists (title logdialog::kExistsTitle, text
// logdialog::kExistsText, buttons kOverwrite, kAppend, kReselect).
class LogFileQuestion {
public:
    enum class Choice { Overwrite, Append, Reselect };
    virtual ~LogFileQuestion() = default;
    virtual Choice askExistingFile() = 0;
};

struct LoggableMessage {
    uint8_t mid;
    std::string label; // "%03d  %s": MID and display name
    bool selected;
};

class LogFileSettings {
public:
    // What OK leads to: the dialog closes with OK; stays open with the focus on the file name
    // edit; or stays open for another choice of file, nothing saved.
    enum class Outcome { Accepted, StayOpen, Reselect };

    // Loads the stored file name and selection.
    explicit LogFileSettings(ProfileFile& settings);

    const std::string& fileName() const { return log_.file; }
    const std::vector<LoggableMessage>& messages() const { return messages_; }
    void setSelected(uint8_t mid, bool selected);
    void selectAll();
    void selectNone();
    std::vector<uint8_t> selectedMids() const;

    // OK with the name in the edit and the MIDs selected in the list. On Accepted the file
    // exists (created empty, emptied, or kept for appending) and "File" and "Msgs" are saved.
    Outcome accept(const std::string& name, const std::vector<uint8_t>& selectedMids,
                   Prompter& prompter, LogFileQuestion& question);

private:
    ProfileFile& profile_;
    LogSettings log_;
    std::vector<LoggableMessage> messages_;
};

} // namespace zeph::monitor
