// The target's commands: each one checks its arguments and decides the reply.

#include "target_model.h"

#include "common/bytes/byte_order.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zeph::flashsim {
namespace {

// Command codes; a reply carries the code plus 1.
enum : uint8_t {
    kSetBaud = 0x00,
    kGetBusWidth = 0x02,
    kSetFlashLocation = 0x04,
    kGetFlashIds = 0x06,
    kLoadPhase2Chunk = 0x08,
    kStartPhase2 = 0x0A,
    kSetTargetParams = 0x0C,
    kGetStatus = 0x0E,
    kNoMoreBlocks = 0x10,
    kGetTiming = 0x12,
    kSendHuffmanTable = 0x14,
    kEraseSector = 0x16,
    kEraseChip = 0x18,
    kReadToBuffer = 0x1A,
    kWriteBlockGroup = 0x1C,
    kUpdateBuffer = 0x1E,
    kDownloadToBuffer = 0x20,
    kDownloadToBufferHuffman = 0x22,
    kDownloadAndWrite = 0x24,
    kDownloadAndWriteHuffman = 0x26,
    kUploadBlock = 0x28,
    kGetCrc16 = 0x2A,
    kGetChecksum = 0x2C,
    kQueryChipErase = 0x2E,
    kDownloadToBufferLzss = 0x30,
    kDownloadAndWriteLzss = 0x32,
    kSetClock = 0x34,
    kGetChipVariant = 0x36,
    kFinish = 0x38,
    kWaitBuffers = 0x3A,
    kWaitSlots = 0x3C,
    kGetLastOperation = 0x3E,
    kLockSector = 0x40,
    kUnlockSector = 0x42,
    kGetLastActivity = 0x44,
    kSetErrorBits = 0x46,
};

constexpr uint8_t kOpSectorLock = 3;
constexpr uint8_t kOpSectorUnlock = 4;

constexpr std::array<unsigned, 5> kRates = {38400, 57600, 115200, 230400, 307200};

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

} // namespace

static_assert(kFinish == kFinishCode);

// The host recovers a bad exchange from its first command after the parameters and, with the
// phase-2 program that takes them, the error bits.
bool TargetModel::armsFaults(uint8_t code) const {
    switch (config_.faults.from) {
    case FaultStart::Start:
        return true;
    case FaultStart::Params:
        return paramsSet_;
    case FaultStart::Run:
        break;
    }
    return paramsSet_ && code != kSetTargetParams && code != kSetErrorBits;
}

TargetModel::Reply TargetModel::dispatch(const Bytes& p) {
    const uint8_t code = p[0];
    switch (code) {
    case kSetBaud:
    case kGetBusWidth:
    case kSetFlashLocation:
    case kGetFlashIds:
    case kLoadPhase2Chunk:
    case kStartPhase2:
    case kGetChecksum:
    case kSetClock:
    case kGetChipVariant:
    case kFinish:
        return detectCommand(p);
    default:
        break;
    }
    if (stage_ != Stage::Phase2) {
        return Reply::refuse("command " + hex(code) + " needs the phase-2 program");
    }
    switch (code) {
    case kEraseSector:
    case kEraseChip:
    case kQueryChipErase:
    case kLockSector:
    case kUnlockSector:
    case kSetTargetParams:
    case kSetErrorBits:
    case kUploadBlock:
    case kGetCrc16:
        return flashCommand(p);
    case kReadToBuffer:
    case kWriteBlockGroup:
    case kUpdateBuffer:
    case kDownloadToBuffer:
    case kDownloadAndWrite:
    case kDownloadToBufferHuffman:
    case kDownloadAndWriteHuffman:
    case kDownloadToBufferLzss:
    case kDownloadAndWriteLzss:
    case kSendHuffmanTable:
        return bufferCommand(p);
    default:
        return reportCommand(p);
    }
}

// A reply packet: the reply code (the command code + 1), then the fields.
TargetModel::Reply TargetModel::replyPacket(uint8_t code, const Bytes& fields) {
    Bytes payload(fields.size() + 1);
    payload[0] = static_cast<uint8_t>(code + 1);
    std::copy(fields.begin(), fields.end(), payload.begin() + 1);
    return Reply::packet(std::move(payload));
}

