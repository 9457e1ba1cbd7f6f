#pragma once

// The flash target as the host meets it on the line: the raw phase-1 download, then packets
// with ACK/NAK, the detection and phase-2 commands, RAM block buffers and a command queue
// that erases and programs the flash over (model) time. Bytes go in with the time they
// arrived; bytes come out tagged with the line rate they are sent at.

#include "chip_list.h"
#include "code_bits.h"
#include "flash_array.h"
#include "huffman_decoder.h"
#include "lzss_decoder.h"
#include "wire_rules.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zeph::flashsim {

// The first bytes of the two target programs; an image without its tag is not run.
constexpr char kDetectTag[] = "ZEPHDET1";
constexpr char kPhase2Tag[] = "ZEPHPH21";
constexpr size_t kTagLength = 8;

constexpr unsigned kStartRate = 38400;
constexpr uint8_t kFinishCode = 0x38;
constexpr size_t kBlockSize = kCodedBlockSize;
constexpr size_t kBufferCount = 8; // RAM block buffers
constexpr size_t kQueueSlots = 16; // command queue entries
constexpr size_t kMaxPhase1 = 64 * 1024;
constexpr size_t kMaxPhase2 = 64 * 1024;
constexpr size_t kMaxPayload = 1280;
constexpr uint64_t kPacketGapUs = 500'000; // a packet left unfinished this long is dropped
// A target left this long with nothing from the host and nothing owed to it goes back to
// waiting for a phase-1 download, as after Finish: a run that ended without its Finish (a
// lost packet, a host that was killed) does not stop every later run.
constexpr uint64_t kQuietResetUs = 10'000'000;

// From which exchange on the line faults may strike.
enum class FaultStart {
    Run,    // once the host recovers: after the parameters and the error bits
    Params, // from the exchange after SetTargetParams (SetErrorBits is not recovered)
    Start,  // from the first packet: detection already fails on a fault
};

struct FaultConfig {
    double nakRate = 0;              // chance of a NAK after a good command (the reply follows the
                                     // host's NAK)
    double corruptRate = 0;          // chance of one flipped bit in a reply
    double dropRate = 0;             // chance of one byte missing from a reply
    std::optional<uint32_t> errorAt; // programming this flash offset stops with the error flag
    uint32_t seed = 1;
    FaultStart from = FaultStart::Run;
};

struct TargetConfig {
    ChipEntry chip;
    uint8_t variant = 0x21;
    int busWidth = 16; // 16 or 32
    int chipCount = 1; // 1 or 2
    // The ids GetFlashIds reports for the second chip when they differ from the first's; the
    // flash itself keeps the first chip's size and sectors for both.
    std::optional<ChipEntry> secondChip;
    uint64_t eraseUs = 20'000;  // per sector
    uint64_t programUs = 2'000; // per block
    bool chipEraseSupported = true;
    uint64_t quietResetUs = kQuietResetUs; // 0: never
    FaultConfig faults;
    std::string flashPath; // empty: the flash is not kept
};

struct OutputChunk {
    Bytes bytes;
    unsigned baud = kStartRate; // the rate these bytes go out at
};

struct TargetStatus {
    uint8_t freeBuffers = 0;
    uint16_t blocksProgrammed = 0;
    uint8_t errorFlag = 0;
    uint8_t freeSlots = 0;
};

enum class Stage { AwaitPhase1, Detect, Phase2 };

class TargetModel {
public:
    explicit TargetModel(TargetConfig config);

    // Loads the flash file if one is configured; false with `error` set when it is unreadable or
    // could not be written back (not a regular file, no right to write, no such folder).
    bool loadFlash(std::string& error);
    bool saveFlash(std::string& error) const;

    // Bytes from the host at `nowUs` (model time, never going back).
    void receive(const uint8_t* bytes, size_t count, uint64_t nowUs);
    // The line was seen empty at `nowUs`: a packet unfinished since kPacketGapUs is dropped, and
    // bytes after a refused packet length are no longer thrown away. A gap is only what the line
    // shows: bytes that were waiting when the target came to read them, however late, continue
    // the packet.
    void lineIdle(uint64_t nowUs);
    // Works off the queue up to `nowUs` and answers a waiting WaitBuffers/WaitSlots.
    void advance(uint64_t nowUs);
    // When the target next does something with no byte from the host (the queue's head ends,
    // an unfinished packet runs out of time); none when only the host can move it on.
    std::optional<uint64_t> nextEventUs() const;
    std::vector<OutputChunk> takeOutput();
    // What the target did that a user may want to know (refused commands, faults, resets).
    std::vector<std::string> takeNotes();

