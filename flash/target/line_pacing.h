#pragma once

// The line rate in both directions. Each direction keeps a wire clock that counts bytes from
// the moment the line last went busy, so a long transfer keeps the exact rate however the
// program's wake-ups fall, and the program sleeps until a byte is due instead of looking.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace zeph::flashsim {

constexpr uint64_t kBitsPerByte = 10;
// Idle time a line may make up at once: the first bytes after a pause need not wait.
constexpr uint64_t kIdleCreditUs = 2000;
// Bytes in the middle of a transfer are handled in batches this long apart; the last byte
// there is to handle is always handled on time.
constexpr uint64_t kBatchUs = 2000;

class WireClock {
public:
    // Brings the clock to `nowUs` at `baud`: a new rate starts where the old one's bytes end,
    // and a line idle since before `nowUs - kIdleCreditUs` starts from there.
    void settle(uint64_t nowUs, unsigned baud);
    // When the byte `ahead` places after the next one may go (0: the next byte).
    uint64_t startOf(uint64_t ahead) const;
    // How many bytes may go at `nowUs` (after settle).
    uint64_t dueBy(uint64_t nowUs) const;
    void count(uint64_t bytes) { count_ += bytes; }
    // Bytes a batch holds at `baud`, at least 1.
    static uint64_t batchBytes(unsigned baud);

private:
    uint64_t epochUs_ = 0;
    uint64_t count_ = 0; // bytes since the epoch
    unsigned baud_ = 0;
};

// Bytes waiting to go out to the host, each sent no sooner than the line rate allows.
class PacedOutput {
public:
    void add(const uint8_t* bytes, size_t count, unsigned baud);
    bool empty() const { return bytes_.empty(); }
    // Writes what is due at `nowUs` through `write` (a count, 0 when the line takes nothing
    // now, -1 on error); false when the line failed. A line that took less than offered is
    // `blocked()` until the next call.
    template <class Write> bool send(uint64_t nowUs, Write&& write);
    bool blocked() const { return blocked_; }
    // When the next batch is due; none when nothing waits.
    std::optional<uint64_t> wakeUs() const;

private:
    struct Byte {
        uint8_t byte;
        unsigned baud;
    };
    // Leading bytes at the front byte's rate, at most `most`.
    size_t sameRate(size_t most) const;

    std::deque<Byte> bytes_;
    WireClock clock_;
    bool blocked_ = false;
};

// Bytes from the host are taken no faster than the line rate, so a host that writes ahead
// waits on a full line, as on a real wire.
class PacedInput {
public:
    // How many bytes may be read at `nowUs`.
    size_t allowance(uint64_t nowUs, unsigned baud);
    void took(size_t count) { clock_.count(count); }
    // When `waiting` bytes already on the line may be read, in batches; none when none wait.
    std::optional<uint64_t> wakeUs(size_t waiting, unsigned baud) const;

private:
    WireClock clock_;
};

template <class Write> bool PacedOutput::send(uint64_t nowUs, Write&& write) {
    blocked_ = false;
    while (!bytes_.empty()) {
        clock_.settle(nowUs, bytes_.front().baud);
        uint8_t batch[4096];
        const size_t count = sameRate(std::min<uint64_t>(sizeof batch, clock_.dueBy(nowUs)));
        if (count == 0) {
            return true;
        }
        for (size_t i = 0; i < count; ++i) {
            batch[i] = bytes_[i].byte;
        }
        const long n = write(batch, count);
        if (n < 0) {
            return false;
        }
        clock_.count(static_cast<uint64_t>(n));
        bytes_.erase(bytes_.begin(), bytes_.begin() + n);
        if (static_cast<size_t>(n) < count) {
            blocked_ = true;
            return true;
        }
    }
    return true;
}

} // namespace zeph::flashsim
