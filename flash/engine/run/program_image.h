#pragma once

// The block programming engine: moves a FlashImage into flash in 1 KiB blocks while the target
// erases and writes queued blocks on its own. Three ways of programming (erase the touched
// sectors, erase the whole chip, update keeping the sector bytes outside the image), the
// unlock pass for soft-locked chips, the pacing waits on the target's buffers and queue, the
// wait for completion, CRC16 verification of every run of image bytes, and the failure report
// built from the target's last operation and activity.

#include "common/clock/clock.h"
#include "flash/engine/cli/report.h"
#include "flash/engine/compress/transfer_compression.h"
#include "flash/engine/errors/error_texts.h"
#include "flash/engine/link/target_link.h"
#include "flash/engine/run/chip_list.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zeph::flash {

enum class EraseMode {
    TouchedSectors, // the default: erase each sector the image touches, then write its blocks
    WholeChip,      // -e: erase the chip (or every sector) first, then write the blocks
    Update,         // -u: read each touched sector back, overlay the image, erase, write all
};

// Polling interval of the waits and of the completion loop.
inline constexpr std::chrono::milliseconds kPollInterval{100};
// A progress record is sent at least this often while anything changes or is waited for.
inline constexpr std::chrono::milliseconds kProgressInterval{400};
// Longest range one GetCrc16 request covers.
inline constexpr uint32_t kCrcChunk = 0x80000;

// Target times in units of 1/32768 s as tenths of a second, truncated.
Tenths targetTenths(uint32_t ticks);

struct ProgramJob {
    EraseMode mode = EraseMode::TouchedSectors;
    uint32_t startOffset = 0;          // flash offset of data[0], a multiple of 1024
    std::span<const uint8_t> data;     // bufferSize bytes, a multiple of 1024
    std::span<const uint8_t> usageMap; // 1 per byte the image gives
    std::span<const uint8_t> blockMap; // 1 per block holding an image byte
    TransferMethod method = TransferMethod::Raw;
    const HuffmanCoder* huffman = nullptr; // the run's code, for TransferMethod::Huffman
};

// Update mode keeps the blocks of a sector that do not fit the target's buffers on the host:
// room for the largest sector.
uint32_t localBufferCount(const SectorTable& sectors);

// What a run needs around the engine: the link, the clock for waits and elapsed time, the
// report for progress records and verbose text, and the moment the run began.
struct ProgramContext {
    TargetLink& link;
    Clock& clock;
    Report& report;
    Clock::TimePoint start{};
};

// Programs the job. Nothing on success; error 28 with the engine's report text when a command,
// a wait or the target failed or the verification found a difference; error 29 when the target
// did not give its timing for a progress figure.
std::optional<FatalError> ProgramImage(ProgramContext& context, const ChipEntry& chip,
                                       const SectorTable& sectors, const ProgramJob& job);

} // namespace zeph::flash