    unsigned lineRate() const { return lineRate_; }
    Stage stage() const { return stage_; }
    TargetStatus status() const;
    const FlashArray& flash() const { return flash_; }
    FlashArray& flash() { return flash_; }
    bool queueEmpty() const { return queue_.empty(); }

private:
    enum class LinkState { Idle, AwaitAck, AwaitHostNak, AwaitWait };
    enum class BufferState { Free, Filled, Queued };
    struct Buffer {
        BufferState state = BufferState::Free;
        uint32_t address = 0;
        std::array<uint8_t, kBlockSize> data{};
    };
    enum class OpKind { EraseSector, EraseChip, WriteBlock };
    struct Op {
        OpKind kind = OpKind::WriteBlock;
        uint32_t address = 0;
        size_t index = 0; // sector or buffer
        uint64_t durationUs = 0;
    };
    // What a command handler decided.
    struct Reply {
        enum Kind { Packet, AckOnly, Refuse, Wait } kind = Packet;
        Bytes payload;        // Packet
        std::string why;      // Refuse
        unsigned newRate = 0; // AckOnly: the rate after the ACK (0: unchanged)
        bool reset = false;   // Packet: back to awaiting phase 1 after the reply (Finish)

        static Reply packet(Bytes payload) {
            Reply r;
            r.payload = std::move(payload);
            return r;
        }
        static Reply refuse(std::string why) {
            Reply r;
            r.kind = Refuse;
            r.why = std::move(why);
            return r;
        }
        static Reply ackOnly(unsigned rate) {
            Reply r;
            r.kind = AckOnly;
            r.newRate = rate;
            return r;
        }
        static Reply wait() {
            Reply r;
            r.kind = Wait;
            return r;
        }
    };

    // Phase 1 and the packet layer (target_model.cpp).
    void receivePhase1(uint8_t byte);
    void receivePacketByte(uint8_t byte);
    void handlePacket();
    void emit(const Bytes& bytes);
    void sendReply(const Bytes& payload);
    bool roll(double rate);
    void note(std::string text);

    // Commands (target_commands.cpp).
    Reply dispatch(const Bytes& payload);
    Reply detectCommand(const Bytes& p);
    Reply flashCommand(const Bytes& p);
    Reply bufferCommand(const Bytes& p);
    Reply reportCommand(const Bytes& p);
    static Reply replyPacket(uint8_t code, const Bytes& fields);
    Reply statusReply(uint8_t code) const;
    Reply statusAndBuffer(uint8_t code, size_t buffer) const;
    std::optional<size_t> takeBuffer(uint32_t address);
    std::string decodeDownload(const Bytes& p, bool huffman, DecodedBlock& out);
    bool queueOp(const Op& op);
    bool armsFaults(uint8_t code) const;
    bool waitSatisfied() const;
    std::optional<uint64_t> quietResetAt() const;

    // The queue (target_queue.cpp).
    void startOp(const Op& op);
    void finishOp(const Op& op);
    void finishWrite(const Op& op);
    void fail(uint8_t activity, uint32_t address, uint32_t expected, uint32_t actual);
    uint32_t wordAt(uint32_t address) const;
    uint32_t erasedWord() const;
    uint8_t activityCode(uint8_t sixteenBitCode) const;
    void resetTarget(const char* why);

    TargetConfig config_;
    FlashArray flash_;
    std::mt19937 random_;
    std::vector<OutputChunk> output_;
    std::vector<std::string> notes_;
    uint64_t nowUs_ = 0;

    Stage stage_ = Stage::AwaitPhase1;
    unsigned lineRate_ = kStartRate;
    Bytes phase1Header_;
    Bytes phase1Image_;
    uint32_t phase1Length_ = 0;
    size_t phase1Trailer_ = 0;
    Bytes phase2Image_;

    LinkState link_ = LinkState::Idle;
    Bytes rx_;
    uint64_t lastRxUs_ = 0;
    uint64_t lastLineUs_ = 0; // the last byte either way
    bool discarding_ = false; // the rest of a packet whose length was refused
    Bytes lastReply_;
    Bytes heldReply_;
    uint8_t waitCode_ = 0;
    uint8_t waitCount_ = 0;

    bool locationSet_ = false;
    bool paramsSet_ = false;
    bool faultsArmed_ = false;
    bool cleanExchange_ = false; // Finish: its reply goes out whole whatever the faults
    bool noErrorBits_ = false;
    HuffmanDecoder huffman_;
    LzssDecoder lzss_;
    std::array<Buffer, kBufferCount> buffers_{};
    size_t nextBuffer_ = 0;
    std::deque<Op> queue_;
    uint64_t headStartUs_ = 0;
    uint16_t blocksProgrammed_ = 0;
    uint8_t errorFlag_ = 0;
    uint8_t lastOperation_ = 0;
    uint32_t lastOperationAddress_ = 0;
    uint8_t lastActivity_ = 0;
    uint32_t activityAddress_ = 0;
    uint32_t activityExpected_ = 0;
    uint32_t activityActual_ = 0;
    uint64_t eraseUsTotal_ = 0;
    uint64_t programUsTotal_ = 0;
};

} // namespace zeph::flashsim