// What the phase-1 program answers (and phase 2 still does).
TargetModel::Reply TargetModel::detectCommand(const Bytes& p) {
    const uint8_t code = p[0];
    const size_t n = p.size();
    const auto refuse = [&](const std::string& why) {
        return Reply::refuse(hex(code) + ": " + why);
    };
    const auto packet = [&](const Bytes& fields) { return replyPacket(code, fields); };
    switch (code) {
    case kSetBaud: {
        if (n != 5) {
            return refuse("SetBaud wants a 4-byte rate");
        }
        const uint32_t rate = readBe32(&p[1]);
        if (std::find(kRates.begin(), kRates.end(), rate) == kRates.end()) {
            return refuse("rate " + std::to_string(rate) + " not supported");
        }
        return Reply::ackOnly(rate);
    }
    case kGetBusWidth:
        return packet({static_cast<uint8_t>(config_.busWidth)});
    case kSetFlashLocation:
        if (n != 6 || p[1] > 7) {
            return refuse("SetFlashLocation wants chip select 0..7 and a base address");
        }
        locationSet_ = true;
        return packet({});
    case kGetFlashIds: {
        Bytes fields;
        const int count = locationSet_ ? config_.chipCount : 0;
        fields.push_back(static_cast<uint8_t>(count));
        for (int i = 0; i < count; ++i) {
            const ChipEntry& chip =
                i == 1 && config_.secondChip ? *config_.secondChip : config_.chip;
            appendBe16(fields, chip.manufacturerId);
            appendBe16(fields, chip.deviceId);
        }
        return packet(std::move(fields));
    }
    case kLoadPhase2Chunk: {
        if (n < 5 || n > 5 + kBlockSize) {
            return refuse("LoadPhase2Chunk wants an offset and up to 1024 bytes");
        }
        const uint32_t offset = readBe32(&p[1]);
        const size_t count = n - 5;
        if (offset > kMaxPhase2 || count > kMaxPhase2 - offset) {
            return refuse("phase-2 image larger than target RAM");
        }
        if (phase2Image_.size() < offset + count) {
            phase2Image_.resize(offset + count, 0);
        }
        std::copy(p.begin() + 5, p.end(), phase2Image_.begin() + offset);
        return packet({});
    }
    case kStartPhase2:
        if (n != 5 || readBe32(&p[1]) != 0) {
            return refuse("StartPhase2 wants four zero bytes");
        }
        if (phase2Image_.size() < kTagLength ||
            std::memcmp(phase2Image_.data(), kPhase2Tag, kTagLength) != 0) {
            return refuse("the loaded phase-2 image is not a phase-2 program");
        }
        stage_ = Stage::Phase2;
        return packet({});
    case kGetChecksum: {
        if (n != 9) {
            return refuse("GetChecksum wants an address and a length");
        }
        const uint32_t address = readBe32(&p[1]);
        const uint32_t length = readBe32(&p[5]);
        if (address > phase1Image_.size() || length > phase1Image_.size() - address) {
            return refuse("GetChecksum outside the phase-1 image");
        }
        return packet({negatedSum(phase1Image_.data() + address, length)});
    }
    case kSetClock:
        if (n != 3 || p[1] > 1 || (p[2] != 1 && p[2] != 2 && p[2] != 4)) {
            return refuse("SetClock wants source 0/1 and divider 1, 2 or 4");
        }
        return packet({});
    case kGetChipVariant:
        return packet({config_.variant});
    default: { // Finish
        std::string error;
        if (!saveFlash(error)) {
            note(error);
        }
        Reply reply = packet({});
        reply.reset = true;
        return reply;
    }
    }
}

