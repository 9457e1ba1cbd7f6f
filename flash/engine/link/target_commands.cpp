// The typed target commands: argument layout, reply checks and reply fields.

#include "flash/engine/link/target_link.h"

#include "common/bytes/byte_order.h"
#include "common/text/strprintf.h"

namespace zeph::flash {

namespace {

// Arguments after the command code, multi-byte values big-endian.
class Args {
public:
    Args& u8(uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    Args& u16(uint16_t v) {
        appendBe16(bytes_, v);
        return *this;
    }
    Args& u32(uint32_t v) {
        appendBe32(bytes_, v);
        return *this;
    }
    Args& bytes(std::span<const uint8_t> data) {
        for (uint8_t b : data) {
            bytes_.push_back(b);
        }
        return *this;
    }
    operator std::span<const uint8_t>() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Status fields start right after the reply code.
TargetStatus decodeStatus(const std::vector<uint8_t>& r) {
    return {r[1], readBe16(r, 2), r[4], r[5]};
}

const CommandInfo& downloadToBufferCommand(BlockCoding coding) {
    switch (coding) {
    case BlockCoding::Huffman:
        return command::kDownloadToBufferHuffman;
    case BlockCoding::Lzss:
        return command::kDownloadToBufferLzss;
    case BlockCoding::Raw:
        break;
    }
    return command::kDownloadToBufferRaw;
}

const CommandInfo& downloadAndWriteCommand(BlockCoding coding) {
    switch (coding) {
    case BlockCoding::Huffman:
        return command::kDownloadAndWriteHuffman;
    case BlockCoding::Lzss:
        return command::kDownloadAndWriteLzss;
    case BlockCoding::Raw:
        break;
    }
    return command::kDownloadAndWriteRaw;
}

// Flash address, then the block: 1024 bytes raw, or pad-bit count and code bytes.
std::optional<Args> blockArgs(uint32_t address, const BlockData& block) {
    Args args;
    args.u32(address);
    if (block.coding == BlockCoding::Raw) {
        if (block.bytes.size() != kBlockSize) {
            return std::nullopt;
        }
    } else {
        const std::size_t codeBytes = (static_cast<std::size_t>(block.bitCount) + 7) / 8;
        if (block.bytes.size() != codeBytes || codeBytes > kMaxLzssCodeBytes) {
            return std::nullopt;
        }
        args.u8(static_cast<uint8_t>(7 - (block.bitCount + 7) % 8));
    }
    args.bytes(block.bytes);
    return args;
}

} // namespace

std::optional<std::vector<uint8_t>>
TargetLink::exchange(const CommandInfo& command, std::span<const uint8_t> args, int replyLength) {
    std::vector<uint8_t> payload;
    payload.reserve(args.size() + 1);
    payload.push_back(command.code);
    for (uint8_t b : args) {
        payload.push_back(b);
    }
    if (!SendCommand(payload)) {
        return std::nullopt;
    }
    std::vector<uint8_t> reply;
    if (!ReceiveReply(reply)) {
        return std::nullopt;
    }
    // An acknowledged reply of the wrong kind still fails the command.
    if (reply.empty() || reply[0] != command.replyCode()) {
        return std::nullopt;
    }
    if (replyLength >= 0 && reply.size() != static_cast<std::size_t>(replyLength)) {
        return std::nullopt;
    }
    return reply;
}

bool TargetLink::plainCommand(const CommandInfo& command, std::span<const uint8_t> args) {
    return exchange(command, args).has_value();
}

std::optional<TargetStatus> TargetLink::statusCommand(const CommandInfo& command,
                                                      std::span<const uint8_t> args) {
    const auto reply = exchange(command, args);
    if (!reply) {
        return std::nullopt;
    }
    lastStatus_ = decodeStatus(*reply);
    return lastStatus_;
}

std::optional<BufferStatus> TargetLink::bufferStatusCommand(const CommandInfo& command,
                                                            std::span<const uint8_t> args) {
    const auto reply = exchange(command, args);
    if (!reply) {
        return std::nullopt;
    }
    lastStatus_ = decodeStatus(*reply);
    return BufferStatus{lastStatus_, (*reply)[6]};
}

std::optional<uint8_t> TargetLink::GetBusWidth() {
    const auto reply = exchange(command::kGetBusWidth, {});
    return reply ? std::optional<uint8_t>((*reply)[1]) : std::nullopt;
}

bool TargetLink::SetFlashLocation(uint8_t chipSelect, uint32_t baseAddress) {
    return plainCommand(command::kSetFlashLocation, Args().u8(chipSelect).u32(baseAddress));
}

std::optional<std::vector<FlashId>> TargetLink::GetFlashIds() {
    const auto reply = exchange(command::kGetFlashIds, {});
    if (!reply || reply->size() < 2) {
        return std::nullopt;
    }
    const std::size_t count = (*reply)[1];
    if (count > kMaxFlashChips || reply->size() != 2 + 4 * count) {
        return std::nullopt;
    }
    std::vector<FlashId> ids;
    for (std::size_t i = 0; i < count; ++i) {
        ids.push_back({readBe16(*reply, 2 + 4 * i), readBe16(*reply, 4 + 4 * i)});
    }
    return ids;
}

bool TargetLink::LoadPhase2Chunk(uint32_t offset, std::span<const uint8_t> bytes) {
    if (bytes.size() > kPhase2ChunkSize) {
        return false;
    }
    return plainCommand(command::kLoadPhase2Chunk, Args().u32(offset).bytes(bytes));
}

bool TargetLink::StartPhase2() {
    return plainCommand(command::kStartPhase2, Args().u32(0));
}

bool TargetLink::SetTargetParams(uint32_t baseAddress, uint8_t busWidth) {
    return plainCommand(command::kSetTargetParams, Args().u32(baseAddress).u8(busWidth));
}

std::optional<TargetStatus> TargetLink::GetStatus() {
    return statusCommand(command::kGetStatus, {});
}

std::optional<TargetStatus> TargetLink::NoMoreBlocks() {
    return statusCommand(command::kNoMoreBlocks, {});
}

std::optional<TargetTiming> TargetLink::GetTiming() {
    const auto reply = exchange(command::kGetTiming, {});
    if (!reply) {
        return std::nullopt;
    }
    return TargetTiming{readBe32(*reply, 1), readBe32(*reply, 5)};
}

bool TargetLink::SendHuffmanTable(std::span<const uint8_t> table) {
    if (table.size() != kHuffmanTableSize) {
        return false;
    }
    return plainCommand(command::kSendHuffmanTable, table);
}

bool TargetLink::EraseSector(uint32_t address, uint32_t size) {
    say(strprintf("\nErase sector @0x%x\n", address));
    return plainCommand(command::kEraseSector, Args().u32(address).u32(size));
}

bool TargetLink::EraseChip(uint32_t size) {
    return plainCommand(command::kEraseChip, Args().u32(size));
}

std::optional<BufferStatus> TargetLink::ReadToBuffer(uint32_t address, uint32_t length) {
    say(strprintf("\nRead block @0x%x\n", address));
    return bufferStatusCommand(command::kReadToBuffer, Args().u32(address).u32(length));
}

std::optional<TargetStatus> TargetLink::WriteBlockGroup(uint8_t firstBuffer, uint8_t count) {
    say(strprintf("\nWrite block group of %d blocks\n", count));
    if (lastStatus_.freeSlots < count && !WaitSlots(count)) {
        return std::nullopt;
    }
    return statusCommand(command::kWriteBlockGroup, Args().u8(firstBuffer).u8(count));
}

std::optional<TargetStatus> TargetLink::UpdateBuffer(uint8_t buffer, uint16_t offset,
                                                     std::span<const uint8_t> bytes) {
    say(strprintf("\nUpdate buffer block no. %d\n", buffer));
    if (bytes.size() > kBlockSize) {
        return std::nullopt;
    }
    return statusCommand(command::kUpdateBuffer, Args().u8(buffer).u16(offset).bytes(bytes));
}

std::optional<BufferStatus> TargetLink::DownloadToBuffer(uint32_t address, const BlockData& block) {
    say(strprintf("\nDownload to buffer @0x%x\n", address));
    const auto args = blockArgs(address, block);
    if (!args) {
        return std::nullopt;
    }
    return bufferStatusCommand(downloadToBufferCommand(block.coding), *args);
}

std::optional<TargetStatus> TargetLink::DownloadAndWrite(uint32_t address, const BlockData& block) {
    say(strprintf("\nDownload and write block @0x%x\n", address));
    const auto args = blockArgs(address, block);
    if (!args) {
        return std::nullopt;
    }
    if (lastStatus_.freeSlots == 0 && !WaitSlots(1)) {
        return std::nullopt;
    }
    return statusCommand(downloadAndWriteCommand(block.coding), *args);
}

std::optional<std::vector<uint8_t>> TargetLink::UploadBlock(uint32_t address, uint32_t length) {
    say(strprintf("\nUpload block @0x%x\n", address));
    // Reply: code, three bytes of no use to the host, then the data.
    constexpr std::size_t kDataAt = 4;
    // The reply's length field has 16 bits.
    if (length > 0xFFFFu - kDataAt) {
        return std::nullopt;
    }
    const auto reply = exchange(command::kUploadBlock, Args().u32(address).u32(length),
                                static_cast<int>(length + kDataAt));
    if (!reply) {
        return std::nullopt;
    }
    return std::vector<uint8_t>(reply->begin() + kDataAt, reply->end());
}

std::optional<uint16_t> TargetLink::GetCrc16(uint32_t address, uint32_t size, uint16_t startValue) {
    const auto reply = exchange(command::kGetCrc16, Args().u32(address).u32(size).u16(startValue));
    return reply ? std::optional<uint16_t>(readBe16(*reply, 1)) : std::nullopt;
}

std::optional<uint8_t> TargetLink::GetChecksum(uint32_t address, uint32_t length) {
    const auto reply = exchange(command::kGetChecksum, Args().u32(address).u32(length));
    return reply ? std::optional<uint8_t>((*reply)[1]) : std::nullopt;
}

std::optional<bool> TargetLink::QueryChipErase() {
    const auto reply = exchange(command::kQueryChipErase, {});
    return reply ? std::optional<bool>((*reply)[1] == 1) : std::nullopt;
}

bool TargetLink::SetClock(ClockSource source, uint8_t divider) {
    return plainCommand(command::kSetClock, Args().u8(static_cast<uint8_t>(source)).u8(divider));
}

std::optional<uint8_t> TargetLink::GetChipVariant() {
    const auto reply = exchange(command::kGetChipVariant, {});
    return reply ? std::optional<uint8_t>((*reply)[1]) : std::nullopt;
}

bool TargetLink::Finish() {
    return plainCommand(command::kFinish, {});
}

std::optional<TargetStatus> TargetLink::WaitBuffers(uint8_t count) {
    return statusCommand(command::kWaitBuffers, Args().u8(count));
}

std::optional<TargetStatus> TargetLink::WaitSlots(uint8_t count) {
    return statusCommand(command::kWaitSlots, Args().u8(count));
}

std::optional<LastOperation> TargetLink::GetLastOperation() {
    const auto reply = exchange(command::kGetLastOperation, {});
    if (!reply) {
        return std::nullopt;
    }
    return LastOperation{(*reply)[1], readBe32(*reply, 2)};
}

bool TargetLink::LockSector(uint32_t address) {
    return plainCommand(command::kLockSector, Args().u32(address));
}

bool TargetLink::UnlockSector(uint32_t address) {
    return plainCommand(command::kUnlockSector, Args().u32(address));
}

std::optional<LastActivity> TargetLink::GetLastActivity() {
    const auto reply = exchange(command::kGetLastActivity, {});
    if (!reply) {
        return std::nullopt;
    }
    return LastActivity{(*reply)[1], readBe32(*reply, 2), readBe32(*reply, 6),
                        readBe32(*reply, 10)};
}

bool TargetLink::SetErrorBits(uint8_t flag) {
    return plainCommand(command::kSetErrorBits, Args().u8(flag));
}

} // namespace zeph::flash
