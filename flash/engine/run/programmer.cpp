#include "flash/engine/run/programmer.h"

#include "common/files/replaced_file.h"
#include "common/text/strprintf.h"
#include "flash/engine/cli/report.h"
#include "flash/engine/errors/error_texts.h"
#include "flash/engine/image/flash_image.h"
#include "flash/engine/link/target_link.h"
#include "flash/engine/run/chip_list.h"
#include "flash/engine/run/chip_match.h"
#include "flash/engine/run/program_image.h"
#include "flash/engine/run/read_flash.h"
#include "flash/engine/run/stop_signals.h"

#include <cstdio>
#include <fcntl.h>
#include <new>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>
#include <vector>

namespace zeph::flash {

namespace {

// How long a stopped run waits for the target to take Finish (after kNakDrainWait).
constexpr std::chrono::milliseconds kStopFinishTime{1000};

enum class FileProblem { Open, Allocate, Read };

// A support file read whole, or what went wrong.
std::variant<std::vector<uint8_t>, FileProblem> readWhole(const std::string& path) {
    // Non-blocking, so that a FIFO in the file's place is refused below instead of holding
    // the open until something writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return FileProblem::Open;
    }
    // A folder (or a device) opens for reading too, but is no file to load: its "size" would
    // be an allocation of 2^63 bytes.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileProblem::Open;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        ::close(fd);
        return FileProblem::Open;
    }
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        size = std::ftell(f);
    }
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return FileProblem::Read;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        std::fclose(f);
        return FileProblem::Allocate;
    }
    const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (got != bytes.size()) {
        return FileProblem::Read;
    }
    return bytes;
}

// Opening, allocating and reading a support file are three numbered errors each.
struct FileErrors {
    int open;
    int allocate;
    int read;
};

std::variant<std::vector<uint8_t>, FatalError> loadSupportFile(const std::string& path,
                                                               FileErrors errors) {
    auto result = readWhole(path);
    if (auto* bytes = std::get_if<std::vector<uint8_t>>(&result)) {
        return std::move(*bytes);
    }
    switch (std::get<FileProblem>(result)) {
    case FileProblem::Open:
        return fatalErrorWithName(errors.open, path);
    case FileProblem::Allocate:
        return fatalError(errors.allocate);
    case FileProblem::Read:
        break;
    }
    return fatalError(errors.read);
}

class Programmer {
public:
    Programmer(const Options& options, RunContext& context)
        : options_(options), context_(context),
          report_(reportSettings(options, context.programFolder), context.console, context.pipe),
          link_(context.port, context.clock) {
        link_.setVerbose(options.verbose);
        link_.setTextSink([this](std::string_view text) { report_.verbose(std::string(text)); });
        link_.setStopCheck([this] {
            return finishing_ ? context_.clock.now() > finishDeadline_ : stopSignal() != 0;
        });
    }

    int run() {
        if (!report_.startOfRun()) {
            return report_.endOfRun(1);
        }
        if (auto error = steps()) {
            const int signal = stopSignal();
            return signal != 0 ? stopped(signal) : fail(*error);
        }
        // The run is done even if a signal came after its last step: Finish still goes out.
        beginFinish();
        link_.Finish();
        link_.ClosePort();
        return report_.endOfRun(0);
    }

private:
    int fail(const FatalError& error) {
        report_.error(error);
        // A port that would not open (at the start or at the new rate) says why.
        report_.errorReason(context_.port.openError());
        // The target is told to stop whatever the error was; its answer changes nothing.
        beginFinish();
        if (context_.port.isOpen()) {
            link_.Finish();
        }
        link_.ClosePort();
        return report_.endOfRun(1);
    }

    // Ends a run that a signal interrupted as an error would end it, without the numbered
    // message of the step it broke off.
    int stopped(int signal) {
        report_.stopped(stopSignalName(signal));
        const bool open = context_.port.isOpen();
        if (open) {
            // A reply the target was still sending would be taken for Finish's acknowledgement:
            // let it die down and drop it first.
            context_.clock.sleepFor(kNakDrainWait);
            context_.port.purge();
        }
        beginFinish();
        if (open) {
            link_.Finish();
        }
        link_.ClosePort();
        return report_.endOfRun(1);
    }