// Erase, lock, parameters and the reads that do not take a buffer.
TargetModel::Reply TargetModel::flashCommand(const Bytes& p) {
    const uint8_t code = p[0];
    const size_t n = p.size();
    const auto refuse = [&](const std::string& why) {
        return Reply::refuse(hex(code) + ": " + why);
    };
    const auto packet = [&](const Bytes& fields) { return replyPacket(code, fields); };
    if (code == kSetTargetParams) {
        if (n != 6 || p[5] != config_.busWidth) {
            return refuse("SetTargetParams wants a base and the bus width " +
                          std::to_string(config_.busWidth));
        }
        paramsSet_ = true;
        return packet({});
    }
    if (code == kSetErrorBits) {
        if (n != 2) {
            return refuse("SetErrorBits wants one flag byte");
        }
        noErrorBits_ = p[1] != 0;
        return packet({});
    }
    if (code == kQueryChipErase) {
        return packet({static_cast<uint8_t>(config_.chipEraseSupported ? 1 : 0)});
    }
    if (!paramsSet_) {
        return refuse("flash command before SetTargetParams");
    }
    switch (code) {
    case kEraseSector: {
        const std::optional<size_t> sector =
            n == 9 ? flash_.sectorAt(readBe32(&p[1])) : std::nullopt;
        if (!sector || flash_.sectors()[*sector].start != readBe32(&p[1]) ||
            flash_.sectors()[*sector].size != readBe32(&p[5])) {
            return refuse("EraseSector wants the start and size of a sector");
        }
        queueOp({OpKind::EraseSector, readBe32(&p[1]), *sector, config_.eraseUs});
        return packet({});
    }
    case kEraseChip:
        if (n != 5 || !config_.chipEraseSupported) {
            return refuse("EraseChip is not supported here");
        }
        if (readBe32(&p[1]) != flash_.size()) {
            note("EraseChip size " + std::to_string(readBe32(&p[1])) + " is not the flash size");
        }
        queueOp({OpKind::EraseChip, 0, 0, config_.eraseUs * flash_.sectors().size()});
        return packet({});
    case kLockSector:
    case kUnlockSector: {
        const std::optional<size_t> sector =
            n == 5 ? flash_.sectorAt(readBe32(&p[1])) : std::nullopt;
        if (!sector) {
            return refuse("no sector at that address");
        }
        flash_.setLocked(*sector, code == kLockSector);
        if (queue_.empty()) {
            lastOperation_ = code == kLockSector ? kOpSectorLock : kOpSectorUnlock;
            lastOperationAddress_ = flash_.sectors()[*sector].start;
        }
        return packet({});
    }
    case kUploadBlock: {
        const uint32_t address = n == 9 ? readBe32(&p[1]) : 0;
        const uint32_t length = n == 9 ? readBe32(&p[5]) : 0;
        if (n != 9 || length == 0 || length > kBlockSize || !flash_.contains(address, length)) {
            return refuse("UploadBlock wants up to 1024 bytes inside the flash");
        }
        Bytes fields(3 + length, 0); // three bytes the host skips, then the data
        std::copy_n(flash_.at(address), length, fields.begin() + 3);
        return packet(fields);
    }
    default: { // GetCrc16
        const uint32_t address = n == 11 ? readBe32(&p[1]) : 0;
        const uint32_t length = n == 11 ? readBe32(&p[5]) : 0;
        if (n != 11 || !flash_.contains(address, length)) {
            return refuse("GetCrc16 wants a range inside the flash and a start value");
        }
        Bytes fields;
        appendBe16(fields, crc16(flash_.at(address), length, readBe16(&p[9])));
        return packet(std::move(fields));
    }
    }
}

std::optional<size_t> TargetModel::takeBuffer(uint32_t address) {
    for (size_t i = 0; i < kBufferCount; ++i) {
        const size_t index = (nextBuffer_ + i) % kBufferCount;
        if (buffers_[index].state == BufferState::Free) {
            buffers_[index].state = BufferState::Filled;
            buffers_[index].address = address;
            nextBuffer_ = (index + 1) % kBufferCount;
            return index;
        }
    }
    return std::nullopt;
}

