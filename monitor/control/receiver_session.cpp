#include "receiver_session.h"

#include <thread>

namespace zeph::monitor {
namespace {

constexpr auto kSettleTime = std::chrono::milliseconds(100);
constexpr int kReadyWaitMs = 3000;
constexpr int kWriteTimeoutMs = 5000;
constexpr int kReadSliceMs = 50;

} // namespace

ReceiverSession::ReceiverSession(std::string path, bool verbose, std::FILE* out, std::FILE* err)
    : path_(std::move(path)), verbose_(verbose), out_(out), err_(err),
      decoder_(state_, *this, *this), msg_(std::make_unique<RxMessage>()) {}

// The last bytes written leave before the line is given back with the settings it had.
ReceiverSession::~ReceiverSession() {
    if (line_.isOpen() && written_) {
        line_.drain();
        std::this_thread::sleep_for(kSettleTime);
    }
}

SerialStatus ReceiverSession::open(uint32_t baud) {
    if (line_.isOpen() && written_) {
        // What was written leaves at the old settings before the line changes.
        line_.drain();
        std::this_thread::sleep_for(kSettleTime);
    }
    written_ = false;
    line_.close();
    SerialStatus status = line_.open(path_);
    if (!status) {
        return status;
    }
    LineSettings settings;
    settings.baud = static_cast<int>(baud);
    status = line_.configure(settings);
    if (!status) {
        line_.close();
        return status;
    }
    baud_ = baud;
    std::this_thread::sleep_for(kSettleTime);
    line_.purge(true, false);
    parser_ = std::make_unique<StreamParser>(ParserContext{decoder_, state_, *this, *this}, *msg_);
    received_.clear();
    heard_ = false;
    return status;
}

void ReceiverSession::awaitFirstByte() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyWaitMs);
    while (!heard_ && std::chrono::steady_clock::now() < end) {
        if (!readSome(kReadSliceMs)) {
            break;
        }
    }
}

bool ReceiverSession::sendFrame(const std::vector<uint8_t>& payload) {
    awaitFirstByte();
    return SendBinary(*this, *this, payload.data(), payload.size());
}

bool ReceiverSession::sendSentence(std::string_view body) {
    awaitFirstByte();
    return SendNmea(*this, *this, body);
}

void ReceiverSession::sendRaw(const uint8_t* bytes, size_t n) {
    awaitFirstByte();
    write(bytes, n);
}

void ReceiverSession::write(const uint8_t* bytes, size_t n) {
    if (verbose_) {
        std::fputs(txLogLine(bytes, n).c_str(), out_);
        std::fflush(out_);
    }
    written_ = true;
    if (line_.write(bytes, n, kWriteTimeoutMs) != static_cast<long>(n)) {
        std::fprintf(err_, "zephctl: writing to %s failed\n", path_.c_str());
    }
}

void ReceiverSession::onMessage(const RxMessage* msg) {
    if (msg != nullptr) {
        received_.push_back(*msg);
    }
}

Prompter::Answer ReceiverSession::ask(const std::string& text, Icon, Buttons) {
    std::fprintf(err_, "zephctl: %s\n", text.c_str());
    return Answer::Ok;
}

// False when the line has failed.
bool ReceiverSession::readSome(int timeoutMs) {
    uint8_t buffer[4096];
    const long n = line_.read(buffer, sizeof buffer, timeoutMs);
    if (n < 0) {
        return false;
    }
    if (n > 0) {
        heard_ = true;
        parser_->process(buffer, static_cast<size_t>(n));
    }
    return true;
}

bool ReceiverSession::waitFor(const std::function<bool(const RxMessage&)>& wanted,
                              Deadline deadline) {
    for (;;) {
        while (!received_.empty()) {
            const RxMessage msg = std::move(received_.front());
            received_.pop_front();
            if (wanted(msg)) {
                return true;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 ||
            !readSome(static_cast<int>(std::min<long>(left.count(), kReadSliceMs)))) {
            return false;
        }
    }
}

} // namespace zeph::monitor
