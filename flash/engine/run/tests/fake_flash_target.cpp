#include "fake_flash_target.h"

#include "flash/engine/run/crc16.h"

#include "common/bytes/byte_order.h"

#include <algorithm>

namespace zeph::flash::testing {

namespace {

// Least significant bit of the first byte first.
class Bits {
public:
    Bits(const std::vector<uint8_t>& bytes, size_t count) : bytes_(bytes), count_(count) {}
    bool left(size_t n) const { return at_ + n <= count_; }
    uint32_t take(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++at_) {
            v |= static_cast<uint32_t>((bytes_[at_ / 8] >> (at_ % 8)) & 1u) << i;
        }
        return v;
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t count_;
    size_t at_ = 0;
};

} // namespace

FakeFlashTarget::FakeFlashTarget(uint32_t flashSize, uint8_t buffers, uint8_t slots)
    : flash(flashSize, 0xFF), buffers_(buffers), slots_(slots) {}

FakeFlashTarget::Bytes FakeFlashTarget::codes() const {
    Bytes out;
    for (const Bytes& c : commands) {
        out.push_back(c[0]);
    }
    return out;
}

size_t FakeFlashTarget::count(uint8_t code) const {
    const Bytes all = codes();
    return static_cast<size_t>(std::count(all.begin(), all.end(), code));
}

long FakeFlashTarget::read(uint8_t* buffer, std::size_t count) {
    size_t n = 0;
    while (n < count && !output_.empty()) {
        buffer[n++] = output_.front();
        output_.pop_front();
    }
    return static_cast<long>(n);
}

long FakeFlashTarget::write(const uint8_t* buffer, std::size_t count) {
    const Bytes packet(buffer, buffer + count);
    // Acknowledgements and the raw phase-1 download are not packets.
    if (count < 4 || size_t{readBe16(packet, 0)} + 3 != count || linkChecksum(packet) != 0) {
        return static_cast<long>(count);
    }
    const Bytes payload(packet.begin() + 2, packet.end() - 1);
    commands.push_back(payload);
    std::optional<Bytes> reply = handle(payload);
    output_.push_back(kAck);
    if (reply) {
        for (uint8_t b : buildPacket(*reply)) {
            output_.push_back(b);
        }
    }
    return static_cast<long>(count);
}

void FakeFlashTarget::violation(std::string what) {
    violations.push_back(std::move(what));
    errorFlag_ = 1;
}

FakeFlashTarget::Bytes FakeFlashTarget::status(uint8_t replyCode) const {
    const auto free = std::count_if(buffers_.begin(), buffers_.end(),
                                    [](const Buffer& b) { return b.state == State::Free; });
    return {replyCode,
            static_cast<uint8_t>(free),
            static_cast<uint8_t>(blocksProgrammed_ >> 8),
            static_cast<uint8_t>(blocksProgrammed_),
            errorFlag_,
            static_cast<uint8_t>(slots_ - queue_.size())};
}

void FakeFlashTarget::queue(const Op& op) {
    if (queue_.size() >= slots_) {
        violation("queue full");
        return;
    }
    if (queue_.empty()) {
        lastOperation_ = {op.code, op.address};
    }
    queue_.push_back(op);
}

// The operation at the head of the queue ends.
bool FakeFlashTarget::workOne() {
    if (queue_.empty() || errorFlag_ != 0) {
        return false;
    }
    const Op op = queue_.front();
    if (op.code == 0) {
        Buffer& b = buffers_[op.buffer];
        if (failingBlock && *failingBlock == op.address) {
            errorFlag_ = 1;
            lastActivity_ = {6, op.address, static_cast<uint32_t>(b.data[0] | b.data[1] << 8),
                             static_cast<uint32_t>(flash[op.address] | flash[op.address + 1] << 8)};
            return false;
        }
        for (size_t i = 0; i < kBlockSize; ++i) {
            flash[op.address + i] &= b.data[i];
        }
        b.state = State::Free;
        ++blocksProgrammed_;
        programTicks_ += 328;
    } else {
        const uint32_t from = op.code == 2 ? 0 : op.address;
        const uint32_t size = op.code == 2 ? static_cast<uint32_t>(flash.size()) : op.size;
        std::fill_n(flash.begin() + from, size, 0xFF);
        eraseTicks_ += 3277;
    }
    queue_.pop_front();
    if (!queue_.empty()) {
        lastOperation_ = {queue_.front().code, queue_.front().address};
    }
    return true;
}

std::optional<size_t> FakeFlashTarget::takeBuffer(uint32_t address, const char* what) {
    for (size_t i = 0; i < buffers_.size(); ++i) {
        const size_t index = (nextBuffer_ + i) % buffers_.size();
        if (buffers_[index].state == State::Free) {
            buffers_[index].state = State::Filled;
            buffers_[index].address = address;
            nextBuffer_ = (index + 1) % buffers_.size();
            return index;
        }
    }
    violation(std::string(what) + " without a free buffer");
    return std::nullopt;
}

std::optional<FakeFlashTarget::Bytes> FakeFlashTarget::handle(const Bytes& p) {
    const uint8_t code = p[0];
    const auto reply = static_cast<uint8_t>(code + 1);
    switch (code) {
    case 0x00: // SetBaud
        return std::nullopt;
    case 0x02:
        return Bytes{reply, 16};
    case 0x06: {
        Bytes out{reply, 1};
        appendBe16(out, id.manufacturer);
        appendBe16(out, id.device);
        return out;
    }
    case 0x2C:
        return Bytes{reply, phase1Sum};
    case 0x36:
        return Bytes{reply, 0x21};
    case 0x0E: // GetStatus: time passes
        workOne();
        return status(reply);
    case 0x10: // NoMoreBlocks
        workOne();
        return status(reply);
    case 0x12: {
        if (!answerTiming) {
            return std::nullopt;
        }
        Bytes out{reply};
        appendBe32(out, eraseTicks_);
        appendBe32(out, programTicks_);
        return out;
    }
    case 0x14:
        huffmanTable_.assign(p.begin() + 1, p.end());
        return Bytes{reply};
    case 0x16: // EraseSector
        if (queue_.size() >= slots_) {
            violation("sector erase without a free queue entry");
        }
        queue({1, readBe32(p, 1), readBe32(p, 5), 0});
        return Bytes{reply};
    case 0x18:
        if (!chipEraseSupported) {
            violation("chip erase not supported");
        }
        queue({2, 0, 0, 0});
        return Bytes{reply};
    case 0x2E:
        return Bytes{reply, static_cast<uint8_t>(chipEraseSupported ? 1 : 0)};
    case 0x1A:   // ReadToBuffer
    case 0x28: { // UploadBlock
        const uint32_t address = readBe32(p, 1);
        const uint32_t length = readBe32(p, 5);
        if (!queue_.empty()) {
            violation("flash read while the queue runs");
        }
        if (code == 0x28) {
            Bytes out{reply, 0, 0, 0};
            out.insert(out.end(), flash.begin() + address, flash.begin() + address + length);
            return out;
        }
        const auto buffer = takeBuffer(address, "read to buffer");
        if (buffer) {
            std::copy_n(flash.begin() + address, kBlockSize, buffers_[*buffer].data.begin());
        }
        Bytes out = status(reply);
        out.push_back(static_cast<uint8_t>(buffer.value_or(0)));
        return out;
    }
    case 0x1E: { // UpdateBuffer
        const size_t offset = readBe16(p, 2);
        if (p[1] >= buffers_.size() || buffers_[p[1]].state != State::Filled ||
            offset + p.size() - 4 > kBlockSize) {
            violation("update of a buffer that holds no block");
        } else {
            std::copy(p.begin() + 4, p.end(), buffers_[p[1]].data.begin() + offset);
        }
        return status(reply);
    }
    case 0x1C: { // WriteBlockGroup
        if (slots_ - queue_.size() < p[2]) {
            violation("block group without enough queue entries");
        }
        for (size_t i = 0; i < p[2]; ++i) {
            const size_t index = (p[1] + i) % buffers_.size();
            if (buffers_[index].state != State::Filled) {
                violation("block group names a buffer that holds no block");
                break;
            }
            buffers_[index].state = State::Queued;
            queue({0, buffers_[index].address, 0, index});
        }
        return status(reply);
    }
    case 0x20:
    case 0x22:
    case 0x30: // DownloadToBuffer
    case 0x24:
    case 0x26:
    case 0x32: { // DownloadAndWrite
        const bool writes = code == 0x24 || code == 0x26 || code == 0x32;
        const uint32_t address = readBe32(p, 1);
        std::array<uint8_t, kBlockSize> data{};
        if (!decodeBlock(code, p, data)) {
            return writes ? status(reply) : [&] {
                Bytes out = status(reply);
                out.push_back(0);
                return out;
            }();
        }
        if (writes && queue_.size() >= slots_) {
            violation("block write without a free queue entry");
            return status(reply);
        }
        const auto buffer = takeBuffer(address, "block download");
        if (buffer) {
            buffers_[*buffer].data = data;
            if (writes) {
                buffers_[*buffer].state = State::Queued;
                queue({0, address, 0, *buffer});
            }
        }
        Bytes out = status(reply);
        if (!writes) {
            out.push_back(static_cast<uint8_t>(buffer.value_or(0)));
        }
        return out;
    }
    case 0x2A: { // GetCrc16
        const uint32_t address = readBe32(p, 1);
        const uint32_t size = readBe32(p, 5);
        const uint16_t start = readBe16(p, 9);
        const uint16_t crc = static_cast<uint16_t>(
            Crc16(std::span<const uint8_t>(flash).subspan(address, size), start) ^ crcFlip);
        Bytes out{reply};
        appendBe16(out, crc);
        return out;
    }
    case 0x3A:   // WaitBuffers
    case 0x3C: { // WaitSlots
        auto satisfied = [&] {
            const Bytes s = status(reply);
            return s[4] != 0 || (code == 0x3A ? s[1] : s[5]) >= p[1];
        };
        while (!satisfied() && workOne()) {
        }
        if (!satisfied()) {
            violation("wait that nothing can satisfy");
            return std::nullopt;
        }
        return status(reply);
    }
    case 0x3E: {
        const LastOperation op = operationAnswer.value_or(lastOperation_);
        Bytes out{reply, op.code};
        appendBe32(out, op.address);
        return out;
    }
    case 0x44: {
        const LastActivity a = activityAnswer.value_or(lastActivity_);
        Bytes out{reply, a.code};
        appendBe32(out, a.address);
        appendBe32(out, a.expected);
        appendBe32(out, a.actual);
        return out;
    }
    case 0x42: // UnlockSector
        if (!queue_.empty()) {
            violation("unlock while the queue runs");
        }
        return Bytes{reply};
    default: // the set-up commands without fields
        return Bytes{reply};
    }
}

bool FakeFlashTarget::decodeBlock(uint8_t code, const Bytes& p,
                                  std::array<uint8_t, kBlockSize>& out) {
    if (code == 0x20 || code == 0x24) {
        if (p.size() != 5 + kBlockSize) {
            violation("raw block of the wrong size");
            return false;
        }
        std::copy(p.begin() + 5, p.end(), out.begin());
        return true;
    }
    const Bytes stream(p.begin() + 6, p.end());
    const size_t bits = stream.size() * 8 - p[5];
    const bool decoded = code == 0x30 || code == 0x32
                             ? decodeLzss(readBe32(p, 1), stream, bits, out)
                             : decodeHuffman(stream, bits, out);
    if (!decoded) {
        violation("coded block does not decode to 1024 bytes");
    }
    return decoded;
}

bool FakeFlashTarget::decodeLzss(uint32_t address, const Bytes& code, size_t bits,
                                 std::array<uint8_t, kBlockSize>& out) {
    std::array<bool, 1024> written{};
    const bool fresh = !lastLzssAddress_ || address != *lastLzssAddress_ + kBlockSize;
    lastLzssAddress_ = address;
    if (fresh) {
        freshLzssBlocks.push_back(address);
        ringPos_ = 1;
        ring_.fill(0);
    } else {
        written.fill(true);
    }
    Bits in(code, bits);
    size_t n = 0;
    auto put = [&](uint8_t b) {
        out[n++] = b;
        ring_[ringPos_] = b;
        written[ringPos_] = true;
        ringPos_ = (ringPos_ + 1) % 1024;
    };
    while (n < kBlockSize) {
        if (!in.left(9)) {
            return false;
        }
        if (in.take(1) == 1) {
            put(static_cast<uint8_t>(in.take(8)));
            continue;
        }
        if (!in.left(14)) {
            return false;
        }
        const uint32_t from = in.take(10);
        const uint32_t length = in.take(4) + 2;
        for (uint32_t i = 0; i < length; ++i) {
            const uint32_t at = (from + i) % 1024;
            if (n >= kBlockSize || !written[at]) {
                return false;
            }
            put(ring_[at]);
        }
    }
    return !in.left(1);
}

bool FakeFlashTarget::decodeHuffman(const Bytes& code, size_t bits,
                                    std::array<uint8_t, kBlockSize>& out) {
    if (huffmanTable_.size() != 1020) {
        return false;
    }
    auto child = [&](int entry, uint32_t bit) {
        const size_t at = static_cast<size_t>(entry) * 4 + bit * 2;
        return static_cast<int16_t>(readBe16(&huffmanTable_[at]));
    };
    Bits in(code, bits);
    for (size_t n = 0; n < kBlockSize; ++n) {
        int entry = 254;
        for (;;) {
            if (!in.left(1)) {
                return false;
            }
            const int v = child(entry, in.take(1));
            if (v < 0) {
                out[n] = static_cast<uint8_t>(v + 256);
                break;
            }
            entry = v;
        }
    }
    return !in.left(1);
}

} // namespace zeph::flash::testing