// A compressed download: flash address (4), pad-bit count (1), code bits. A refused LZSS block
// leaves no stream behind, so the next one starts fresh.
std::string TargetModel::decodeDownload(const Bytes& p, bool huffman, DecodedBlock& out) {
    const size_t n = p.size();
    const uint32_t address = n >= 6 ? readBe32(&p[1]) : 0;
    const std::optional<CodeBits> bits =
        n >= 6 ? CodeBits::make(p.data() + 6, n - 6, p[5]) : std::nullopt;
    if (!bits || address % kBlockSize != 0 || !flash_.contains(address, kBlockSize)) {
        if (!huffman) {
            lzss_.reset();
        }
        return "wants a block address inside the flash, a pad-bit count 0..7 and code bits";
    }
    return huffman ? huffman_.decode(*bits, out) : lzss_.decode(address, *bits, out);
}

// The RAM buffers: fill, patch, write. A command that finds no buffer or no queue entry
// stops the target with the error flag, as the host should have waited. A compressed block
// whose stream does not decode is refused like any bad argument (NAK, nothing stored).
TargetModel::Reply TargetModel::bufferCommand(const Bytes& p) {
    const uint8_t code = p[0];
    const size_t n = p.size();
    const auto refuse = [&](const std::string& why) {
        return Reply::refuse(hex(code) + ": " + why);
    };
    if (code == kSendHuffmanTable) {
        if (!huffman_.setTable(p.data() + 1, n - 1)) {
            return refuse("SendHuffmanTable wants the 1020-byte decoding table");
        }
        return Reply::packet({static_cast<uint8_t>(code + 1)});
    }
    if (!paramsSet_) {
        return refuse("buffer command before SetTargetParams");
    }
    const bool writes = code == kDownloadAndWrite || code == kDownloadAndWriteHuffman ||
                        code == kDownloadAndWriteLzss;
    const bool huffman = code == kDownloadToBufferHuffman || code == kDownloadAndWriteHuffman;
    const bool lzss = code == kDownloadToBufferLzss || code == kDownloadAndWriteLzss;
    switch (code) {
    case kReadToBuffer:
    case kDownloadToBuffer:
    case kDownloadAndWrite:
    case kDownloadToBufferHuffman:
    case kDownloadAndWriteHuffman:
    case kDownloadToBufferLzss:
    case kDownloadAndWriteLzss: {
        const bool read = code == kReadToBuffer;
        const uint32_t address = n >= 5 ? readBe32(&p[1]) : 0;
        DecodedBlock data{};
        if (huffman || lzss) {
            const std::string why = decodeDownload(p, huffman, data);
            if (!why.empty()) {
                return refuse(why);
            }
        } else if ((read && (n != 9 || readBe32(&p[5]) != kBlockSize)) ||
                   (!read && n != 5 + kBlockSize) || address % kBlockSize != 0 ||
                   !flash_.contains(address, kBlockSize)) {
            return refuse("wants a block address inside the flash and 1024 bytes");
        } else if (read) {
            std::copy_n(flash_.at(address), kBlockSize, data.begin());
        } else {
            std::copy(p.begin() + 5, p.end(), data.begin());
        }
        if (writes && queue_.size() >= kQueueSlots) {
            note(hex(code) + ": no free queue entry: error flag set");
            errorFlag_ = 1;
            return statusReply(static_cast<uint8_t>(code + 1));
        }
        const std::optional<size_t> buffer = takeBuffer(address);
        if (!buffer) {
            note(hex(code) + ": no free buffer: error flag set");
            errorFlag_ = 1;
            return writes ? statusReply(static_cast<uint8_t>(code + 1))
                          : statusAndBuffer(static_cast<uint8_t>(code + 1), 0);
        }
        Buffer& b = buffers_[*buffer];
        b.data = data;
        if (!writes) {
            return statusAndBuffer(static_cast<uint8_t>(code + 1), *buffer);
        }
        b.state = BufferState::Queued;
        queueOp({OpKind::WriteBlock, address, *buffer, config_.programUs});
        return statusReply(static_cast<uint8_t>(code + 1));
    }
    case kUpdateBuffer: {
        const size_t offset = n >= 4 ? readBe16(&p[2]) : 0;
        if (n < 5 || p[1] >= kBufferCount || buffers_[p[1]].state != BufferState::Filled ||
            offset + (n - 4) > kBlockSize) {
            return refuse("UpdateBuffer wants a filled buffer and data inside its block");
        }
        std::copy(p.begin() + 4, p.end(), buffers_[p[1]].data.begin() + static_cast<long>(offset));
        return statusReply(static_cast<uint8_t>(code + 1));
    }
    default: { // WriteBlockGroup
        if (n != 3 || p[1] >= kBufferCount || p[2] == 0 || p[2] > kBufferCount) {
            return refuse("WriteBlockGroup wants a buffer number and a count");
        }
        for (size_t i = 0; i < p[2]; ++i) {
            if (buffers_[(p[1] + i) % kBufferCount].state != BufferState::Filled) {
                return refuse("WriteBlockGroup names a buffer that holds no block");
            }
        }
        if (kQueueSlots - queue_.size() < p[2]) {
            note(hex(code) + ": not enough free queue entries: error flag set");
            errorFlag_ = 1;
            return statusReply(static_cast<uint8_t>(code + 1));
        }
        for (size_t i = 0; i < p[2]; ++i) {
            const size_t index = (p[1] + i) % kBufferCount;
            buffers_[index].state = BufferState::Queued;
            queueOp({OpKind::WriteBlock, buffers_[index].address, index, config_.programUs});
        }
        return statusReply(static_cast<uint8_t>(code + 1));
    }
    }
}

