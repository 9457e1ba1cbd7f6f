#pragma once

// The rules of the "Data Source Setup" dialog: its texts, what it loads, which boxes each choice
// enables, the checks on OK in their order, and the five keys it saves. The Qt dialog only shows
// them.

#include "common/prompt/prompter.h"
#include "monitor/shell/profile_file.h"

#include <array>
#include <optional>
#include <string>

namespace zeph::monitor {

namespace sourcedialog {

constexpr const char* kTitle = "Data Source Setup";
constexpr const char* kSerialChoice = "&Serial Port:";
constexpr const char* kFileChoice = "&File:";
constexpr const char* kRandomChoice = "&Random";
constexpr const char* kBrowse = "&Browse...";
constexpr const char* kFormatLabel = "Format:";
constexpr const char* kBrowseTitle = "Specify a Binary Source Data File";
constexpr const char* kBrowseFilter = "All Files (*.*)|*.*||";

constexpr const char* kPortRequired = "A serial port is required to load measured data from a "
                                      "serial connection. Return to data source setup.";
constexpr const char* kBaudRequired = "A baud rate is required to load measured data from a serial "
                                      "connection. Return to data source setup.";
constexpr const char* kNameRequired = "A file name is required to load measured data from a file.";
constexpr const char* kCannotOpen = "A problem occurred with opening the specified file.";
constexpr const char* kTypeRequired = "A file type is required to load measured data from a file.";

// The rates offered in the baud box; any other rate can be typed. The port box lists the ports
// the system has (listPorts).
constexpr std::array<const char*, 8> kBaudRates = {"1200",  "2400",  "4800",  "9600",
                                                   "19200", "38400", "57600", "115200"};
// The values of "FileType" the format box lists: "CSV" selects the text source, anything else
// the binary file source.
constexpr std::array<const char*, 2> kFileTypes = {"Binary", "CSV"};

} // namespace sourcedialog

// The "Src" values of the three choices.
enum SourceChoice : int { kSourceSerial = 0, kSourceFile = 1, kSourceRandom = 2 };

// What the dialog edits, one field per saved key.
struct DataSourceEntries {
    int src = kSourceSerial;
    std::string serPort;
    std::string serBaud;
    std::string fileName;
    std::string fileType;

    bool operator==(const DataSourceEntries&) const = default;
};

// Port and baud boxes serve the serial choice only; the name edit and Browse the file choice.
inline bool serialBoxesEnabled(int src) {
    return src == kSourceSerial;
}
inline bool fileBoxesEnabled(int src) {
    return src == kSourceFile;
}

class DataSourceSetup {
public:
    enum class Field { None, Port, Baud, FileName, Format };
    struct Failure {
        const char* message;
        Field focus;
    };
    struct Outcome {
        bool accepted = false;
        Field focus = Field::None; // where the focus goes when the dialog stays open
    };

    // Loads "Src", "SerPort", "SerBaud", "FileName" and "FileType" with their defaults.
    explicit DataSourceSetup(ProfileFile& settings);

    const DataSourceEntries& entries() const { return loaded_; }

    // The first check the entries fail, in the dialog's order; none when they pass. The random
    // choice (and a "Src" of no known choice) needs no check.
    static std::optional<Failure> check(const DataSourceEntries& entries);

    // OK: a failed check is told through the prompter and keeps the dialog open; otherwise the
    // five keys are written and the dialog closes. A settings file that cannot be written was
    // already reported at start-up, so a failed write does not keep the dialog open.
    Outcome accept(const DataSourceEntries& entries, Prompter& prompter);

private:
    ProfileFile& profile_;
    DataSourceEntries loaded_;
};

} // namespace zeph::monitor