    // From here the link talks again, for Finish. Whoever stopped the run waits for it: a target
    // that does not answer Finish then gets kStopFinishTime, not the link's full time-outs.
    void beginFinish() {
        finishing_ = true;
        finishDeadline_ =
            stopSignal() != 0 ? context_.clock.now() + kStopFinishTime : Clock::TimePoint::max();
    }

    int stopSignal() const { return context_.stopSignal ? context_.stopSignal() : 0; }
    bool stopping() const { return !finishing_ && stopSignal() != 0; }

    void verbose(const std::string& text) { report_.verbose(text); }
    VerboseLog log() {
        return [this](const std::string& text) { verbose(text); };
    }
    Tenths elapsed() const { return elapsedTenths(context_.start, context_.clock.now()); }

    std::optional<FatalError> steps();
    std::optional<FatalError> startPhase1();
    std::optional<FatalError> scanDataFile();
    std::optional<FatalError> identifyTarget();
    std::optional<FatalError> identifyChips();
    std::optional<FatalError> startPhase2();
    std::optional<FatalError> prepareImage();
    std::optional<FatalError> sendParameters();
    std::optional<FatalError> readIntoFile();
    std::optional<FatalError> programFlash();

    const Options& options_;
    RunContext& context_;
    Report report_;
    TargetLink link_;
    uint32_t flashBase_ = 0;
    std::vector<uint8_t> phase1_;
    uint8_t busWidth_ = 0;
    std::vector<ChipEntry> chipList_;
    const ChipEntry* chip_ = nullptr;
    std::optional<SectorTable> sectors_;
    FlashImage image_;
    HuffmanCoder huffman_;
    TransferMethod method_ = TransferMethod::Raw;
    std::optional<files::ReplacedFile> output_; // read mode: checked before the target is read
    bool finishing_ = false;                    // a stop is being handled: the link talks again
    Clock::TimePoint finishDeadline_{};
};

std::optional<FatalError> Programmer::steps() {
    // A stop noticed between steps; run() reports the stop in its place.
    const FatalError stop{};
    flashBase_ = flashBaseAddress(options_.chipSelect, options_.chipOffset);
    if (stopping()) {
        return stop;
    }
    if (!link_.OpenPort(options_.port, kPhase1Baud)) {
        return fatalErrorWithName(0, options_.port);
    }
    verbose("Communication port successfully opened.\n");
    for (auto step :
         {&Programmer::startPhase1, &Programmer::scanDataFile, &Programmer::identifyTarget,
          &Programmer::identifyChips, &Programmer::startPhase2, &Programmer::prepareImage,
          &Programmer::sendParameters}) {
        if (auto error = (this->*step)()) {
            return error;
        }
        if (stopping()) {
            return stop;
        }
    }
    return options_.read ? readIntoFile() : programFlash();
}

std::optional<FatalError> Programmer::startPhase1() {
    auto loaded = loadSupportFile(context_.programFolder + kPhase1File, {1, 2, 3});
    if (auto* error = std::get_if<FatalError>(&loaded)) {
        return *error;
    }
    phase1_ = std::move(std::get<std::vector<uint8_t>>(loaded));
    if (!link_.SendRawPhase1(phase1_)) {
        return fatalError(4);
    }
    verbose("Phase 1 code successfully downloaded\n");
    return std::nullopt;
}

std::optional<FatalError> Programmer::scanDataFile() {
    if (options_.read) {
        // A file that cannot be written is found now, not after a read of many minutes.
        std::string problem;
        output_ = files::ReplacedFile::open(options_.dataFile, problem);
        if (!output_) {
            verbose(problem + "\n");
            return fatalErrorWithName(5, options_.dataFile);
        }
        return std::nullopt;
    }
    if (auto error = DetectFormat(options_.dataFile, image_.format, log())) {
        return error;
    }
    if (auto error = ScanRange(options_.dataFile, image_, log())) {
        return error;
    }
    report_.inputScanned(formatReportName(image_.format), image_.lowAddr, image_.hiAddr);
    return std::nullopt;
}

