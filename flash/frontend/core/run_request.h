#pragma once

// What the dialog holds when Execute is pressed, and the checks that turn it into the engine's
// command line. A check that fails tells the user why and no child is started.

#include "common/prompt/prompter.h"
#include "flash/frontend/core/front_options.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zeph::burnfront {

struct RunSettings {
    bool programming = true;
    std::string port; // "COMn"; empty when the machine has no port
    std::string baudRate = "115200";
    int chipSelect = 0;
    std::string chipOffset = "0";
    EraseMode erase = EraseMode::RelevantSectors;
    std::string fromAddress;
    std::string toAddress;
    std::string dataFile;
    int compression = 2;
    bool clockAcq = false;
    int clockDivider = 2;
    bool saveResult = false;
};

// What lies at an output file's path. Only a regular file may be replaced: deleting a device,
// FIFO or folder to make room would destroy what the user did not mean to.
enum class PathKind { Missing, RegularFile, Other };

// Shown when a read's output names something that is not a regular file.
inline constexpr char kNotRegularFileFormat[] =
    "%s is not a regular file and cannot be replaced.\nPlease choose another output file.";

// The file operations the read-mode question needs; tests replace them.
struct OutputFileOps {
    std::function<PathKind(const std::string&)> kind;
    std::function<void(const std::string&)> remove;
    static OutputFileOps system();
};

// The result file that ZephBurnCL, given these settings and -sr, writes in `engineFolder` (its
// program folder).
std::string resultFileFor(const RunSettings& settings, const std::string& engineFolder);

// The prompter of an unattended run with -ax -sr: it shows nothing and every question counts as
// No, so that nothing waits for a user and nothing is deleted unasked.
class UnattendedPrompter : public Prompter {
public:
    Answer ask(const std::string&, Icon, Buttons buttons) override {
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
};

// The engine's arguments after its own path, without -wp and -rp; nothing when a check
// refused the run (its message or question has been shown through `prompter`). Answering Yes to
// replace an existing output file deletes it at once; an output path that holds anything but a
// regular file is refused without a question.
std::optional<std::vector<std::string>> prepareRun(const RunSettings& settings, Prompter& prompter,
                                                   const OutputFileOps& files);

} // namespace zeph::burnfront
