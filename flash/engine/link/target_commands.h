#pragma once

// The commands the host sends to the target loader, with the reply each one must get. The reply
// code is always the command code plus 1.

#include <cstddef>
#include <cstdint>
#include <span>

namespace zeph::flash {

// Reply lengths that are not one fixed number.
constexpr int kNoReply = -1;       // only the acknowledgement comes back
constexpr int kCodeOnlyReply = -2; // only the reply code is checked
constexpr int kVariableReply = -3; // the operation works the length out from its arguments

struct CommandInfo {
    uint8_t code;
    int replyLength; // payload bytes N of the reply, reply code included, or one of the above
    constexpr uint8_t replyCode() const { return static_cast<uint8_t>(code + 1); }
};

namespace command {
inline constexpr CommandInfo kSetBaud{0x00, kNoReply};
inline constexpr CommandInfo kGetBusWidth{0x02, 2};
inline constexpr CommandInfo kSetFlashLocation{0x04, 1};
inline constexpr CommandInfo kGetFlashIds{0x06, kVariableReply};
inline constexpr CommandInfo kLoadPhase2Chunk{0x08, kCodeOnlyReply};
inline constexpr CommandInfo kStartPhase2{0x0A, kCodeOnlyReply};
inline constexpr CommandInfo kSetTargetParams{0x0C, 1};
inline constexpr CommandInfo kGetStatus{0x0E, 6};
inline constexpr CommandInfo kNoMoreBlocks{0x10, 6};
inline constexpr CommandInfo kGetTiming{0x12, 9};
inline constexpr CommandInfo kSendHuffmanTable{0x14, 1};
inline constexpr CommandInfo kEraseSector{0x16, 1};
inline constexpr CommandInfo kEraseChip{0x18, 1};
inline constexpr CommandInfo kReadToBuffer{0x1A, 7};
inline constexpr CommandInfo kWriteBlockGroup{0x1C, 6};
inline constexpr CommandInfo kUpdateBuffer{0x1E, 6};
inline constexpr CommandInfo kDownloadToBufferRaw{0x20, 7};
inline constexpr CommandInfo kDownloadToBufferHuffman{0x22, 7};
inline constexpr CommandInfo kDownloadToBufferLzss{0x30, 7};
inline constexpr CommandInfo kDownloadAndWriteRaw{0x24, 6};
inline constexpr CommandInfo kDownloadAndWriteHuffman{0x26, 6};
inline constexpr CommandInfo kDownloadAndWriteLzss{0x32, 6};
inline constexpr CommandInfo kUploadBlock{0x28, kVariableReply};
inline constexpr CommandInfo kGetCrc16{0x2A, 3};
inline constexpr CommandInfo kGetChecksum{0x2C, 2};
inline constexpr CommandInfo kQueryChipErase{0x2E, 2};
inline constexpr CommandInfo kSetClock{0x34, 1};
inline constexpr CommandInfo kGetChipVariant{0x36, 2};
inline constexpr CommandInfo kFinish{0x38, 1};
inline constexpr CommandInfo kWaitBuffers{0x3A, 6};
inline constexpr CommandInfo kWaitSlots{0x3C, 6};
inline constexpr CommandInfo kGetLastOperation{0x3E, 6};
inline constexpr CommandInfo kLockSector{0x40, 1};
inline constexpr CommandInfo kUnlockSector{0x42, 1};
inline constexpr CommandInfo kGetLastActivity{0x44, 14};
inline constexpr CommandInfo kSetErrorBits{0x46, 1};
} // namespace command

// Rates the SetBaud command knows; any other rate is sent as 0.
inline constexpr uint32_t kTargetBaudRates[] = {38400, 57600, 115200, 230400, 307200};

// The target status that many replies carry after their reply code.
struct TargetStatus {
    uint8_t freeBuffers = 0;       // free block buffers in target RAM
    uint16_t blocksProgrammed = 0; // blocks the target has finished writing in this run
    uint8_t errorFlag = 0;         // non-zero: the target stopped on a flash error
    uint8_t freeSlots = 0;         // free entries in the target's command queue
    bool operator==(const TargetStatus&) const = default;
};

// Status plus the target buffer that now holds the block.
struct BufferStatus {
    TargetStatus status;
    uint8_t bufferNumber = 0;
    bool operator==(const BufferStatus&) const = default;
};

struct FlashId {
    uint16_t manufacturer = 0;
    uint16_t device = 0;
    bool operator==(const FlashId&) const = default;
};

// Target times in units of 1/32768 s.
struct TargetTiming {
    uint32_t eraseTime = 0;
    uint32_t programTime = 0;
};

// Codes: 0 block write, 1 sector erase, 2 chip erase, 3 sector lock, 4 sector unlock.
struct LastOperation {
    uint8_t code = 0;
    uint32_t address = 0;
};

struct LastActivity {
    uint8_t code = 0; // 0..11
    uint32_t address = 0;
    uint32_t expected = 0;
    uint32_t actual = 0; // actual data or status, by code
};

enum class ClockSource : uint8_t { Gps = 0, Acq = 1 };

enum class BlockCoding { Raw, Huffman, Lzss };

// One 1 KiB block as it goes to the target: its 1024 bytes, or a code bit stream packed least
// significant bit first in (bitCount + 7) / 8 bytes.
struct BlockData {
    BlockCoding coding = BlockCoding::Raw;
    std::span<const uint8_t> bytes;
    uint32_t bitCount = 0; // compressed forms only

    static BlockData raw(std::span<const uint8_t> data) { return {BlockCoding::Raw, data, 0}; }
    static BlockData huffman(std::span<const uint8_t> code, uint32_t bits) {
        return {BlockCoding::Huffman, code, bits};
    }
    static BlockData lzss(std::span<const uint8_t> code, uint32_t bits) {
        return {BlockCoding::Lzss, code, bits};
    }
};

} // namespace zeph::flash
