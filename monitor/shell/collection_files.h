#pragma once

// The almanac and ephemeris collections as files: the file dialogs of Poll > Almanac and
// Ephemeris and of Set Almanac and Ephemeris (their titles, default names and filters, and the
// dialog error), the names a poll leaves pending until its collection is complete, the save
// itself, and loading a file and sending what it holds. The Qt side only runs the dialogs.

#include "common/prompt/prompter.h"
#include "monitor/messages/program_state.h"
#include "monitor/shell/send_data.h"

#include <ctime>
#include <string>

namespace zeph::monitor {

enum class Collection { Almanac, Ephemeris };

namespace collectionfile {

constexpr const char* kAlmanacSaveTitle = "  Specify Almanac Data Filename To Save";
constexpr const char* kAlmanacLoadTitle = "  Specify Almanac Data Filename To Load";
constexpr const char* kAlmanacDefaultName = "almanac.alm";
constexpr const char* kAlmanacFilter = "Almanac Files (*.alm)|*.alm|All Files (*.*)|*.*||";
constexpr const char* kEphemerisSaveTitle = "  Specify Ephemeris Data Filename To Save";
constexpr const char* kEphemerisLoadTitle = "  Specify Ephemeris Data Filename To Load";
constexpr const char* kEphemerisDefaultName = "ephemris.eph";
constexpr const char* kEphemerisFilter = "Ephemeris Files (*.eph)|*.eph|All Files (*.*)|*.*||";

constexpr const char* kCannotOpenAlmanac = "Cannot open almanac file!";
constexpr const char* kCannotOpenEphemeris = "Cannot open ephemeris file!";
constexpr const char* kAlmanacWritten = "Almanac Data Written to:\n\n";
constexpr const char* kEphemerisWritten = "Ephemeris Data Written to:\n\n";
// Ours: a file that opened but could not be written whole (a full disk); the old file, if any,
// is kept, and the reason follows on a line of its own.
constexpr const char* kCannotWriteAlmanac = "Cannot write almanac file!";
constexpr const char* kCannotWriteEphemeris = "Cannot write ephemeris file!";
constexpr const char* kDialogError = "CFileDialog Extended Error:0x%X";

// The dialog error codes of a name the file system cannot take: one longer than a path may be,
// or with a part longer than a file name may be.
constexpr unsigned kNameTooLong = 0x3003;
constexpr unsigned kInvalidName = 0x3002;

} // namespace collectionfile

// One of the four file dialogs. A save dialog asks before overwriting and needs an existing
// folder; a load dialog needs an existing file. Both are centred on the main window.
struct CollectionFileDialog {
    Collection collection;
    const char* title;
    const char* defaultName;
    const char* filter;
    bool save;
};
CollectionFileDialog collectionFileDialog(Collection collection, bool save);

// What a file dialog ended with: the chosen name (empty when none) and the dialog's error code
// (0 when none).
struct ChosenFile {
    std::string name;
    unsigned error = 0;
};

// What the save dialog says to a name it refuses, staying open: a read-only file, or a folder
// that does not exist (the file could not be created); nullptr when the name will do.
const char* saveNameRefusal(Collection collection, const std::string& name);

// The error a chosen name gives on this system (0 when the name can be used).
unsigned fileNameError(const std::string& name);

// The name to use: the chosen one, or an empty one after the dialog error message when the
// dialog ended without a choice and reported an error.
std::string acceptChosenFile(ChosenFile chosen, Prompter& prompter);

class CollectionFiles {
public:
    explicit CollectionFiles(Prompter& prompter) : prompter_(prompter) {}

    // A poll was sent for `name`; its collection is saved there once complete.
    void setPending(Collection collection, std::string name);
    const std::string& pending(Collection collection) const;

    // The collection is complete: the pending file is written from the table with the collection
    // time, the user is told where, and the name is cleared. A file that cannot be created is
    // told and the name stays pending. A collection no poll asked for (one played from a capture)
    // is not saved.
    void save(Collection collection, const ProgramState& state, std::time_t nowUtc);

    // Set Almanac: MID 130 with the file's 448 words; nothing is sent when the file has a format
    // error, which is told. True when sent.
    bool sendAlmanac(const std::string& name, CommandOutput& output);
    // Set Ephemeris: MID 149 for each satellite line numbered 1 to 32, in file order; a format
    // error is told after the satellites before it went. The number of commands sent.
    int sendEphemeris(const std::string& name, CommandOutput& output);

private:
    Prompter& prompter_;
    std::string almanacName_;
    std::string ephemerisName_;
};

} // namespace zeph::monitor
