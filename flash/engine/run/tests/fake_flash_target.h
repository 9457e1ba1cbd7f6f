#pragma once

// A target that answers the host's packets as they come: block buffers, a command queue that
// works off one operation per status poll, flash that only clears bits, and the coded block
// forms decoded from their documented layouts. It notes every pacing rule the host breaks
// (no free buffer or queue entry, a flash read while the queue still runs) so that a test can
// insist on none.

#include "flash/engine/cli/pipe_record.h"
#include "flash/engine/link/target_link.h"
#include "flash/engine/link/target_port.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zeph::flash::testing {

class FakeFlashTarget final : public TargetPort {
public:
    using Bytes = std::vector<uint8_t>;

    FakeFlashTarget(uint32_t flashSize, uint8_t buffers, uint8_t slots);

    // What the target holds and how it behaves; set before the run.
    Bytes flash;
    bool chipEraseSupported = true;
    std::optional<uint32_t> failingBlock;         // writing this block raises the error flag
    std::optional<LastOperation> operationAnswer; // answers instead of the queue's own
    std::optional<LastActivity> activityAnswer;
    uint16_t crcFlip = 0;     // XORed into every CRC answer
    bool answerTiming = true; // false: GetTiming gets no reply
    FlashId id{0x0001, 0x2249};
    uint8_t phase1Sum = 0;

    // What happened.
    std::vector<Bytes> commands; // every command payload, in order
    std::vector<std::string> violations;
    std::vector<uint32_t> freshLzssBlocks; // addresses of LZSS blocks that started a stream

    Bytes codes() const;
    size_t count(uint8_t code) const;

    bool open(const std::string&, int) override {
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    long read(uint8_t* buffer, std::size_t count) override;
    long write(const uint8_t* buffer, std::size_t count) override;
    int errorCode() const override { return 0; }

private:
    enum class State { Free, Filled, Queued };
    struct Buffer {
        State state = State::Free;
        uint32_t address = 0;
        std::array<uint8_t, kBlockSize> data{};
    };
    struct Op {
        uint8_t code = 0; // last operation code: 0 write, 1 sector erase, 2 chip erase
        uint32_t address = 0;
        uint32_t size = 0;
        size_t buffer = 0;
    };

    // The reply payload, or nothing when only the acknowledgement (or nothing) comes back.
    std::optional<Bytes> handle(const Bytes& p);
    Bytes status(uint8_t replyCode) const;
    bool workOne();
    void queue(const Op& op);
    std::optional<size_t> takeBuffer(uint32_t address, const char* what);
    bool decodeBlock(uint8_t code, const Bytes& p, std::array<uint8_t, kBlockSize>& out);
    bool decodeLzss(uint32_t address, const Bytes& code, size_t bits,
                    std::array<uint8_t, kBlockSize>& out);
    bool decodeHuffman(const Bytes& code, size_t bits, std::array<uint8_t, kBlockSize>& out);
    void violation(std::string what);

    bool open_ = false;
    std::deque<uint8_t> output_;
    std::vector<Buffer> buffers_;
    size_t nextBuffer_ = 0;
    uint8_t slots_;
    std::deque<Op> queue_;
    LastOperation lastOperation_;
    LastActivity lastActivity_;
    uint16_t blocksProgrammed_ = 0;
    uint8_t errorFlag_ = 0;
    uint32_t eraseTicks_ = 0;
    uint32_t programTicks_ = 0;
    Bytes huffmanTable_;
    std::array<uint8_t, 1024> ring_{};
    uint32_t ringPos_ = 1;
    std::optional<uint32_t> lastLzssAddress_;
};

// The records a run wrote to its pipe, in order.
inline std::vector<PipeRecord> pipeRecordsIn(const std::string& bytes) {
    PipeRecordReader reader;
    reader.feed(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    std::vector<PipeRecord> out;
    while (auto r = reader.next()) {
        out.push_back(*r);
    }
    return out;
}

} // namespace zeph::flash::testing
