#include "target_model.h"

#include "common/bytes/byte_order.h"
#include "common/files/replaced_file.h"

#include <cstring>
#include <filesystem>

namespace zeph::flashsim {

TargetModel::TargetModel(TargetConfig config)
    : config_(std::move(config)), flash_(config_.chip, config_.busWidth),
      random_(config_.faults.seed) {
    flash_.setAllLocked(config_.chip.softLockUnlock);
}

bool TargetModel::loadFlash(std::string& error) {
    // A file that could not be written back is refused before a run is spent on it.
    if (config_.flashPath.empty() || !files::ReplacedFile::open(config_.flashPath, error) ||
        !flash_.load(config_.flashPath, error)) {
        return config_.flashPath.empty();
    }
    std::error_code failed;
    const uintmax_t size = std::filesystem::file_size(config_.flashPath, failed);
    if (!failed && size > flash_.size()) { // most likely a chip other than the one meant
        note(config_.flashPath + " holds " + std::to_string(size) + " bytes, the flash " +
             std::to_string(flash_.size()) + ": the bytes past the flash are kept as they are");
    }
    return true;
}

bool TargetModel::saveFlash(std::string& error) const {
    return config_.flashPath.empty() || flash_.save(config_.flashPath, error);
}

void TargetModel::receive(const uint8_t* bytes, size_t count, uint64_t nowUs) {
    advance(nowUs);
    for (size_t i = 0; i < count; ++i) {
        if (stage_ == Stage::AwaitPhase1) {
            receivePhase1(bytes[i]);
        } else {
            receivePacketByte(bytes[i]);
        }
    }
    lastRxUs_ = nowUs;
    lastLineUs_ = nowUs;
}

void TargetModel::lineIdle(uint64_t nowUs) {
    discarding_ = false;
    if (!rx_.empty() && lastRxUs_ + kPacketGapUs < nowUs) {
        note("unfinished packet dropped");
        rx_.clear();
    }
}

std::vector<OutputChunk> TargetModel::takeOutput() {
    std::vector<OutputChunk> out;
    out.swap(output_);
    return out;
}

std::vector<std::string> TargetModel::takeNotes() {
    std::vector<std::string> out;
    out.swap(notes_);
    return out;
}

void TargetModel::note(std::string text) {
    notes_.push_back(std::move(text));
}

// 'S', 0x00, length (4, big-endian), the image, four zero bytes. Anything before the 'S' is
// line noise; a header or trailer that breaks the pattern starts the search again.
void TargetModel::receivePhase1(uint8_t byte) {
    if (phase1Header_.size() < 6) {
        if ((phase1Header_.empty() && byte != 'S') || (phase1Header_.size() == 1 && byte != 0)) {
            phase1Header_.clear();
            if (byte == 'S') {
                phase1Header_.push_back(byte);
            }
            return;
        }
        phase1Header_.push_back(byte);
        if (phase1Header_.size() == 6) {
            phase1Length_ = readBe32(&phase1Header_[2]);
            if (phase1Length_ == 0 || phase1Length_ > kMaxPhase1) {
                note("phase-1 length " + std::to_string(phase1Length_) + " refused");
                phase1Header_.clear();
            }
            phase1Image_.clear();
            phase1Trailer_ = 0;
        }
        return;
    }
    if (phase1Image_.size() < phase1Length_) {
        phase1Image_.push_back(byte);
        return;
    }
    if (byte != 0) {
        note("phase-1 download without its four closing zero bytes");
        phase1Header_.clear();
        return;
    }
    if (++phase1Trailer_ < 4) {
        return;
    }
    phase1Header_.clear();
    if (phase1Image_.size() < kTagLength ||
        std::memcmp(phase1Image_.data(), kDetectTag, kTagLength) != 0) {
        note("phase-1 image is not a detect program: not started");
        return;
    }
    stage_ = Stage::Detect;
    link_ = LinkState::Idle;
    rx_.clear();
    note("phase 1 running (" + std::to_string(phase1Image_.size()) + " bytes)");
}

void TargetModel::receivePacketByte(uint8_t byte) {
    if (rx_.empty()) {
        if (link_ == LinkState::AwaitAck && (byte == kAck || byte == kNak)) {
            if (byte == kAck) {
                link_ = LinkState::Idle;
            } else {
                sendReply(lastReply_);
            }
            return;
        }
        if (link_ == LinkState::AwaitHostNak && byte == kNak) {
            sendReply(heldReply_);
            return;
        }
    }
    if (discarding_) {
        return;
    }
    // No packet is long enough to start with such a byte: an ACK or NAK the target did not
    // ask for (a host's NAK after a refused command) must not swallow the next packet.
    if (rx_.empty() && byte > kMaxPayload >> 8) {
        note("stray byte " + std::to_string(byte) + " outside a packet ignored");
        return;
    }
    rx_.push_back(byte);
    if (rx_.size() < 2) {
        return;
    }
    const size_t length = readBe16(rx_.data());
    if (length == 0 || length > kMaxPayload) {
        note("packet length " + std::to_string(length) + " refused");
        rx_.clear();
        emit({kNak});
        link_ = LinkState::Idle;
        discarding_ = true; // until the line is quiet, so the rest is not taken for packets
        return;
    }
    if (rx_.size() == length + 3) {
        handlePacket();
    }
}

void TargetModel::handlePacket() {
    Bytes packet;
    packet.swap(rx_);
    link_ = LinkState::Idle;
    if (negatedSum(packet.data(), packet.size()) != 0) {
        note("bad packet checksum: NAK");
        emit({kNak});
        return;
    }
    const Bytes payload(packet.begin() + 2, packet.end() - 1);
    faultsArmed_ = faultsArmed_ || armsFaults(payload[0]);
    cleanExchange_ = payload[0] == kFinishCode;
    Reply reply = dispatch(payload);
    switch (reply.kind) {
    case Reply::Refuse:
        note(reply.why);
        emit({kNak});
        return;
    case Reply::AckOnly:
        emit({kAck});
        if (reply.newRate != 0) {
            lineRate_ = reply.newRate;
        }
        return;
    case Reply::Wait:
        emit({kAck});
        link_ = LinkState::AwaitWait;
        waitCode_ = payload[0];
        waitCount_ = payload[1];
        advance(nowUs_);
        return;
    case Reply::Packet:
        break;
    }
    if (roll(config_.faults.nakRate)) {
        note("fault: NAK after a command");
        emit({kNak});
        heldReply_ = reply.payload;
        link_ = LinkState::AwaitHostNak;
    } else {
        emit({kAck});
        sendReply(reply.payload);
    }
    if (reply.reset) {
        resetTarget("Finish");
    }
}

void TargetModel::emit(const Bytes& bytes) {
    lastLineUs_ = nowUs_;
    if (output_.empty() || output_.back().baud != lineRate_) {
        output_.push_back({{}, lineRate_});
    }
    Bytes& out = output_.back().bytes;
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void TargetModel::sendReply(const Bytes& payload) {
    lastReply_ = payload;
    link_ = LinkState::AwaitAck;
    Bytes packet = framePacket(payload);
    if (roll(config_.faults.corruptRate)) {
        std::uniform_int_distribution<size_t> at(0, packet.size() - 1);
        std::uniform_int_distribution<int> bit(0, 7);
        packet[at(random_)] ^= static_cast<uint8_t>(1U << bit(random_));
        note("fault: corrupted reply");
    }
    if (roll(config_.faults.dropRate)) {
        std::uniform_int_distribution<size_t> at(0, packet.size() - 1);
        packet.erase(packet.begin() + static_cast<long>(at(random_)));
        note("fault: dropped a reply byte");
    }
    emit(packet);
}

// Faults strike only from the exchange FaultConfig::from names: before the host's recovery is
// on it gives up on the first bad exchange, as it should.
bool TargetModel::roll(double rate) {
    if (!faultsArmed_ || cleanExchange_ || rate <= 0) {
        return false;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < rate;
}

} // namespace zeph::flashsim
