#include "monitor/shell/log_file_settings.h"

#include "common/text/strprintf.h"
#include "monitor/messages/message_names.h"
#include "monitor/shell/capture_file.h"
#include "monitor/shell/message_log.h"

#include <algorithm>
#include <filesystem>

namespace zeph::monitor {

namespace {

bool existingFile(const std::string& name) {
    std::error_code ec;
    const auto status = std::filesystem::status(name, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

} // namespace

LogFileSettings::LogFileSettings(ProfileFile& settings) : profile_(settings) {
    log_.load(profile_);
    for (uint8_t mid : kLoggableMids) {
        const bool selected = mid < log_.msgs.size() && log_.msgs[mid] == '1';
        messages_.push_back({mid, strprintf("%03d  %s", mid, displayName(mid).c_str()), selected});
    }
}

void LogFileSettings::setSelected(uint8_t mid, bool selected) {
    for (LoggableMessage& m : messages_) {
        if (m.mid == mid) {
            m.selected = selected;
        }
    }
}

void LogFileSettings::selectAll() {
    for (LoggableMessage& m : messages_) {
        m.selected = true;
    }
}

void LogFileSettings::selectNone() {
    for (LoggableMessage& m : messages_) {
        m.selected = false;
    }
}

std::vector<uint8_t> LogFileSettings::selectedMids() const {
    std::vector<uint8_t> mids;
    for (const LoggableMessage& m : messages_) {
        if (m.selected) {
            mids.push_back(m.mid);
        }
    }
    return mids;
}

LogFileSettings::Outcome LogFileSettings::accept(const std::string& name,
                                                 const std::vector<uint8_t>& selectedMids,
                                                 Prompter& prompter, LogFileQuestion& question) {
    if (name.empty()) {
        prompter.tell(logdialog::kNameRequired);
        return Outcome::StayOpen;
    }
    // Overwritten or appended to, the settings file or the capture played would be lost.
    if (logWouldWriteInto(profile_, name)) {
        prompter.tell(logdialog::kCannotCreate);
        return Outcome::StayOpen;
    }
    bool ready = true;
    if (existingFile(name)) {
        switch (question.askExistingFile()) {
        case LogFileQuestion::Choice::Reselect:
            return Outcome::Reselect;
        case LogFileQuestion::Choice::Overwrite:
            ready = touchLogFile(name, true);
            break;
        case LogFileQuestion::Choice::Append:
            break;
        }
    } else {
        ready = touchLogFile(name, false);
    }
    if (!ready) {
        prompter.tell(logdialog::kCannotCreate);
        return Outcome::StayOpen;
    }

    log_.file = absoluteFileName(name); // the next run logs there from any folder
    if (log_.msgs.size() < settings::kMsgsLength) {
        log_.msgs.resize(settings::kMsgsLength, '0');
    }
    for (uint8_t mid : kLoggableMids) {
        const bool selected =
            std::find(selectedMids.begin(), selectedMids.end(), mid) != selectedMids.end();
        log_.msgs[mid] = selected ? '1' : '0';
        setSelected(mid, selected);
    }
    log_.save(profile_);
    return Outcome::Accepted;
}

} // namespace zeph::monitor
