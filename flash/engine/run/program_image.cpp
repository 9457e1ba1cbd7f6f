#include "flash/engine/run/program_image.h"

#include "common/text/strprintf.h"
#include "flash/engine/run/crc16.h"
#include "flash/engine/run/target_failure_texts.h"
#include "flash/engine/run/usage_runs.h"

#include <algorithm>
#include <array>

namespace zeph::flash {

namespace {

constexpr uint32_t kBlock = static_cast<uint32_t>(kBlockSize);

// Last operation codes of the target.
constexpr uint8_t kOpBlockWrite = 0;

// One block kept on the host in update mode.
struct LocalBuffer {
    uint32_t length = 0;
    uint32_t address = 0;
    std::array<uint8_t, kBlockSize> data{};
};

int percentOf(int64_t part, int64_t whole) {
    if (whole <= 0) {
        return 100;
    }
    return static_cast<int>(std::clamp<int64_t>(part * 100 / whole, 0, 100));
}

class Engine {
public:
    Engine(ProgramContext& context, const ChipEntry& chip, const SectorTable& sectors,
           const ProgramJob& job)
        : link_(context.link), clock_(context.clock), report_(context.report),
          start_(context.start), chip_(chip), sectors_(sectors), job_(job),
          firstAddr_(job.startOffset), bufferSize_(static_cast<uint32_t>(job.data.size())),
          lastAddr_(job.startOffset + static_cast<uint32_t>(job.data.size()) - 1),
          compressor_(job.method, job.huffman) {}

    std::optional<FatalError> run() {
        const bool done = program();
        if (fatal_) {
            return fatal_;
        }
        if (!done) {
            return programmingError(text_);
        }
        return std::nullopt;
    }

private:
    bool program();
    bool eraseWholeChip();
    bool writeSector(const Sector& sector);
    bool updateSector(const Sector& sector);
    bool readBack(uint32_t address, LocalBuffer* local, const char* waitFailure,
                  std::optional<uint8_t>& buffer);
    bool writeLocalBuffers();
    bool complete();
    bool verify();

    bool WaitCommandSlot() {
        return waitFor([](const TargetStatus& s) { return s.freeSlots != 0; });
    }
    bool WaitIdle() {
        return waitFor([this](const TargetStatus& s) { return s.freeSlots == idleSlots_; });
    }
    template <typename Done> bool waitFor(Done done);
    bool WaitFreeBuffer();
    bool waitSlotWhileErasing(size_t requested, size_t total);

    bool blockProgress(uint32_t address);
    bool updateProgress(int transfer, int program);
    int programmedPercent() const;
    bool fetchTiming();
    void sendProgress();
    Tenths elapsed() const;

    // A command failed: its line ends the report.
    bool fail(const std::string& text) {
        text_ += text;
        return false;
    }
    // A wait failed or the target raised its error flag: the line (if any), then what the
    // target says it was doing.
    bool failWithTarget(const std::string& text = {});
    bool checked(const TargetStatus& status) { return status.errorFlag == 0 || failWithTarget(); }

    BlockData encode(uint32_t address, std::span<const uint8_t> block,
                     std::span<const uint8_t> following);
    std::span<const uint8_t> imageBlock(uint32_t address) const {
        return job_.data.subspan(address - firstAddr_, kBlockSize);
    }
    void verbose(const std::string& text) { report_.verbose(text); }

    TargetLink& link_;
    Clock& clock_;
    Report& report_;
    Clock::TimePoint start_;
    const ChipEntry& chip_;
    const SectorTable& sectors_;
    const ProgramJob& job_;
    const uint32_t firstAddr_;
    const uint32_t bufferSize_;
    const uint32_t lastAddr_;

    BlockCompressor compressor_;
    CodedBlock coded_; // the form of the block being sent

    uint8_t totalBuffers_ = 0;
    uint8_t idleSlots_ = 0;
    uint32_t sentBlocks_ = 0;
    // The range the transfer and program figures measure: the image, or in update mode the
    // touched sectors.
    int64_t progressFirst_ = firstAddr_;
    int64_t progressSize_ = bufferSize_;