// Status, waits, timing and the failure record.
TargetModel::Reply TargetModel::reportCommand(const Bytes& p) {
    const uint8_t code = p[0];
    const auto packet = [&](const Bytes& fields) { return replyPacket(code, fields); };
    switch (code) {
    case kGetStatus:
    case kNoMoreBlocks:
        return statusReply(static_cast<uint8_t>(code + 1));
    case kGetTiming: {
        Bytes fields;
        appendBe32(fields, static_cast<uint32_t>(eraseUsTotal_ * 32768 / 1'000'000));
        appendBe32(fields, static_cast<uint32_t>(programUsTotal_ * 32768 / 1'000'000));
        return packet(std::move(fields));
    }
    case kWaitBuffers:
    case kWaitSlots: {
        const size_t most = code == kWaitBuffers ? kBufferCount : kQueueSlots;
        if (p.size() != 2 || p[1] > most) {
            return Reply::refuse(hex(code) + ": wants a count the target can free");
        }
        return Reply::wait();
    }
    case kGetLastOperation: {
        Bytes fields{lastOperation_};
        appendBe32(fields, lastOperationAddress_);
        return packet(std::move(fields));
    }
    case kGetLastActivity: {
        Bytes fields{lastActivity_};
        appendBe32(fields, activityAddress_);
        appendBe32(fields, activityExpected_);
        appendBe32(fields, activityActual_);
        return packet(std::move(fields));
    }
    default:
        return Reply::refuse("unknown command " + hex(code));
    }
}

TargetModel::Reply TargetModel::statusReply(uint8_t code) const {
    const TargetStatus s = status();
    Bytes fields{code, s.freeBuffers};
    appendBe16(fields, s.blocksProgrammed);
    fields.push_back(s.errorFlag);
    fields.push_back(s.freeSlots);
    return Reply::packet(std::move(fields));
}

TargetModel::Reply TargetModel::statusAndBuffer(uint8_t code, size_t buffer) const {
    Reply reply = statusReply(code);
    reply.payload.push_back(static_cast<uint8_t>(buffer));
    return reply;
}

TargetStatus TargetModel::status() const {
    TargetStatus s;
    s.freeBuffers =
        static_cast<uint8_t>(std::count_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) {
            return b.state == BufferState::Free;
        }));
    s.blocksProgrammed = blocksProgrammed_;
    s.errorFlag = errorFlag_;
    s.freeSlots = static_cast<uint8_t>(kQueueSlots - queue_.size());
    return s;
}

bool TargetModel::waitSatisfied() const {
    const TargetStatus s = status();
    return errorFlag_ != 0 ||
           (waitCode_ == kWaitBuffers ? s.freeBuffers : s.freeSlots) >= waitCount_;
}

} // namespace zeph::flashsim
