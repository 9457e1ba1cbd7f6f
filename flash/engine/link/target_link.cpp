#include "flash/engine/link/target_link.h"

#include "common/bytes/byte_order.h"
#include "common/text/strprintf.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace zeph::flash {

uint8_t linkChecksum(std::span<const uint8_t> bytes) {
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return static_cast<uint8_t>(0x100u - (sum & 0xFFu));
}

std::vector<uint8_t> buildPacket(std::span<const uint8_t> payload) {
    std::vector<uint8_t> packet;
    packet.reserve(payload.size() + 3);
    appendBe16(packet, static_cast<uint16_t>(payload.size()));
    for (uint8_t b : payload) {
        packet.push_back(b);
    }
    packet.push_back(linkChecksum(packet));
    return packet;
}

TargetLink::TargetLink(TargetPort& port, Clock& clock) : port_(port), clock_(clock) {}

void TargetLink::say(std::string_view text) {
    if (verbose_ && sink_) {
        sink_(text);
    }
}

void TargetLink::sayBytes(std::string_view head, std::span<const uint8_t> bytes) {
    if (!verbose_ || !sink_) {
        return;
    }
    std::string line(head);
    for (uint8_t b : bytes) {
        line += strprintf(" %02x", b);
    }
    line += '\n';
    sink_(line);
}

void TargetLink::setStopCheck(std::function<bool()> check) {
    stopCheck_ = check;
    port_.setStopCheck(std::move(check));
}

bool TargetLink::writeAll(std::span<const uint8_t> bytes) {
    if (stopCheck_ && stopCheck_()) {
        return false;
    }
    return port_.write(bytes.data(), bytes.size()) == static_cast<long>(bytes.size());
}

bool TargetLink::OpenPort(const std::string& name, int baud) {
    return port_.open(name, baud);
}

void TargetLink::ClosePort() {
    port_.close();
}

bool TargetLink::SendRawPhase1(std::span<const uint8_t> image) {
    std::array<uint8_t, 6> header = {0x53, 0x00};
    writeBe32(&header[2], static_cast<uint32_t>(image.size()));
    if (!writeAll(header)) {
        return false;
    }
    for (std::size_t at = 0; at < image.size(); at += kPhase1ChunkSize) {
        if (!writeAll(image.subspan(at, std::min(kPhase1ChunkSize, image.size() - at)))) {
            return false;
        }
    }
    const std::array<uint8_t, 4> trailer{};
    return writeAll(trailer);
}

bool TargetLink::SendCommand(std::span<const uint8_t> payload) {
    if (payload.empty() || payload.size() + 3 > kTransmitBufferSize) {
        return false;
    }
    const std::vector<uint8_t> packet = buildPacket(payload);
    sayBytes("Sending:", packet);
    if (!writeAll(packet)) {
        say("Failed to send.\n");
        return false;
    }
    uint8_t ack = 0;
    const long got = port_.read(&ack, 1);
    if (got <= 0) {
        say(strprintf("Failed to receive ACK. BytesRead = %d\n",
                      got < 0 ? 0 : static_cast<int>(got)));
        return false;
    }
    if (ack == kAck) {
        say("Received positive ACK\n");
        return true;
    }
    say(ack == kNak ? std::string("Received NAK\n")
                    : strprintf("Received strange ACK 0x%x\n", ack));
    if (!linkRecovery_) {
        return false;
    }
    // The target missed the packet: let whatever it sends die down, then ask for its reply.
    clock_.sleepFor(kNakDrainWait);
    std::vector<uint8_t> drained(kDrainBufferSize);
    const long collected = port_.read(drained.data(), drained.size());
    drained.resize(collected > 0 ? static_cast<std::size_t>(collected) : 0);
    if (verbose_) {
        say(strprintf("Collected %d bytes from buffer:\n", static_cast<int>(drained.size())));
        sayBytes("", drained);
    }
    const uint8_t nak = kNak;
    port_.write(&nak, 1);
    say("Sent NAK to initiate retransmittion\n");
    return true;
}

bool TargetLink::ReceiveReply(std::vector<uint8_t>& payload) {
    for (int attempt = 1;; ++attempt) {
        say("Receiving...\n");
        std::array<uint8_t, 2> head{};
        long got = port_.read(head.data(), head.size());
        if (got < 0) {
            say(strprintf("ReadComm returned status 0x%x reading packet length\n",
                          static_cast<unsigned>(port_.errorCode())));
            return false;
        }
        if (got < 2) {
            say(strprintf("Error reading packet length - expected 2, got %d bytes\n",
                          static_cast<int>(got)));
            return false;
        }
        const std::size_t length = readBe16(head.data());
        // Length bytes, payload and checksum together, so that one sum checks the packet.
        std::vector<uint8_t> packet(length + 3);
        packet[0] = head[0];
        packet[1] = head[1];
        got = port_.read(packet.data() + 2, length + 1);
        if (got < 0) {
            say(strprintf("ReadComm returned status 0x%x reading packet length\n",
                          static_cast<unsigned>(port_.errorCode())));
            return false;
        }
        bool good = false;
        const auto arrived = static_cast<std::size_t>(got);
        if (arrived < length + 1) {
            say(strprintf("Error reading packet data - expected %d, got %d bytes\n",
                          static_cast<int>(length + 1), static_cast<int>(arrived)));
        } else {
            sayBytes("Received :", packet);
            good = linkChecksum(packet) == 0;
            say(good ? "Checksum OK\n" : "Bad checksum\n");
        }
        const uint8_t answer = good ? kAck : kNak;
        if (port_.write(&answer, 1) != 1) {
            say("Failed to send ACK\n");
            return false;
        }
        say(strprintf("Sent %s ACK\n", good ? "positive" : "negative"));
        const std::size_t kept = std::min(length, arrived);
        payload.assign(packet.begin() + 2, packet.begin() + 2 + static_cast<std::ptrdiff_t>(kept));
        if (good) {
            return true;
        }
        // The target sends its reply again after a NAK, but only once it has its parameters.
        if (attempt + 1 >= kReplyAttemptLimit || !linkRecovery_) {
            say("Failed to send ACK\n");
            return false;
        }
    }
}

bool TargetLink::ChangeBaud(const std::string& name, int baud) {
    uint32_t rate = 0;
    for (uint32_t known : kTargetBaudRates) {
        if (baud > 0 && static_cast<uint32_t>(baud) == known) {
            rate = known;
        }
    }
    std::array<uint8_t, 5> payload = {command::kSetBaud.code};
    writeBe32(&payload[1], rate);
    if (!SendCommand(payload)) {
        return false;
    }
    port_.close();
    if (!port_.open(name, baud)) {
        return false;
    }
    clock_.sleepFor(kBaudSettleWait);
    return true;
}

} // namespace zeph::flash
