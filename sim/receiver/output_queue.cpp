#include "output_queue.h"

#include <algorithm>
#include <limits>

namespace zeph::sim {

uint8_t garble(uint8_t b, uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    auto v = static_cast<uint8_t>(b ^ (state >> 24));
    if (v == 0xA0 || v == '$') {
        v ^= 0x01;
    }
    return v;
}

uint64_t OutputQueue::lineTimeUs(size_t bytes) const {
    return uint64_t{bytes} * 10'000'000 / baud_;
}

uint64_t OutputQueue::backlogUs(uint64_t nowUs) const {
    return (freeAtUs_ > nowUs ? freeAtUs_ - nowUs : 0) + lineTimeUs(queuedBytes_);
}

bool OutputQueue::push(const Packet& packet, WirePlan plan, uint64_t nowUs) {
    if (!packet.reply && backlogUs(nowUs) > kMaxBacklogUs) {
        return false;
    }
    Item item;
    item.sent.packet = packet;
    item.sent.packet.bytes.clear(); // the plan holds the bytes as they go out
    item.sent.fault = plan.fault;
    item.sent.noiseBytes = plan.noise.size();
    item.sent.split = plan.pieces.size() > 1;
    if (!plan.noise.empty()) {
        item.segments.push_back(std::move(plan.noise));
        item.firstPiece = 1;
    }
    for (Bytes& piece : plan.pieces) {
        queuedBytes_ += piece.size();
        item.segments.push_back(std::move(piece));
    }
    queuedBytes_ += item.sent.noiseBytes;
    items_.push_back(std::move(item));
    return true;
}

void OutputQueue::pushLineChange(const LineFormat& format) {
    Item item;
    item.lineChange = true;
    item.format = format;
    items_.push_back(std::move(item));
}

uint64_t OutputQueue::nextServiceUs() const {
    return items_.empty() ? std::numeric_limits<uint64_t>::max() : freeAtUs_;
}

std::vector<SentMessage> OutputQueue::service(uint64_t nowUs, WireSink& sink) {
    std::vector<SentMessage> finished;
    blocked_ = false;
    while (!items_.empty() && nowUs >= freeAtUs_) {
        Item& item = items_.front();
        if (item.lineChange) { // everything before it has left the wire
            if (item.graceUntilUs == 0) {
                item.graceUntilUs = nowUs + kOldLineGraceUs;
            }
            if (sink.farEndMatches()) { // the far end is still on the old settings
                if (nowUs < item.graceUntilUs) {
                    freeAtUs_ = nowUs + kFollowPollUs;
                    break;
                }
                if (!item.replyFirst && items_.size() > 1 && items_[1].sent.packet.reply) {
                    item.replyFirst = true;
                    std::swap(items_[0], items_[1]);
                    continue;
                }
            }
            sink.setFormat(item.format);
            baud_ = item.format.baud;
            items_.pop_front();
            followUntilUs_ = nowUs + kFollowWaitUs;
            continue;
        }
        if (followUntilUs_ != 0) {
            if (nowUs < followUntilUs_ && !sink.farEndMatches()) {
                freeAtUs_ = nowUs + kFollowPollUs;
                break;
            }
            followUntilUs_ = 0;
        }
        const Bytes& segment = item.segments[item.segment];
        const size_t chunkLimit = std::max<size_t>(1, baud_ * kChunkUs / 10'000'000);
        const size_t count = std::min(chunkLimit, segment.size() - item.offset);
        Bytes chunk(segment.begin() + static_cast<long>(item.offset),
                    segment.begin() + static_cast<long>(item.offset + count));
        if (!sink.farEndMatches()) {
            for (uint8_t& b : chunk) {
                b = garble(b, garbleState_);
            }
            item.sent.garbled = item.sent.garbled || item.segment >= item.firstPiece;
        }
        long written = sink.write(chunk.data(), chunk.size());
        if (written == 0) {
            blocked_ = true;
            break;
        }
        if (written < 0) { // lost on a broken line, as on a wire
            written = static_cast<long>(count);
        }
        const auto n = static_cast<size_t>(written);
        item.offset += n;
        queuedBytes_ -= n;
        freeAtUs_ = std::max(freeAtUs_, nowUs) + lineTimeUs(n);
        if (item.offset < segment.size()) {
            continue;
        }
        item.offset = 0;
        ++item.segment;
        if (item.sent.split && item.segment == item.firstPiece + 1) {
            freeAtUs_ += uint64_t{kSplitPauseMs} * 1000;
        }
        if (item.segment == item.segments.size()) {
            finished.push_back(std::move(item.sent));
            items_.pop_front();
        }
    }
    return finished;
}

} // namespace zeph::sim
