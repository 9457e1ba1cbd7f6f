#pragma once

// Plays the host against a TargetModel in tests: packets built from the wire rules, model time
// moved by hand, and everything the target sends collected.

#include "flash/target/target_model.h"

#include "common/bytes/byte_order.h"

#include <optional>
#include <string>

namespace zeph::flashsim::testing {

inline ChipEntry smallChip() {
    ChipEntry chip;
    chip.deviceName = "TestBoot";
    chip.manufacturerName = "Maker";
    chip.deviceId = 0x22BA;
    chip.manufacturerId = 0x00C2;
    chip.chipSize = 32768;
    chip.sectorGroups = {{2, 4096}, {3, 8192}};
    chip.phase2File = "generic.bin";
    return chip;
}

inline TargetConfig smallConfig() {
    TargetConfig config;
    config.chip = smallChip();
    config.eraseUs = 10'000;
    config.programUs = 1'000;
    return config;
}

inline Bytes taggedImage(const char* tag, size_t size) {
    Bytes image(tag, tag + kTagLength);
    for (size_t i = image.size(); i < size; ++i) {
        image.push_back(static_cast<uint8_t>(i * 7 + 3));
    }
    return image;
}

inline Bytes phase1Stream(const Bytes& image) {
    Bytes stream = {'S', 0x00};
    appendBe32(stream, static_cast<uint32_t>(image.size()));
    stream.insert(stream.end(), image.begin(), image.end());
    stream.insert(stream.end(), 4, 0x00);
    return stream;
}

// A command payload: code, then big-endian fields given as (value, width) pairs.
inline Bytes command(uint8_t code, std::initializer_list<std::pair<uint32_t, int>> fields = {}) {
    Bytes payload{code};
    for (const auto& [value, width] : fields) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
            payload.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    return payload;
}

class Driver {
public:
    explicit Driver(TargetConfig config = smallConfig()) : model(std::move(config)) {}

    void send(const Bytes& bytes) {
        model.receive(bytes.data(), bytes.size(), now);
        collect();
    }
    void sendPacket(const Bytes& payload) { send(framePacket(payload)); }
    void runTo(uint64_t us) {
        now = us;
        model.advance(now);
        collect();
    }
    Bytes take() {
        Bytes bytes;
        bytes.swap(out);
        return bytes;
    }
    // Reads one reply packet off the collected bytes: its payload when the framing and
    // checksum hold.
    std::optional<Bytes> takePacket() {
        if (out.size() < 3) {
            return std::nullopt;
        }
        const size_t n = readBe16(out.data());
        if (out.size() != n + 3 || negatedSum(out.data(), out.size()) != 0) {
            return std::nullopt;
        }
        Bytes payload(out.begin() + 2, out.end() - 1);
        out.clear();
        return payload;
    }
    // Sends a command, expects ACK and a good reply, acknowledges it and returns its payload.
    std::optional<Bytes> exchange(const Bytes& payload) {
        sendPacket(payload);
        if (out.empty() || out[0] != kAck) {
            return std::nullopt;
        }
        out.erase(out.begin());
        std::optional<Bytes> reply = takePacket();
        if (reply) {
            send({kAck});
        }
        return reply;
    }

    void downloadPhase1() { send(phase1Stream(taggedImage(kDetectTag, 300))); }
    // Phase 1, location, phase 2 and the parameters: the target is ready for flash commands.
    bool bootToPhase2() {
        downloadPhase1();
        const Bytes image = taggedImage(kPhase2Tag, 1500);
        Bytes first = command(0x08, {{0, 4}});
        first.insert(first.end(), image.begin(), image.begin() + 1024);
        Bytes second = command(0x08, {{1024, 4}});
        second.insert(second.end(), image.begin() + 1024, image.end());
        return exchange(command(0x04, {{0, 1}, {0x40000000, 4}})) && exchange(first) &&
               exchange(second) && exchange(command(0x0A, {{0, 4}})) &&
               exchange(command(0x0C, {{0x40000000, 4}, {16, 1}}));
    }
    Bytes block(uint8_t fill) const { return Bytes(kBlockSize, fill); }
    std::optional<Bytes> downloadAndWrite(uint32_t address, const Bytes& data) {
        Bytes payload = command(0x24, {{address, 4}});
        payload.insert(payload.end(), data.begin(), data.end());
        return exchange(payload);
    }
    std::optional<Bytes> upload(uint32_t address, uint32_t length) {
        std::optional<Bytes> reply = exchange(command(0x28, {{address, 4}, {length, 4}}));
        if (!reply || reply->size() != length + 4) {
            return std::nullopt;
        }
        return Bytes(reply->begin() + 4, reply->end());
    }

    TargetModel model;
    uint64_t now = 0;
    Bytes out;

private:
    void collect() {
        for (const OutputChunk& chunk : model.takeOutput()) {
            out.insert(out.end(), chunk.bytes.begin(), chunk.bytes.end());
        }
    }
};

} // namespace zeph::flashsim::testing
