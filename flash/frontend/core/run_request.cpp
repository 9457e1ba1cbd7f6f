#include "flash/frontend/core/run_request.h"

#include "common/serial/port_names.h"
#include "common/text/strprintf.h"
#include "flash/engine/cli/report.h"

#include <cstdint>
#include <filesystem>

namespace zeph::burnfront {

namespace {

using Icon = Prompter::Icon;
using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

// Offsets that are not a multiple of 128 KiB rarely mean a chip's start.
constexpr uint32_t kOffsetAlignmentMask = 0x1FFFF;

bool confirm(Prompter& prompter, const std::string& question) {
    return prompter.ask(question, Icon::Warning, Buttons::YesNo) == Answer::Yes;
}

} // namespace

OutputFileOps OutputFileOps::system() {
    return {[](const std::string& path) {
                std::error_code ec;
                const auto status = std::filesystem::status(path, ec);
                if (!std::filesystem::exists(status)) {
                    return PathKind::Missing;
                }
                return std::filesystem::is_regular_file(status) ? PathKind::RegularFile
                                                                : PathKind::Other;
            },
            [](const std::string& path) {
                std::error_code ec;
                std::filesystem::remove(path, ec);
            }};
}

std::string resultFileFor(const RunSettings& s, const std::string& engineFolder) {
    // Without -l the engine works on its default line, COM1.
    const int line = comPortNumber(s.port).value_or(1);
    return flash::resultFileName(engineFolder, "COM" + std::to_string(line));
}

std::optional<std::vector<std::string>> prepareRun(const RunSettings& s, Prompter& prompter,
                                                   const OutputFileOps& files) {
    if (s.dataFile.empty()) {
        prompter.tell("Data file not specified", Icon::Warning);
        return std::nullopt;
    }
    const PathKind output = s.programming ? PathKind::Missing : files.kind(s.dataFile);
    if (output == PathKind::Other) {
        prompter.tell(strprintf(kNotRegularFileFormat, s.dataFile.c_str()), Icon::Warning);
        return std::nullopt;
    }
    if (output == PathKind::RegularFile) {
        if (!confirm(prompter, strprintf("%s already exists.\nDo you want to replace it?",
                                         s.dataFile.c_str()))) {
            return std::nullopt;
        }
        files.remove(s.dataFile);
    }

    std::vector<std::string> args = {s.dataFile};
    if (const auto number = comPortNumber(s.port)) {
        args.insert(args.end(), {"-l", std::to_string(*number)});
    }
    if (s.baudRate != "115200") {
        args.insert(args.end(), {"-b", s.baudRate});
    }
    if (s.chipSelect != 0) {
        args.insert(args.end(), {"-c", std::to_string(s.chipSelect)});
    }

    // A negative offset would place the flash below its chip select's base.
    const auto offset = parseInteger(s.chipOffset);
    if (!offset || *offset < 0) {
        prompter.tell("Invalid chip offset", Icon::Warning);
        return std::nullopt;
    }
    if ((static_cast<uint32_t>(*offset) & kOffsetAlignmentMask) != 0 &&
        !confirm(prompter, "Suspicious chip offset value.\nDo you want to continue?")) {
        return std::nullopt;
    }
    if (*offset != 0) {
        args.insert(args.end(), {"-o", s.chipOffset});
    }

    if (s.programming) {
        if (s.erase == EraseMode::WholeChip) {
            args.push_back("-e");
        } else if (s.erase == EraseMode::Update) {
            args.push_back("-u");
        }
    } else {
        const auto from = parseInteger(s.fromAddress);
        if (!from) {
            prompter.tell("Invalid start address", Icon::Warning);
            return std::nullopt;
        }
        const auto to = parseInteger(s.toAddress);
        if (!to) {
            prompter.tell("Invalid end address", Icon::Warning);
            return std::nullopt;
        }
        if (*to < *from) {
            prompter.tell("End address lower than start address", Icon::Warning);
            return std::nullopt;
        }
        args.insert(args.end(), {"-r", "-f", s.fromAddress, "-t", s.toAddress});
    }

    if (s.compression != 2) {
        args.insert(args.end(), {"-cm", std::to_string(s.compression)});
    }
    if (s.clockAcq) {
        args.insert(args.end(), {"-pcs", "acq"});
    }
    if (s.clockDivider != 2) {
        args.insert(args.end(), {"-pcd", std::to_string(s.clockDivider)});
    }
    if (s.saveResult) {
        args.push_back("-sr");
    }
    return args;
}

} // namespace zeph::burnfront