std::optional<FatalError> Programmer::identifyTarget() {
    context_.clock.sleepFor(kStartPause);
    const auto targetSum = link_.GetChecksum(0, static_cast<uint32_t>(phase1_.size()));
    if (!targetSum) {
        return fatalError(7);
    }
    const uint8_t hostSum = linkChecksum(phase1_);
    if (*targetSum != hostSum) {
        verbose(strprintf("Comparison of detect.bin checksums failed! Host CS = 0x%x, Target CS "
                          "= 0x%x\n",
                          hostSum, *targetSum));
        return fatalError(4);
    }
    const auto variant = link_.GetChipVariant();
    if (!variant) {
        return fatalError(7);
    }
    switch (*variant) {
    case 0x20:
        verbose("Vireo-A found on the target\n");
        break;
    case 0x21:
        verbose("Vireo-B found on the target\n");
        break;
    case 0x23:
        verbose("Vireo-C found on the target\n");
        break;
    default:
        return chipVariantError(*variant);
    }
    if (!link_.ChangeBaud(options_.port, static_cast<int>(options_.baudRate))) {
        return fatalError(7);
    }
    const auto width = link_.GetBusWidth();
    if (!width) {
        return fatalError(8);
    }
    if (*width != 16 && *width != 32) {
        return fatalError(9);
    }
    busWidth_ = *width;
    verbose(strprintf("Target bus width is: %d bits\n", busWidth_));
    // The clock setting is a wish; a target that keeps its clock still works.
    link_.SetClock(options_.clockSource, static_cast<uint8_t>(options_.clockDivider));
    if (!link_.SetFlashLocation(static_cast<uint8_t>(options_.chipSelect), flashBase_)) {
        return fatalError(10);
    }
    return std::nullopt;
}

std::optional<FatalError> Programmer::identifyChips() {
    const auto ids = link_.GetFlashIds();
    if (!ids) {
        return fatalError(11);
    }
    verbose(strprintf("No flashes found: %d\n", static_cast<int>(ids->size())));
    for (size_t i = 0; i < ids->size(); ++i) {
        verbose(strprintf("Flash no. %d manufacturer is: 0x%x, device is 0x%x\n",
                          static_cast<int>(i + 1), (*ids)[i].manufacturer, (*ids)[i].device));
    }
    const std::string listPath = context_.programFolder + kChipListFile;
    auto text = readWhole(listPath);
    if (std::holds_alternative<FileProblem>(text)) {
        if (std::get<FileProblem>(text) == FileProblem::Open) {
            return fatalErrorWithName(12, listPath);
        }
        return fatalError(13);
    }
    const auto& bytes = std::get<std::vector<uint8_t>>(text);
    ChipListResult list =
        ParseChipList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!list.ok()) {
        verbose(list.problem + "\n");
        return fatalError(13);
    }
    chipList_ = std::move(list.entries);
    auto match = MatchChips(chipList_, *ids);
    if (auto* error = std::get_if<FatalError>(&match)) {
        return *error;
    }
    const ChipMatch& found = std::get<ChipMatch>(match);
    chip_ = found.chip;
    report_.chipIdentified(found.chipCount, chip_->manufacturerName, chip_->deviceName,
                           options_.read);
    sectors_.emplace(*chip_, busWidth_);
    if (options_.update) {
        // Update mode keeps a sector's other blocks in local buffers: room for the largest.
        const int needed = static_cast<int>(localBufferCount(*sectors_));
        if (needed > 0) {
            verbose(strprintf("Previous NoLocalBuffers = %d\n", 0));
            verbose(strprintf("New NoLocalBuffers = %d\n", needed));
        }
    }
    return std::nullopt;
}

std::optional<FatalError> Programmer::startPhase2() {
    auto loaded = loadSupportFile(context_.programFolder + chip_->phase2File, {19, 20, 21});
    if (auto* error = std::get_if<FatalError>(&loaded)) {
        return *error;
    }
    const auto& code = std::get<std::vector<uint8_t>>(loaded);
    const std::span<const uint8_t> all(code);
    for (size_t offset = 0; offset < code.size(); offset += kPhase2ChunkSize) {
        const auto chunk = all.subspan(offset, std::min(kPhase2ChunkSize, code.size() - offset));
        if (!link_.LoadPhase2Chunk(static_cast<uint32_t>(offset), chunk)) {
            return fatalError(22);
        }
    }
    if (!link_.StartPhase2()) {
        return fatalError(22);
    }
    verbose("Phase 2 code successfully downloaded and started\n");
    return std::nullopt;
}

