#include "command_builders.h"

#include "monitor/messages/output_catalogue.h"

#include <cstdlib>
#include <string>

namespace zeph::monitor {
namespace {

const CommandSpec& spec(uint8_t mid, uint8_t subId = 0) {
    return *findCommand(mid, subId);
}

uint32_t leadingNumber(std::string_view text) {
    return static_cast<uint32_t>(std::strtoul(std::string(text).c_str(), nullptr, 10));
}

} // namespace

CommandPayloads buildCommand(const CommandSpec& command, CommandValues values) {
    CommandPayloads out;
    out.refusal = checkAndDerive(command, values);
    if (out.refusal) {
        return out;
    }
    for (const CommandSpec* s = &command; s != nullptr; s = s->next) {
        out.payloads.push_back(encodePayload(*s, values));
    }
    return out;
}

DialogOpening dialogOpening(const CommandSpec& command, const PolledSettings* record) {
    DialogOpening opening;
    const std::string caption = command.caption != nullptr ? command.caption : "";
    const Layout* echo = commandEchoLayout(command.mid);
    opening.current = record != nullptr && (*record)[0] != 0 && echo != nullptr;
    if (opening.current) {
        opening.values = readEcho(command, {record->data(), echo->length}, EchoOrder::Host);
    } else {
        opening.values = defaultValues(command);
    }
    opening.caption = caption + (opening.current ? ": Current" : ": Default");
    return opening;
}

SerialPortValues serialPortValues(std::string_view baud, std::string_view dataBits,
                                  std::string_view stopBits, std::string_view parity) {
    return {leadingNumber(baud), static_cast<uint8_t>(leadingNumber(dataBits)),
            static_cast<uint8_t>(leadingNumber(stopBits)), parityCode(parity)};
}

std::vector<uint8_t> setSerialPortPayload(uint8_t mid, const SerialPortValues& port) {
    const CommandSpec& s = spec(mid);
    CommandValues v = defaultValues(s);
    v.set("baud-rate", port.baud);
    v.set("data-bits", port.dataBits);
    v.set("stop-bits", port.stopBits);
    v.set("parity", port.parity);
    return encodePayload(s, v);
}

std::vector<uint8_t> uartConfigPayload(const UartConfigRecord& record) {
    const CommandSpec& s = spec(165);
    CommandValues v = defaultValues(s);
    setUartRecordValues(v, record);
    return encodePayload(s, v);
}

std::optional<std::string> nmeaBaudRefusal(uint32_t baud) {
    if (baud > kMaxNmeaBaud) {
        return std::string(kNmeaBaudRefusal);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> nmeaModePayload(std::span<const uint8_t, 10> rates,
                                                    bool checksums, uint32_t baud) {
    static constexpr const char* kRates[] = {"gga", "gll", "gsa",    "gsv",    "rmc",
                                             "vtg", "mss", "user-8", "user-9", "user-10"};
    const CommandSpec& s = spec(129);
    CommandValues v;
    for (size_t i = 0; i < rates.size(); ++i) {
        v.set(kRates[i], rates[i]);
    }
    v.set("use-checksums", checksums ? 1 : 0);
    v.set("baud-rate", baud);
    CommandPayloads built = buildCommand(s, v);
    if (built.refusal) {
        return std::nullopt;
    }
    return built.payloads.front();
}

InitMessage navigationInitPayload(const InitSettings& settings, const UtcTime& now) {
    const CommandSpec& s = spec(128);
    CommandValues v = defaultValues(s);
    v.set("x", settings.x);
    v.set("y", settings.y);
    v.set("z", settings.z);
    v.set("clock-offset", settings.clockOffset);
    v.set("use-current-pc-time", settings.usePcTime ? 1 : 0);
    v.set("utc-offset", settings.utcOffset);
    v.set("week-number", settings.week);
    v.set("time-of-week", settings.tow / 100.0);
    v.set("channels", settings.channels);
    v.set("reset-mode", settings.resetConfig & 0x0F);
    v.set("enable-nav-lib-data", (settings.resetConfig & 0x10) != 0 ? 1 : 0);
    v.set("enable-debug-data", (settings.resetConfig & 0x20) != 0 ? 1 : 0);
    v.set("pc-clock", static_cast<double>(unixMsFromUtcTime(now)));
    InitMessage out;
    if (settings.usePcTime && settings.utcOffset > kMaxUtcOffset) {
        out.warning = kUtcOffsetRefusal;
        v.set("use-current-pc-time", 0);
        v.set("week-number", 0);
        v.set("time-of-week", 0);
    }
    s.rule(v); // stored settings are sent as they are, without the dialog's range checks
    out.payload = encodePayload(s, v);
    return out;
}

std::vector<uint8_t> pollPayload(uint8_t mid) {
    return encodePayload(spec(mid), defaultValues(spec(mid)));
}

std::vector<uint8_t> currentSettingsPollPayload(uint8_t commandMid) {
    const CommandSpec& s = spec(168);
    CommandValues v = defaultValues(s);
    v.set("mid", commandMid);
    return encodePayload(s, v);
}

std::vector<uint8_t> setAlmanacPayload(std::span<const uint16_t, 448> words) {
    CommandValues v;
    v.words.assign(words.begin(), words.end());
    return encodePayload(spec(130), v);
}

std::vector<uint8_t> setEphemerisPayload(std::span<const uint16_t, 45> words) {
    CommandValues v;
    v.words.assign(words.begin(), words.end());
    return encodePayload(spec(149), v);
}

} // namespace zeph::monitor
