#include "monitor/link/send.h"

#include "monitor/link/binary_frame.h"

#include "common/text/nmea_checksum.h"

#include <cstring>

namespace zeph::monitor {
namespace {

constexpr size_t kMaxSentenceBytes = 3 + kMaxNmeaBody + 5; // "\r\n$", body, "*hh\r\n"

// Writes at once, or stages. When the staging buffer cannot take the bytes, what is staged goes
// out first so the receiver still sees everything in order.
void sendOrStage(OutputPort& port, const uint8_t* bytes, size_t n) {
    if (port.sendNow()) {
        port.write(bytes, n);
        return;
    }
    StagingBuffer& staging = port.staging();
    if (staging.append(bytes, n)) {
        return;
    }
    const std::vector<uint8_t> staged = staging.take();
    if (!staged.empty()) {
        port.write(staged.data(), staged.size());
    }
    if (!staging.append(bytes, n)) {
        port.write(bytes, n); // larger than the whole staging buffer
    }
}

char hexDigit(unsigned v) {
    return "0123456789ABCDEF"[v & 0x0F];
}

} // namespace

bool StagingBuffer::append(const uint8_t* bytes, size_t n) {
    if (n > kCapacity - size_) {
        return false;
    }
    if (n != 0) {
        std::memcpy(bytes_.data() + size_, bytes, n);
        size_ += n;
    }
    return true;
}

std::vector<uint8_t> StagingBuffer::take() {
    std::vector<uint8_t> out(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(size_));
    size_ = 0;
    return out;
}

bool SendBinary(OutputPort& port, Prompter& prompter, const uint8_t* payload, size_t n) {
    if (n > kMaxSendPayload) {
        prompter.tell("Zeph message length exceeds maximum limit (992).");
        return false;
    }
    std::array<uint8_t, kMaxSendPayload + kFrameOverhead> frame{};
    const size_t length = buildFrame(payload, n, frame.data(), frame.size());
    if (length == 0) {
        return false;
    }
    sendOrStage(port, frame.data(), length);
    return true;
}

bool SendNmea(OutputPort& port, Prompter& prompter, std::string_view body) {
    if (body.size() > kMaxNmeaBody) {
        prompter.tell("NMEA message length exceeds maximum limit (990).");
        return false;
    }
    const unsigned sum = nmeaChecksum(body);
    std::array<uint8_t, kMaxSentenceBytes> text{};
    size_t used = 0;
    const auto put = [&](char c) { text[used++] = static_cast<uint8_t>(c); };
    put('\r');
    put('\n');
    put('$');
    for (char c : body) {
        put(c);
    }
    put('*');
    put(hexDigit(sum >> 4));
    put(hexDigit(sum));
    put('\r');
    put('\n');
    sendOrStage(port, text.data(), used);
    return true;
}

std::string txLogLine(const uint8_t* bytes, size_t count) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const size_t shown = count < kTxLogBytes ? count : kTxLogBytes;
    std::string text = "Tx: 0x";
    text.reserve(text.size() + 2 * shown + 1);
    for (size_t i = 0; i < shown; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    text += '\n';
    return text;
}

} // namespace zeph::monitor
