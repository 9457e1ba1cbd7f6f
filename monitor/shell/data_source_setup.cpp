#include "monitor/shell/data_source_setup.h"

#include "monitor/shell/settings.h"

#include <cstdio>
#include <filesystem>

namespace zeph::monitor {

namespace {

// The binary file source reads the file with the C library; a folder opens there too but gives
// no data, so it counts as a file that cannot be opened.
bool opensForReading(const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        return false;
    }
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

} // namespace

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
        if (!opensForReading(entries.fileName)) {
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
    profile_.writeString(kDataSrc, kFileName, entries.fileName);
    profile_.writeString(kDataSrc, kFileType, entries.fileType);
    loaded_ = entries;
    return {true, Field::None};
}

} // namespace zeph::monitor