std::optional<FatalError> Programmer::prepareImage() {
    if (options_.read) {
        if (auto error = PrepareReadImage(image_, options_.fromAddr, options_.toAddr,
                                          sectors_->chipSize(), log())) {
            return error;
        }
        // A disk without room for the range is found now, not after a read of many minutes.
        std::string problem;
        if (!output_->reserve(image_.imageLength, problem)) {
            verbose(problem + "\n");
            return fatalError(31);
        }
        return std::nullopt;
    }
    if (auto error = PlaceImage(image_, sectors_->chipSize(), flashBase_, log())) {
        return error;
    }
    if (auto error = LoadImage(options_.dataFile, image_, log())) {
        return error;
    }
    method_ = ChooseTransferMethod(static_cast<TransferMethod>(options_.compression), image_.data,
                                   image_.usageMap, huffman_, log());
    return std::nullopt;
}

std::optional<FatalError> Programmer::sendParameters() {
    verbose("Starting to transfer programming data\n");
    context_.clock.sleepFor(kStartPause);
    if (!link_.SetTargetParams(flashBase_, busWidth_)) {
        return fatalError(27);
    }
    verbose("Parameters sent to target\n");
    if (strcasecmp(chip_->phase2File.c_str(), kGenericPhase2File) == 0 &&
        !link_.SetErrorBits(chip_->noErrorBits ? 1 : 0)) {
        return fatalError(34);
    }
    link_.setLinkRecovery(true);
    return std::nullopt;
}

std::optional<FatalError> Programmer::readIntoFile() {
    const bool read = ReadFlash(link_, image_.startOffset(), image_.data, [this](int percent) {
        report_.readingProgress(percent, elapsed());
    });
    if (!read) {
        return fatalError(30);
    }
    // The range goes to a new file that replaces the old one only once it is whole: a full disk
    // leaves the previous file as it was, and no partial one.
    const size_t first = static_cast<uint32_t>(image_.lowAddr) - image_.alignedLow;
    const std::string_view bytes(reinterpret_cast<const char*>(image_.data.data()) + first,
                                 image_.imageLength);
    std::string problem;
    if (!output_->write(bytes, false, problem)) {
        verbose(problem + "\n");
        return fatalError(31);
    }
    report_.readingDone(elapsed());
    return std::nullopt;
}

std::optional<FatalError> Programmer::programFlash() {
    ProgramJob job;
    job.mode = options_.eraseChip ? EraseMode::WholeChip
               : options_.update  ? EraseMode::Update
                                  : EraseMode::TouchedSectors;
    job.startOffset = image_.startOffset();
    job.data = image_.data;
    job.usageMap = image_.usageMap;
    job.blockMap = image_.blockMap;
    job.method = method_;
    job.huffman = &huffman_;
    ProgramContext context{link_, context_.clock, report_, context_.start};
    if (auto error = ProgramImage(context, *chip_, *sectors_, job)) {
        return error;
    }
    const Tenths total = elapsed();
    const auto timing = link_.GetTiming();
    if (!timing) {
        return fatalError(29);
    }
    report_.programmingDone(total, targetTenths(timing->eraseTime),
                            targetTenths(timing->programTime));
    return std::nullopt;
}

} // namespace

uint32_t flashBaseAddress(int chipSelect, uint32_t chipOffset) {
    return kChipSelectBase + static_cast<uint32_t>(chipSelect) * kChipSelectStep + chipOffset;
}

int32_t elapsedTenths(Clock::TimePoint from, Clock::TimePoint to) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
    return static_cast<int32_t>(ms * 10 / 1000);
}

int RunProgrammer(const Options& options, RunContext& context) {
    return Programmer(options, context).run();
}

} // namespace zeph::flash
