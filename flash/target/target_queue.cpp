// The target's command queue: erases and block writes worked off one after the other, each
// taking its configured time, until the error flag stops them.

#include "target_model.h"

#include <algorithm>

namespace zeph::flashsim {
namespace {

constexpr uint8_t kOpBlockWrite = 0;
constexpr uint8_t kOpSectorErase = 1;
constexpr uint8_t kOpChipErase = 2;

// Activity codes for a 16-bit bus; a 32-bit bus uses the next (odd) code.
constexpr uint8_t kActWriteDone = 2;
constexpr uint8_t kActEraseDone = 4;
constexpr uint8_t kActWriteVerify = 6;
constexpr uint8_t kActEraseSectorVerify = 8;
constexpr uint8_t kActEraseChipVerify = 10;

} // namespace

void TargetModel::advance(uint64_t nowUs) {
    nowUs_ = std::max(nowUs_, nowUs);
    while (!queue_.empty() && errorFlag_ == 0) {
        const Op op = queue_.front();
        const uint64_t endUs = headStartUs_ + op.durationUs;
        if (endUs > nowUs_) {
            break;
        }
        queue_.pop_front();
        finishOp(op);
        headStartUs_ = endUs;
        if (!queue_.empty() && errorFlag_ == 0) {
            startOp(queue_.front());
        }
    }
    if (link_ == LinkState::AwaitWait && waitSatisfied()) {
        sendReply(statusReply(static_cast<uint8_t>(waitCode_ + 1)).payload);
    }
    if (const std::optional<uint64_t> at = quietResetAt(); at && *at <= nowUs_) {
        resetTarget("line quiet");
    }
}

// The queue is worked off first, so the flash holds what the host was told it would.
std::optional<uint64_t> TargetModel::quietResetAt() const {
    if (config_.quietResetUs == 0 || stage_ == Stage::AwaitPhase1 ||
        link_ == LinkState::AwaitWait || (!queue_.empty() && errorFlag_ == 0)) {
        return std::nullopt;
    }
    return std::max(lastLineUs_, headStartUs_) + config_.quietResetUs;
}

std::optional<uint64_t> TargetModel::nextEventUs() const {
    std::optional<uint64_t> next;
    if (!queue_.empty() && errorFlag_ == 0) {
        next = headStartUs_ + queue_.front().durationUs;
    }
    for (const std::optional<uint64_t> at :
         {rx_.empty() ? std::nullopt : std::optional<uint64_t>(lastRxUs_ + kPacketGapUs + 1),
          quietResetAt()}) {
        if (at) {
            next = next ? std::min(*next, *at) : *at;
        }
    }
    return next;
}

bool TargetModel::queueOp(const Op& op) {
    if (queue_.size() >= kQueueSlots) {
        note("command queue full: error flag set");
        errorFlag_ = 1;
        return false;
    }
    queue_.push_back(op);
    // A queue stopped on a flash error starts nothing more: the failed operation stays the
    // last one the host can ask for.
    if (queue_.size() == 1 && errorFlag_ == 0) {
        headStartUs_ = nowUs_;
        startOp(op);
    }
    return true;
}

uint8_t TargetModel::activityCode(uint8_t sixteenBitCode) const {
    return static_cast<uint8_t>(sixteenBitCode + (config_.busWidth == 32 ? 1 : 0));
}

uint32_t TargetModel::erasedWord() const {
    return config_.busWidth == 32 ? 0xFFFFFFFFU : 0xFFFFU;
}

// The bus word that holds `address`, little-endian as the processor reads it.
uint32_t TargetModel::wordAt(uint32_t address) const {
    const uint32_t width = static_cast<uint32_t>(config_.busWidth / 8);
    const uint32_t start = address - address % width;
    uint32_t value = 0;
    for (uint32_t i = 0; i < width; ++i) {
        value |= static_cast<uint32_t>(flash_.at(start)[i]) << (8 * i);
    }
    return value;
}

void TargetModel::startOp(const Op& op) {
    lastOperationAddress_ = op.address;
    activityAddress_ = op.address;
    activityActual_ = 0;
    if (op.kind == OpKind::WriteBlock) {
        lastOperation_ = kOpBlockWrite;
        lastActivity_ = activityCode(kActWriteDone);
        activityExpected_ = 0;
        const uint32_t width = static_cast<uint32_t>(config_.busWidth / 8);
        for (uint32_t i = 0; i < width; ++i) {
            activityExpected_ |= static_cast<uint32_t>(buffers_[op.index].data[i]) << (8 * i);
        }
        return;
    }
    lastOperation_ = op.kind == OpKind::EraseSector ? kOpSectorErase : kOpChipErase;
    lastActivity_ = activityCode(kActEraseDone);
    activityExpected_ = erasedWord();
}

void TargetModel::fail(uint8_t activity, uint32_t address, uint32_t expected, uint32_t actual) {
    errorFlag_ = 1;
    lastActivity_ = activityCode(activity);
    activityAddress_ = address;
    activityExpected_ = expected;
    activityActual_ = actual;
}

void TargetModel::finishOp(const Op& op) {
    switch (op.kind) {
    case OpKind::EraseSector:
        eraseUsTotal_ += op.durationUs;
        if (flash_.locked(op.index)) {
            note("erase of a locked sector: error flag set");
            fail(kActEraseSectorVerify, op.address, erasedWord(), wordAt(op.address));
            return;
        }
        flash_.eraseSector(op.index);
        return;
    case OpKind::EraseChip:
        eraseUsTotal_ += op.durationUs;
        for (size_t i = 0; i < flash_.sectors().size(); ++i) {
            if (flash_.locked(i)) {
                const uint32_t start = flash_.sectors()[i].start;
                note("chip erase with a locked sector: error flag set");
                fail(kActEraseChipVerify, start, erasedWord(), wordAt(start));
                return;
            }
        }
        flash_.eraseAll();
        return;
    case OpKind::WriteBlock:
        programUsTotal_ += op.durationUs;
        finishWrite(op);
        return;
    }
}

void TargetModel::finishWrite(const Op& op) {
    Buffer& buffer = buffers_[op.index];
    buffer.state = BufferState::Free;
    const size_t sector = flash_.sectorAt(op.address).value_or(0);
    if (flash_.locked(sector)) {
        note("write to a locked sector: error flag set");
        fail(kActWriteVerify, op.address, activityExpected_, wordAt(op.address));
        return;
    }
    const std::optional<uint32_t> errorAt = config_.faults.errorAt;
    if (!errorAt || *errorAt < op.address || *errorAt >= op.address + kBlockSize) {
        flash_.program(op.address, buffer.data.data(), kBlockSize);
        ++blocksProgrammed_;
        return;
    }
    // The word at the fault address does not take its data.
    const uint32_t width = static_cast<uint32_t>(config_.busWidth / 8);
    const uint32_t word = *errorAt - *errorAt % width;
    const uint32_t inBlock = word - op.address;
    uint32_t expected = 0;
    for (uint32_t i = 0; i < width; ++i) {
        expected |= static_cast<uint32_t>(buffer.data[inBlock + i] & flash_.at(word)[i]) << (8 * i);
    }
    flash_.program(op.address, buffer.data.data(), inBlock);
    flash_.program(word + width, buffer.data.data() + inBlock + width,
                   kBlockSize - inBlock - width);
    note("fault: programming failed at the error address: error flag set");
    fail(kActWriteVerify, word, expected, wordAt(word));
}

void TargetModel::resetTarget(const char* why) {
    stage_ = Stage::AwaitPhase1;
    lineRate_ = kStartRate;
    phase1Header_.clear();
    phase2Image_.clear();
    link_ = LinkState::Idle;
    rx_.clear();
    discarding_ = false;
    locationSet_ = false;
    paramsSet_ = false;
    faultsArmed_ = false;
    cleanExchange_ = false;
    noErrorBits_ = false;
    huffman_.forgetTable();
    lzss_.reset();
    buffers_ = {};
    nextBuffer_ = 0;
    queue_.clear();
    blocksProgrammed_ = 0;
    errorFlag_ = 0;
    lastOperation_ = 0;
    lastOperationAddress_ = 0;
    lastActivity_ = 0;
    eraseUsTotal_ = 0;
    programUsTotal_ = 0;
    flash_.setAllLocked(config_.chip.softLockUnlock);
    note(std::string(why) + ": target waits for a new phase-1 download");
}

} // namespace zeph::flashsim
