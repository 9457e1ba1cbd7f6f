#include "flash/engine/cli/report.h"

#include "common/files/replaced_file.h"
#include "common/text/strprintf.h"
#include "flash/engine/cli/pipe_record.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zeph::flash {

namespace {

double seconds(Tenths t) {
    return static_cast<double>(t) / 10.0;
}

} // namespace

std::string resultFileName(const std::string& programFolder, const std::string& port) {
    const size_t slash = port.rfind('/');
    const std::string name = slash == std::string::npos ? port : port.substr(slash + 1);
    return strprintf("%sRES%s", programFolder.c_str(), name.c_str());
}

bool writeResultFile(const std::string& name, int exitStatus, std::string* error) {
    std::string why;
    auto file = files::ReplacedFile::open(name, why);
    if (file && file->write(exitStatus == 0 ? "PASS\r\n" : "FAIL\r\n", false, why)) {
        return true;
    }
    // Only a file (or a link to one) can hold an old PASS; a folder, FIFO or device of that
    // name is left alone.
    struct stat st {};
    if (exitStatus != 0 && ::lstat(name.c_str(), &st) == 0 &&
        (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) {
        ::unlink(name.c_str());
    }
    if (error != nullptr) {
        *error = why;
    }
    return false;
}

ReportSettings reportSettings(const Options& options, const std::string& programFolder) {
    ReportSettings s;
    s.pipeMode = options.pipeMode();
    s.quiet = options.quiet;
    s.verbose = options.verbose;
    s.saveResult = options.saveResult;
    s.port = options.port;
    s.programFolder = programFolder;
    return s;
}

Report::Report(ReportSettings settings, OutputSink& console, OutputSink* pipe)
    : settings_(std::move(settings)), console_(console), pipe_(pipe) {}

void Report::send(uint32_t code, const std::string& pipeText, const std::string& consoleText,
                  bool evenWhenQuiet) {
    if (settings_.pipeMode) {
        if (pipe_ != nullptr) {
            const std::vector<uint8_t> record = encodePipeRecord(code, pipeText);
            pipe_->write(record.data(), record.size());
        }
        return;
    }
    if (consoleText.empty() || (settings_.quiet && !evenWhenQuiet)) {
        return;
    }
    console_.write(consoleText);
}

void Report::error(const FatalError& error) {
    send(static_cast<uint32_t>(error.number), error.message, error.message, true);
}

void Report::errorReason(const std::string& reason) {
    if (!settings_.pipeMode && !reason.empty()) {
        console_.write(reason + "\n");
    }
}

void Report::chipIdentified(int chipCount, const std::string& manufacturerName,
                            const std::string& deviceName, bool reading) {
    send(kChipIdentified,
         strprintf("%d %s %s", chipCount, manufacturerName.c_str(), deviceName.c_str()),
         strprintf("%s %s %s chip%s will be %s\n", chipCount == 2 ? "Two" : "One",
                   manufacturerName.c_str(), deviceName.c_str(), chipCount == 2 ? "s" : "",
                   reading ? "read" : "programmed"),
         false);
}

void Report::inputScanned(const char* reportName, int32_t lowAddr, int32_t hiAddr) {
    send(kInputScanned,
         strprintf("%s 0x%x 0x%x", reportName, static_cast<unsigned>(lowAddr),
                   static_cast<unsigned>(hiAddr)),
         {}, false);
}

void Report::programmingDone(Tenths total, Tenths erase, Tenths program) {
    send(kProgrammingDone,
         strprintf("%.1f %.1f %.1f", seconds(total), seconds(erase), seconds(program)),
         strprintf("\nFlash successfully programmed in %.1f sec\nErase time: %.1f sec, Program "
                   "time: %.1f sec\n",
                   seconds(total), seconds(erase), seconds(program)),
         false);
}

void Report::readingDone(Tenths total) {
    send(kReadingDone, strprintf("%.1f", seconds(total)),
         strprintf("\nFlash successfully read in %.1f sec\n", seconds(total)), false);
}

void Report::programmingProgress(int transferPercent, int programPercent, Tenths erase,
                                 Tenths program, Tenths elapsed) {
    send(kProgrammingProgress,
         strprintf("%d %d %.1f %.1f %.1f", transferPercent, programPercent, seconds(erase),
                   seconds(program), seconds(elapsed)),
         strprintf("%d%% transferred, %d%% programmed\r", transferPercent, programPercent), false);
}

void Report::erasingProgress(int erasedPercent, Tenths erase, Tenths program, Tenths elapsed) {
    send(
        kProgrammingProgress,
        strprintf("%d %d %.1f %.1f %.1f", 0, 0, seconds(erase), seconds(program), seconds(elapsed)),
        strprintf("%d%% erased\r", erasedPercent), false);
}

void Report::readingProgress(int percent, Tenths elapsed) {
    send(kReadingProgress, strprintf("%d %.1f", percent, seconds(elapsed)),
         strprintf("%d%% transferred\r", percent), false);
}

bool Report::saveResult(int exitStatus) {
    if (!settings_.saveResult || resultUnwritable_) {
        return !resultUnwritable_;
    }
    std::string error;
    if (writeResultFile(resultFileName(settings_.programFolder, settings_.port), exitStatus,
                        &error)) {
        return true;
    }
    // A script reads the result file: its absence must not pass unnoticed.
    console_.write("Result not saved: " + error + "\n");
    resultUnwritable_ = true;
    return false;
}

bool Report::startOfRun() {
    return saveResult(1);
}

int Report::endOfRun(int exitStatus) {
    if (!saveResult(exitStatus)) {
        exitStatus = 1;
    }
    send(kEndOfRun, strprintf("%d", exitStatus), {}, false);
    return exitStatus;
}

void Report::stopped(const std::string& signalName) {
    if (!settings_.pipeMode) {
        console_.write(strprintf("\nRun stopped by %s\n", signalName.c_str()));
    }
}

void Report::verbose(const std::string& text) {
    if (settings_.verbose) {
        console_.write(text);
    }
}

} // namespace zeph::flash
