#include "flash/engine/link/testing/fake_target_port.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zeph::flash::testing {

void FakeTargetPort::pushInput(std::vector<uint8_t> bytes) {
    input_.push_back({std::move(bytes), 0, 0});
}

void FakeTargetPort::pushReadError(int code) {
    input_.push_back({{}, 0, code});
}

std::vector<std::vector<uint8_t>> FakeTargetPort::writes() const {
    std::vector<std::vector<uint8_t>> out;
    for (const Event& e : events_) {
        if (e.kind == Event::Kind::Write) {
            out.push_back(e.bytes);
        }
    }
    return out;
}

std::vector<uint8_t> FakeTargetPort::written() const {
    std::vector<uint8_t> out;
    for (const auto& w : writes()) {
        out.insert(out.end(), w.begin(), w.end());
    }
    return out;
}

std::size_t FakeTargetPort::readCount() const {
    return static_cast<std::size_t>(
        std::count_if(events_.begin(), events_.end(),
                      [](const Event& e) { return e.kind == Event::Kind::Read; }));
}

FakeTargetPort::Event& FakeTargetPort::record(Event::Kind kind) {
    Event e{kind, {}, 0, 0, {}, {}};
    if (clock_ != nullptr) {
        e.at = clock_->now();
    }
    events_.push_back(std::move(e));
    return events_.back();
}

bool FakeTargetPort::open(const std::string& name, int baud) {
    close();
    Event& e = record(Event::Kind::Open);
    e.name = name;
    e.baud = baud;
    if (openFails_) {
        errorCode_ = ENOENT;
        return false;
    }
    open_ = true;
    baud_ = baud;
    return true;
}

void FakeTargetPort::close() {
    if (open_) {
        record(Event::Kind::Close);
        open_ = false;
    }
}

long FakeTargetPort::read(uint8_t* buffer, std::size_t count) {
    Event& e = record(Event::Kind::Read);
    e.requested = count;
    if (!open_) {
        errorCode_ = EBADF;
        return -1;
    }
    if (input_.empty()) {
        return 0;
    }
    Chunk& chunk = input_.front();
    if (chunk.error != 0) {
        errorCode_ = chunk.error;
        input_.pop_front();
        return -1;
    }
    const std::size_t take = std::min(count, chunk.bytes.size() - chunk.taken);
    const auto from = chunk.bytes.begin() + static_cast<std::ptrdiff_t>(chunk.taken);
    std::copy(from, from + static_cast<std::ptrdiff_t>(take), buffer);
    e.bytes.assign(from, from + static_cast<std::ptrdiff_t>(take));
    chunk.taken += take;
    if (chunk.taken == chunk.bytes.size()) {
        input_.pop_front();
    }
    return static_cast<long>(take);
}

long FakeTargetPort::write(const uint8_t* buffer, std::size_t count) {
    Event& e = record(Event::Kind::Write);
    e.requested = count;
    const std::size_t index = writeIndex_++;
    if (!open_) {
        errorCode_ = EBADF;
        return -1;
    }
    long accepted = static_cast<long>(count);
    if (auto limit = writeLimits_.find(index); limit != writeLimits_.end()) {
        accepted = std::min(accepted, limit->second);
    }
    if (accepted < 0) {
        errorCode_ = EIO;
        return -1;
    }
    e.bytes.assign(buffer, buffer + accepted);
    return accepted;
}

} // namespace zeph::flash::testing
