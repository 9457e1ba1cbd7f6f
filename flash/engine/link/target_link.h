#pragma once

// The host side of the target link: the raw phase-1 download, command and reply packets with
// their one-byte acknowledgement and retransmission rules, the rate change, and one typed
// operation per target command. Verbose diagnostics go to an injectable text sink.

#include "common/clock/clock.h"
#include "flash/engine/link/target_commands.h"
#include "flash/engine/link/target_port.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zeph::flash {

constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

constexpr std::size_t kTransmitBufferSize = 2048; // a whole command packet
constexpr std::size_t kDrainBufferSize = 1280;    // what one drain after a NAK takes in
constexpr std::size_t kPhase1ChunkSize = 512;
constexpr std::size_t kBlockSize = 1024;
constexpr std::size_t kPhase2ChunkSize = 1024;
constexpr std::size_t kHuffmanTableSize = 1020;
constexpr std::size_t kMaxFlashChips = 2;
constexpr std::size_t kMaxLzssCodeBytes = 1152;
// A reply is taken at most this many times less one before the link gives up.
constexpr int kReplyAttemptLimit = 10;
constexpr std::chrono::milliseconds kNakDrainWait{300};
constexpr std::chrono::milliseconds kBaudSettleWait{100};

using TextSink = std::function<void(std::string_view)>;

// Two's complement of the 8-bit sum, so that the bytes plus this sum to 0 modulo 256.
uint8_t linkChecksum(std::span<const uint8_t> bytes);
// Length bytes, payload and checksum, as one packet goes on the line.
std::vector<uint8_t> buildPacket(std::span<const uint8_t> payload);

class TargetLink {
public:
    TargetLink(TargetPort& port, Clock& clock);

    void setVerbose(bool on) { verbose_ = on; }
    bool verbose() const { return verbose_; }
    // Where verbose text goes; without a sink it is dropped.
    void setTextSink(TextSink sink) { sink_ = std::move(sink); }

    // 0 until the target has its parameters; 1 turns on retransmission (and never goes back).
    void setLinkRecovery(bool on) { linkRecovery_ = on; }
    bool linkRecovery() const { return linkRecovery_; }

    // While `check` answers true no packet goes out and a waiting read ends: a run that was
    // asked to stop gets out of its step at once. The port gets the same check.
    void setStopCheck(std::function<bool()> check);

    // The last status a reply carried (zeros before the first one).
    const TargetStatus& lastStatus() const { return lastStatus_; }

    bool OpenPort(const std::string& name, int baud);
    void ClosePort();

    // Header ('S', 0, length big-endian), the image in 512-byte chunks, four zero bytes.
    bool SendRawPhase1(std::span<const uint8_t> image);
    // Frames and sends one packet and waits for its acknowledgement.
    bool SendCommand(std::span<const uint8_t> payload);
    // Receives one reply packet and acknowledges it; `payload` gets its N payload bytes.
    bool ReceiveReply(std::vector<uint8_t>& payload);
    // SetBaud, then close, reopen at `baud` and settle.
    bool ChangeBaud(const std::string& name, int baud);

    // Target commands. Each fails unless the command is acknowledged and the reply has the
    // right code and length.
    std::optional<uint8_t> GetBusWidth();
    bool SetFlashLocation(uint8_t chipSelect, uint32_t baseAddress);
    std::optional<std::vector<FlashId>> GetFlashIds();
    bool LoadPhase2Chunk(uint32_t offset, std::span<const uint8_t> bytes);
    bool StartPhase2();
    bool SetTargetParams(uint32_t baseAddress, uint8_t busWidth);
    std::optional<TargetStatus> GetStatus();
    std::optional<TargetStatus> NoMoreBlocks();
    std::optional<TargetTiming> GetTiming();
    bool SendHuffmanTable(std::span<const uint8_t> table);
    bool EraseSector(uint32_t address, uint32_t size);
    bool EraseChip(uint32_t size);
    std::optional<BufferStatus> ReadToBuffer(uint32_t address, uint32_t length);
    // Waits for `count` queue slots first when the last status had fewer.
    std::optional<TargetStatus> WriteBlockGroup(uint8_t firstBuffer, uint8_t count);
    std::optional<TargetStatus> UpdateBuffer(uint8_t buffer, uint16_t offset,
                                             std::span<const uint8_t> bytes);
    std::optional<BufferStatus> DownloadToBuffer(uint32_t address, const BlockData& block);
    // Waits for one queue slot first when the last status had none.
    std::optional<TargetStatus> DownloadAndWrite(uint32_t address, const BlockData& block);
    std::optional<std::vector<uint8_t>> UploadBlock(uint32_t address, uint32_t length);
    std::optional<uint16_t> GetCrc16(uint32_t address, uint32_t size, uint16_t startValue);
    std::optional<uint8_t> GetChecksum(uint32_t address, uint32_t length);
    std::optional<bool> QueryChipErase();
    bool SetClock(ClockSource source, uint8_t divider);
    std::optional<uint8_t> GetChipVariant();
    bool Finish();
    std::optional<TargetStatus> WaitBuffers(uint8_t count);
    std::optional<TargetStatus> WaitSlots(uint8_t count);
    std::optional<LastOperation> GetLastOperation();
    bool LockSector(uint32_t address);
    bool UnlockSector(uint32_t address);
    std::optional<LastActivity> GetLastActivity();
    bool SetErrorBits(uint8_t flag);

private:
    void say(std::string_view text);
    void sayBytes(std::string_view head, std::span<const uint8_t> bytes);
    bool writeAll(std::span<const uint8_t> bytes);
    // Sends code + args and returns the reply once its code and length check out.
    std::optional<std::vector<uint8_t>> exchange(const CommandInfo& command,
                                                 std::span<const uint8_t> args, int replyLength);
    std::optional<std::vector<uint8_t>> exchange(const CommandInfo& command,
                                                 std::span<const uint8_t> args) {
        return exchange(command, args, command.replyLength);
    }
    std::optional<TargetStatus> statusCommand(const CommandInfo& command,
                                              std::span<const uint8_t> args);
    std::optional<BufferStatus> bufferStatusCommand(const CommandInfo& command,
                                                    std::span<const uint8_t> args);
    bool plainCommand(const CommandInfo& command, std::span<const uint8_t> args);

    TargetPort& port_;
    Clock& clock_;
    TextSink sink_;
    std::function<bool()> stopCheck_;
    bool verbose_ = false;
    bool linkRecovery_ = false;
    TargetStatus lastStatus_;
};

} // namespace zeph::flash