    std::vector<LocalBuffer> ring_;
    size_t put_ = 0;
    size_t take_ = 0;
    size_t filled_ = 0;

    int transfer_ = 0;
    int programmed_ = 0;
    Tenths eraseTime_ = 0;
    Tenths programTime_ = 0;
    int recordedTransfer_ = -1;
    int recordedProgram_ = -1;
    int recordedErased_ = -1;
    Clock::TimePoint recordedAt_{};

    std::string text_;
    std::optional<FatalError> fatal_;
};

bool Engine::program() {
    const auto status = link_.GetStatus();
    if (!status) {
        return fail("Failed to get target status\n");
    }
    totalBuffers_ = status->freeBuffers;
    idleSlots_ = status->freeSlots;

    if (chip_.softLockUnlock) {
        verbose("Unlocking flash sectors...\n");
        for (const Sector& sector : sectors_.sectors()) {
            if (!link_.UnlockSector(sector.start)) {
                return fail(strprintf("Failed to unlock sector at 0x%x\n", sector.start));
            }
        }
    }
    if (job_.mode == EraseMode::Update) {
        ring_.resize(std::max<uint32_t>(localBufferCount(sectors_), 1));
    }
    if (compressor_.method() == TransferMethod::Huffman) {
        // A target that missed the table fails on the first coded block instead.
        link_.SendHuffmanTable(job_.huffman->decodingTable());
    }
    if (job_.mode == EraseMode::WholeChip && !eraseWholeChip()) {
        return false;
    }

    const Sector* first = sectors_.find(firstAddr_);
    const Sector* last = sectors_.find(lastAddr_);
    if (job_.data.empty() || first == nullptr || last == nullptr) {
        return fail("Image lies outside the chip\n");
    }
    if (job_.mode == EraseMode::Update) {
        // Update mode reads back and writes every block of the touched sectors, not only the
        // image's: the figures count those blocks, so that 100% means the last one.
        progressFirst_ = first->start;
        progressSize_ = int64_t{last->start} + last->size - first->start;
    }
    for (const Sector* sector = first; sector <= last; ++sector) {
        const bool written =
            job_.mode == EraseMode::Update ? updateSector(*sector) : writeSector(*sector);
        if (!written) {
            return false;
        }
    }
    return complete();
}

bool Engine::eraseWholeChip() {
    const auto supported = link_.QueryChipErase();
    if (!supported) {
        return fail("Failed checking if erase chip command is supported\n");
    }
    if (*supported) {
        return link_.EraseChip(sectors_.chipSize()) || fail("Failed requesting chip erase\n");
    }
    const auto& all = sectors_.sectors();
    for (size_t requested = 0; requested < all.size(); ++requested) {
        if (!waitSlotWhileErasing(requested, all.size())) {
            return failWithTarget();
        }
        if (!link_.EraseSector(all[requested].start, all[requested].size)) {
            return fail("Failed requesting sector erase\n");
        }
    }
    return true;
}

// WaitCommandSlot for the sector-by-sector erase of a whole chip, which takes tens of seconds
// on real chips: the erase progress keeps coming meanwhile. A sector counts as erased once its
// request has left the target's queue.
bool Engine::waitSlotWhileErasing(size_t requested, size_t total) {
    for (;;) {
        const auto status = link_.GetStatus();
        if (!status || status->errorFlag != 0) {
            return false;
        }
        const size_t queued = idleSlots_ > status->freeSlots ? idleSlots_ - status->freeSlots : 0;
        const int erased = percentOf(static_cast<int64_t>(requested - std::min(queued, requested)),
                                     static_cast<int64_t>(total));
        if (erased != recordedErased_ || clock_.now() - recordedAt_ > kProgressInterval) {
            if (!fetchTiming()) {
                return false;
            }
            report_.erasingProgress(erased, eraseTime_, programTime_, elapsed());
            recordedErased_ = erased;
            recordedAt_ = clock_.now();
        }
        if (status->freeSlots != 0) {
            return true;
        }
        clock_.sleepFor(kPollInterval);
    }
}

// Erase-touched-sectors and whole-chip modes: the sector's image blocks, each written as it
// arrives.
bool Engine::writeSector(const Sector& sector) {
    if (job_.mode == EraseMode::TouchedSectors) {
        if (!WaitCommandSlot()) {
            return failWithTarget("Failed waiting for a command slot\n");
        }
        if (!link_.EraseSector(sector.start, sector.size)) {
            return fail("Failed requesting sector erase\n");
        }
    }
    const uint64_t end =
        std::min<uint64_t>(uint64_t{sector.start} + sector.size, uint64_t{lastAddr_} + 1);
    for (uint64_t at = std::max(sector.start, firstAddr_); at < end; at += kBlock) {
        const auto address = static_cast<uint32_t>(at);
        const size_t offset = address - firstAddr_;
        if (job_.blockMap[offset / kBlock] == 0) {
            continue;
        }
        if (!WaitFreeBuffer()) {
            return failWithTarget();
        }
        const auto status = link_.DownloadAndWrite(
            address, encode(address, imageBlock(address), LookAheadAfter(job_.data, offset)));
        if (!status) {
            return fail("Download and write flash block request failed\n");
        }
        if (!checked(*status)) {
            return false;
        }
        ++sentBlocks_;
        if (!blockProgress(address)) {
            return false;
        }
    }
    return true;
}

// Update mode: every block of the sector is gathered (read back, sent, or both), then the
// sector is erased and written whole.
bool Engine::updateSector(const Sector& sector) {
    const uint32_t blocks = sector.size / kBlock;
    std::optional<uint8_t> firstBuffer;
    for (uint32_t s = 0; s < blocks; ++s) {
        const uint32_t address = sector.start + s * kBlock;
        const bool toTarget = s < totalBuffers_;
        LocalBuffer* local = nullptr;
        if (!toTarget) {
            local = &ring_[put_];
            put_ = (put_ + 1) % ring_.size();
            ++filled_;
            local->length = kBlock;
            local->address = address;
        }
        std::optional<uint8_t> buffer;
        if (address < firstAddr_ || address > lastAddr_) {
            if (!readBack(address, local, "Error while preparing read\n", buffer)) {
                return false;
            }
        } else {
            const size_t offset = address - firstAddr_;
            const auto runs = FindRuns(job_.usageMap, offset, offset + kBlock);
            const auto block = imageBlock(address);
            if (runs.size() == 1 && runs.front().length == kBlock) {
                if (local != nullptr) {
                    std::copy(block.begin(), block.end(), local->data.begin());
                } else {
                    if (!WaitFreeBuffer()) {
                        return failWithTarget();
                    }
                    const auto status = link_.DownloadToBuffer(
                        address, encode(address, block, LookAheadAfter(job_.data, offset)));
                    if (!status) {
                        return fail("Download buffer block request failed\n");
                    }
                    if (!checked(status->status)) {
                        return false;
                    }
                    buffer = status->bufferNumber;
                }
            } else {
                const char* waitFailure = local != nullptr ? "Error while preparing upload\n"
                                                           : "Error while preparing read\n";
                if (!readBack(address, local, waitFailure, buffer)) {
                    return false;
                }
                for (const UsageRun& run : runs) {
                    const auto bytes = job_.data.subspan(run.offset, run.length);
                    const auto within = static_cast<uint16_t>(run.offset - offset);
                    if (local != nullptr) {
                        std::copy(bytes.begin(), bytes.end(), local->data.begin() + within);
                        continue;
                    }
                    const auto status = link_.UpdateBuffer(*buffer, within, bytes);
                    if (!status) {
                        return fail("Update buffer block request failed\n");
                    }
                    if (!checked(*status)) {
                        return false;
                    }
                }
            }
        }
        if (s == 0) {
            firstBuffer = buffer;
        }
        ++sentBlocks_;
        if (!blockProgress(address)) {
            return false;
        }
    }
    if (!WaitCommandSlot()) {
        return failWithTarget("Failed waiting for a command slot\n");
    }
    if (!link_.EraseSector(sector.start, sector.size)) {
        return fail("Failed requesting sector erase\n");
    }
    const auto group = static_cast<uint8_t>(std::min<uint32_t>(blocks, totalBuffers_));
    if (group > 0 && firstBuffer) {
        const auto status = link_.WriteBlockGroup(*firstBuffer, group);
        if (!status) {
            return fail("Write block group request failed\n");
        }
        if (!checked(*status)) {
            return false;
        }
    }
    return writeLocalBuffers();
}

// The sector content at `address` into the next target buffer or into `local`.
bool Engine::readBack(uint32_t address, LocalBuffer* local, const char* waitFailure,
                      std::optional<uint8_t>& buffer) {
    if (local == nullptr) {
        if (!WaitFreeBuffer()) {
            return failWithTarget();
        }
        if (!WaitIdle()) {
            return failWithTarget("Error while preparing read\n");
        }
        const auto status = link_.ReadToBuffer(address, kBlock);
        if (!status) {
            return fail("Read flash block request failed\n");
        }
        buffer = status->bufferNumber;
        return checked(status->status);
    }
    if (!WaitIdle()) {
        return failWithTarget(waitFailure);
    }
    const auto bytes = link_.UploadBlock(address, kBlock);
    if (!bytes || bytes->size() != kBlockSize) {
        return fail("Upload flash block request failed\n");
    }
    std::copy(bytes->begin(), bytes->end(), local->data.begin());
    return true;
}

bool Engine::writeLocalBuffers() {
    while (filled_ > 0) {
        const LocalBuffer& local = ring_[take_];
        take_ = (take_ + 1) % ring_.size();
        --filled_;
        // The next local block is what the LZSS look-ahead may read, when it follows directly.
        std::span<const uint8_t> following;
        if (filled_ > 0 && ring_[take_].address == local.address + kBlock) {
            following = std::span<const uint8_t>(ring_[take_].data).first(kLzssMaxMatch);
        }
        if (!WaitFreeBuffer()) {
            return failWithTarget();
        }
        const auto status = link_.DownloadAndWrite(
            local.address,
            encode(local.address, std::span<const uint8_t>(local.data).first(local.length),
                   following));
        if (!status) {
            return fail("Download and write flash block request failed\n");
        }
        if (!checked(*status)) {
            return false;
        }
        // Every block is already counted as transferred once gathered; the program figure
        // keeps moving while the gathered blocks go out.
        if (!updateProgress(transfer_, programmedPercent())) {
            return false;
        }
    }
    return true;
}

// Tells the target no more blocks come until it has written them all, then verifies.
bool Engine::complete() {
    do {
        verbose(strprintf("Programmed %d out of %d\n", link_.lastStatus().blocksProgrammed,
                          static_cast<int>(sentBlocks_)));
        const auto status = link_.NoMoreBlocks();
        if (!status) {
            return fail("Failed to inform target about no more blocks to send\n");
        }
        if (!checked(*status)) {
            return false;
        }
        if (!updateProgress(100, percentOf(status->blocksProgrammed, sentBlocks_))) {
            return false;
        }
        if (status->blocksProgrammed >= sentBlocks_) {
            break;
        }
        clock_.sleepFor(kPollInterval);
    } while (true);
    return verify();
}

bool Engine::verify() {
    for (const UsageRun& run : FindRuns(job_.usageMap, 0, job_.usageMap.size())) {
        const uint16_t host = Crc16(job_.data.subspan(run.offset, run.length));
        uint16_t target = kCrcStart;
        for (uint32_t done = 0; done < run.length; done += kCrcChunk) {
            const uint32_t chunk = std::min(kCrcChunk, run.length - done);
            const auto value = link_.GetCrc16(firstAddr_ + run.offset + done, chunk, target);
            if (!value) {
                return fail("Request for CRC16 from the target failed\n");
            }
            target = *value;
        }
        if (host != target) {
            verbose(strprintf("CRC16 mismatch for section at offset 0x%x, size 0x%x:\nHost - "
                              "0x%x, Target - 0x%x\n",
                              run.offset, run.length, host, target));
            return fail("CRC16 mismatch\n");
        }
        verbose(
            strprintf("CRC16 match for area at offset 0x%x, size 0x%x\n", run.offset, run.length));
    }
    return true;
}

template <typename Done> bool Engine::waitFor(Done done) {
    for (;;) {
        const auto status = link_.GetStatus();
        if (!status || status->errorFlag != 0) {
            return false;
        }
        if (done(*status)) {
            return true;
        }
        clock_.sleepFor(kPollInterval);
    }
}

// A target buffer is free, or one will be soon: while the target erases (or locks), poll and
// keep the progress figures coming; once it writes blocks, let it answer when one is done.
bool Engine::WaitFreeBuffer() {
    auto status = link_.GetStatus();
    if (!status || status->errorFlag != 0) {
        return false;
    }
    if (status->freeBuffers > 0) {
        return true;
    }
    if (!fetchTiming()) {
        return false;
    }
    for (;;) {
        status = link_.GetStatus();
        if (!status || status->errorFlag != 0) {
            return false;
        }
        if (status->freeBuffers > 0) {
            return true;
        }
        const auto operation = link_.GetLastOperation();
        if (!operation) {
            return false;
        }
        if (operation->code == kOpBlockWrite) {
            const auto waited = link_.WaitBuffers(1);
            return waited && waited->errorFlag == 0;
        }
        clock_.sleepFor(kPollInterval);
        if (clock_.now() - recordedAt_ > kProgressInterval) {
            sendProgress();
        }
    }
}

bool Engine::blockProgress(uint32_t address) {
    const int64_t next = int64_t{address} + kBlock - progressFirst_;
    return updateProgress(percentOf(next, progressSize_), programmedPercent());
}

int Engine::programmedPercent() const {
    const int64_t programmed =
        std::min<int64_t>(int64_t{link_.lastStatus().blocksProgrammed} * kBlock, progressSize_);
    return percentOf(programmed, progressSize_);
}

bool Engine::updateProgress(int transfer, int program) {
    transfer_ = transfer;
    programmed_ = program;
    if (!fetchTiming()) {
        return false;
    }
    if (transfer != recordedTransfer_ || program != recordedProgram_ ||
        clock_.now() - recordedAt_ > kProgressInterval) {
        sendProgress();
    }
    return true;
}

bool Engine::fetchTiming() {
    const auto timing = link_.GetTiming();
    if (!timing) {
        fatal_ = fatalError(29);
        return false;
    }
    eraseTime_ = targetTenths(timing->eraseTime);
    programTime_ = targetTenths(timing->programTime);
    return true;
}

Tenths Engine::elapsed() const {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now() - start_).count();
    return static_cast<Tenths>(ms * 10 / 1000);
}

void Engine::sendProgress() {
    const auto now = clock_.now();
    report_.programmingProgress(transfer_, programmed_, eraseTime_, programTime_, elapsed());
    recordedTransfer_ = transfer_;
    recordedProgram_ = programmed_;
    recordedAt_ = now;
}

bool Engine::failWithTarget(const std::string& text) {
    text_ += text;
    // A run that already lost the target's timing ends with that error instead.
    if (!fatal_) {
        text_ += LastOperationText(link_.GetLastOperation());
        text_ += LastActivityText(link_.GetLastActivity());
    }
    return false;
}

BlockData Engine::encode(uint32_t address, std::span<const uint8_t> block,
                         std::span<const uint8_t> following) {
    coded_ = compressor_.Encode(address, block, following);
    switch (coded_.form) {
    case TransferMethod::Huffman:
        return BlockData::huffman(coded_.code, coded_.bits);
    case TransferMethod::Lzss:
        return BlockData::lzss(coded_.code, coded_.bits);
    case TransferMethod::Raw:
        break;
    }
    return BlockData::raw(block);
}

} // namespace

Tenths targetTenths(uint32_t ticks) {
    return static_cast<Tenths>(uint64_t{ticks} * 10 / 32768);
}

uint32_t localBufferCount(const SectorTable& sectors) {
    return sectors.largestSector() / kBlock;
}

std::optional<FatalError> ProgramImage(ProgramContext& context, const ChipEntry& chip,
                                       const SectorTable& sectors, const ProgramJob& job) {
    return Engine(context, chip, sectors, job).run();
}

} // namespace zeph::flash
