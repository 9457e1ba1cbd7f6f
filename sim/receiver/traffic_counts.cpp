#include "traffic_counts.h"

namespace zeph::sim {

const char* const kCountsFormat =
    "Counts: one line \"<what>: <count>\" each, frames by MID in ascending order and sentences\n"
    "by type (GGA, GSV, ...; every GSV sentence counts):\n"
    "  MID <n>: <count>                     frames sent intact\n"
    "  Sentence <type>: <count>             sentences sent intact\n"
    "  Bad checksum MID <n> / Bad checksum sentence <type>: <count>\n"
    "  Bad tail MID <n> / Bad tail sentence <type>: <count>\n"
    "                                       sent with that fault (a frame with a bad tail\n"
    "                                       still has a good checksum)\n"
    "  Garbled MID <n> / Garbled sentence <type>: <count>\n"
    "                                       sent while the client's line settings differed\n"
    "  Dropped MID <n> / Dropped sentence <type>: <count>\n"
    "                                       not sent: the line was a second behind\n"
    "  Noise bursts: <count>                then Noise bytes, Split writes\n"
    "  Received MID <n> / Received sentence <name>: <count>   good input, e.g. ZUVE100\n"
    "  Rejected input: <count>              frames and sentences with a bad checksum, tail,\n"
    "                                       length or character\n"
    "  Ignored input: <count>               good input the receiver did not take (wrong\n"
    "                                       protocol, asleep, bad values)\n"
    "  Garbled input bytes: <count>         received while the line settings differed\n"
    "  Unread bytes dropped: <count>        sent but never read by a client\n"
    "The lines from Noise bursts on always appear; the others only when not zero.\n";

void TrafficCounts::Tally::add(const Packet& packet) {
    if (packet.kind == Packet::Kind::Frame) {
        ++mids[packet.mid];
    } else {
        ++sentences[packet.type];
    }
}

void TrafficCounts::Tally::print(std::string& out, const std::string& prefix) const {
    for (const auto& [mid, count] : mids) {
        out += prefix + "MID " + std::to_string(mid) + ": " + std::to_string(count) + "\n";
    }
    const std::string sentencePrefix = prefix.empty() ? "Sentence " : prefix + "sentence ";
    for (const auto& [type, count] : sentences) {
        out += sentencePrefix + type + ": " + std::to_string(count) + "\n";
    }
}

void TrafficCounts::sent(const SentMessage& message) {
    if (message.garbled) {
        garbled_.add(message.packet);
    } else if (message.fault == Fault::BadChecksum) {
        badChecksum_.add(message.packet);
    } else if (message.fault == Fault::BadTail) {
        badTail_.add(message.packet);
    } else {
        intact_.add(message.packet);
    }
    if (message.noiseBytes != 0) {
        ++noiseBursts_;
        noiseBytes_ += message.noiseBytes;
    }
    if (message.split) {
        ++splitWrites_;
    }
}

void TrafficCounts::dropped(const Packet& packet) {
    dropped_.add(packet);
}

void TrafficCounts::received(const InputMessage& message) {
    if (message.kind == InputMessage::Kind::Frame) {
        ++receivedMids_[message.payload.empty() ? 0 : message.payload[0]];
    } else {
        ++receivedSentences_[message.body.substr(0, message.body.find(','))];
    }
}

std::string TrafficCounts::report(const InputRejects& rejects, uint64_t ignored,
                                  uint64_t unreadDropped) const {
    std::string out;
    intact_.print(out, "");
    badChecksum_.print(out, "Bad checksum ");
    badTail_.print(out, "Bad tail ");
    garbled_.print(out, "Garbled ");
    dropped_.print(out, "Dropped ");
    out += "Noise bursts: " + std::to_string(noiseBursts_) + "\n";
    out += "Noise bytes: " + std::to_string(noiseBytes_) + "\n";
    out += "Split writes: " + std::to_string(splitWrites_) + "\n";
    for (const auto& [mid, count] : receivedMids_) {
        out += "Received MID " + std::to_string(mid) + ": " + std::to_string(count) + "\n";
    }
    for (const auto& [name, count] : receivedSentences_) {
        out += "Received sentence " + name + ": " + std::to_string(count) + "\n";
    }
    out += "Rejected input: " + std::to_string(rejects.messages()) + "\n";
    out += "Ignored input: " + std::to_string(ignored) + "\n";
    out += "Garbled input bytes: " + std::to_string(garbledInput_) + "\n";
    out += "Unread bytes dropped: " + std::to_string(unreadDropped) + "\n";
    return out;
}

} // namespace zeph::sim
