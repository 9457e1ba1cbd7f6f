#include "monitor/shell/data_source_setup.h"

#include "monitor/shell/capture_file.h"
#include "monitor/shell/settings.h"

namespace zeph::monitor {

DataSourceSetup::DataSourceSetup(ProfileFile& settings) : profile_(settings) {
    DataSourceSettings stored;
    stored.load(profile_);
    loaded_ = {stored.src, stored.serPort, stored.serBaud, stored.fileName, stored.fileType};
}

std::optional<DataSourceSetup::Failure> DataSourceSetup::check(const DataSourceEntries& entries) {
    using namespace sourcedialog;
    if (entries.src == kSourceSerial) {
        if (entries.serPort.empty()) {
            return Failure{kPortRequired, Field::Port};
        }
        if (entries.serBaud.empty()) {
            return Failure{kBaudRequired, Field::Baud};
        }
    } else if (entries.src == kSourceFile) {
        if (entries.fileName.empty()) {
            return Failure{kNameRequired, Field::FileName};
        }
        if (!opensAsCapture(entries.fileName)) {
            return Failure{kCannotOpen, Field::FileName};
        }
        if (entries.fileType.empty()) {
            return Failure{kTypeRequired, Field::Format};
        }
    }
    return std::nullopt;
}

DataSourceSetup::Outcome DataSourceSetup::accept(const DataSourceEntries& entries,
                                                 Prompter& prompter) {
    if (const std::optional<Failure> failure = check(entries)) {
        prompter.tell(failure->message);
        return {false, failure->focus};
    }
    using namespace settings;
    profile_.writeInt(kDataSrc, kSrc, entries.src);
    profile_.writeString(kDataSrc, kSerPort, entries.serPort);
    profile_.writeString(kDataSrc, kSerBaud, entries.serBaud);
    // A capture is kept by its absolute name, so the next run finds it from any folder.
    DataSourceEntries stored = entries;
    if (stored.src == kSourceFile) {
        stored.fileName = absoluteFileName(stored.fileName);
    }
    profile_.writeString(kDataSrc, kFileName, stored.fileName);
    profile_.writeString(kDataSrc, kFileType, stored.fileType);
    loaded_ = stored;
    return {true, Field::None};
}

} // namespace zeph::monitor
