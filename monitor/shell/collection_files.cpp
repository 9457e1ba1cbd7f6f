#include "monitor/shell/collection_files.h"

#include "monitor/commands/almanac_file.h"
#include "monitor/commands/command_builders.h"

#include "common/files/replaced_file.h"
#include "common/text/strprintf.h"

#include <climits>
#include <filesystem>
#include <fstream>

namespace zeph::monitor {

using namespace collectionfile;

CollectionFileDialog collectionFileDialog(Collection collection, bool save) {
    if (collection == Collection::Almanac) {
        return {collection, save ? kAlmanacSaveTitle : kAlmanacLoadTitle, kAlmanacDefaultName,
                kAlmanacFilter, save};
    }
    return {collection, save ? kEphemerisSaveTitle : kEphemerisLoadTitle, kEphemerisDefaultName,
            kEphemerisFilter, save};
}

const char* saveNameRefusal(Collection collection, const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string error;
    // A regular file or none, in a folder that takes a new file beside it; not a device, FIFO
    // or folder, which a save would never replace.
    bool refused = !files::ReplacedFile::open(name, error);
    if (!refused && fs::exists(name, ec)) {
        // Read-only by its permissions, whoever runs the program.
        const fs::perms writable =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        refused = (fs::status(name, ec).permissions() & writable) == fs::perms::none;
    }
    if (!refused) {
        return nullptr;
    }
    return collection == Collection::Almanac ? kCannotOpenAlmanac : kCannotOpenEphemeris;
}

unsigned fileNameError(const std::string& name) {
    if (name.size() >= PATH_MAX) {
        return kNameTooLong;
    }
    for (const auto& part : std::filesystem::path(name)) {
        if (part.native().size() > NAME_MAX) {
            return kInvalidName;
        }
    }
    return 0;
}

std::string acceptChosenFile(ChosenFile chosen, Prompter& prompter) {
    if (chosen.error == 0 && !chosen.name.empty()) {
        chosen.error = fileNameError(chosen.name);
    }
    if (chosen.error != 0) {
        prompter.tell(strprintf(kDialogError, chosen.error), Prompter::Icon::Warning);
        return {};
    }
    return chosen.name;
}

void CollectionFiles::setPending(Collection collection, std::string name) {
    (collection == Collection::Almanac ? almanacName_ : ephemerisName_) = std::move(name);
}

const std::string& CollectionFiles::pending(Collection collection) const {
    return collection == Collection::Almanac ? almanacName_ : ephemerisName_;
}

void CollectionFiles::save(Collection collection, const ProgramState& state, std::time_t nowUtc) {
    const bool almanac = collection == Collection::Almanac;
    std::string& name = almanac ? almanacName_ : ephemerisName_;
    if (name.empty()) {
        return;
    }
    std::string error;
    const std::optional<files::ReplacedFile> file = files::ReplacedFile::open(name, error);
    if (!file) {
        prompter_.tell(almanac ? kCannotOpenAlmanac : kCannotOpenEphemeris);
        return;
    }
    const std::string text = almanac ? almanacFileText(state.almanac, nowUtc)
                                     : ephemerisFileText(state.ephemeris, nowUtc);
    if (!file->write(text, false, error)) {
        prompter_.tell(std::string(almanac ? kCannotWriteAlmanac : kCannotWriteEphemeris) + "\n" +
                       error);
        return;
    }
    prompter_.tell((almanac ? kAlmanacWritten : kEphemerisWritten) + name,
                   Prompter::Icon::Information);
    name.clear();
}

namespace {

// Only a regular file is read: a device or FIFO named by mistake would hold the window.
bool openRegular(const std::string& name, std::ifstream& in) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) {
        in.open(name);
    }
    return in.is_open();
}

} // namespace

bool CollectionFiles::sendAlmanac(const std::string& name, CommandOutput& output) {
    std::ifstream in;
    const auto words = openRegular(name, in) ? loadAlmanacFile(in) : std::nullopt;
    if (!words) {
        prompter_.tell(kAlmanacFormatError, Prompter::Icon::Warning);
        return false;
    }
    const std::vector<uint8_t> payload = setAlmanacPayload(*words);
    output.sendBinary(payload.data(), payload.size());
    return true;
}

int CollectionFiles::sendEphemeris(const std::string& name, CommandOutput& output) {
    std::ifstream in;
    EphemerisFile file;
    if (openRegular(name, in)) {
        file = loadEphemerisFile(in);
    } else {
        file.formatError = true;
    }
    for (const auto& words : file.satellites) {
        const std::vector<uint8_t> payload = setEphemerisPayload(words);
        output.sendBinary(payload.data(), payload.size());
    }
    if (file.formatError) {
        prompter_.tell(kEphemerisFormatError, Prompter::Icon::Warning);
    }
    return static_cast<int>(file.satellites.size());
}

} // namespace zeph::monitor
