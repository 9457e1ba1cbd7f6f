#include "dashboard/core/sel_nmea.h"

#include "dashboard/core/trekdash_core.h"

#include "common/text/nmea_checksum.h"
#include "common/text/strprintf.h"

namespace zeph::dashboard {

namespace {

constexpr std::array<const char*, kSelSentences> kOnPrefix = {
    "$ZUVE103,00,00,0", "$ZUVE103,01,00,0", "$ZUVE103,02,00,0",
    "$ZUVE103,03,00,0", "$ZUVE103,04,00,0", "$ZUVE103,05,00,0"};
constexpr std::array<const char*, kSelSentences> kOffText = {
    "$ZUVE103,00,00,00,01*", "$ZUVE103,01,00,00,01*", "$ZUVE103,02,00,00,01*",
    "$ZUVE103,03,00,00,01*", "$ZUVE103,04,00,00,01*", nullptr};
// VTG's "off" command is held whole, checksum digits included.
constexpr const char* kVtgOffCommand = "$ZUVE103,05,00,00,01*2A";

} // namespace

std::string NMEA_Checksum(std::string_view command) {
    // Between the leading '$' and the trailing '*'.
    const std::string_view body =
        command.size() < 2 ? std::string_view{} : command.substr(1, command.size() - 2);
    return strprintf("%02X", nmeaChecksum(body));
}

std::string sentenceOnCommand(NmeaSentence sentence, int rateIndex) {
    const std::string command = strprintf("%s%X,01*", kOnPrefix[static_cast<std::size_t>(sentence)],
                                          static_cast<unsigned>(rateIndex + 1));
    return command + NMEA_Checksum(command);
}

std::string sentenceOffCommand(NmeaSentence sentence) {
    if (sentence == NmeaSentence::VTG) {
        return kVtgOffCommand;
    }
    const std::string command = kOffText[static_cast<std::size_t>(sentence)];
    return command + NMEA_Checksum(command);
}

std::string baudCommand(std::string_view speed) {
    const std::string command = "$ZUVE100,1," + std::string(speed) + ",8,1,0*";
    return command + NMEA_Checksum(command);
}

std::vector<std::string> rateItems() {
    std::vector<std::string> items;
    for (int n = 1; n <= kRateItems; ++n) {
        items.push_back(" " + std::to_string(n) + " second");
    }
    return items;
}

const std::vector<std::string>& selBaudItems() {
    static const std::vector<std::string> items = {"4800", "9600", "19200", "38400"};
    return items;
}

void SelNmeaCore::load(const SettingsRecord& record) {
    flags_.fill(true);
    rates_.fill(0);
    baudIndex_ = 0;
    port_.setSettings(portSettings(SettingsRecord::text(record.speed)));
    port_.setPort(record.port);
}

void SelNmeaCore::chooseRate(NmeaSentence sentence, int rateIndex) {
    if (rateIndex >= 0 && rateIndex < kRateItems) {
        rates_[index(sentence)] = rateIndex;
    }
}

void SelNmeaCore::chooseBaud(int baud) {
    if (baud >= 0 && baud < static_cast<int>(selBaudItems().size())) {
        baudIndex_ = baud;
    }
}

bool SelNmeaCore::sendLine(const std::string& command) {
    port_.open();
    if (!port_.isOpen()) {
        prompter_.tell(kComUsedText, Prompter::Icon::Error);
        return false;
    }
    port_.write(command + "\r\n");
    port_.close();
    return true;
}

bool SelNmeaCore::send(NmeaSentence sentence) {
    return sendLine(enabled(sentence) ? sentenceOnCommand(sentence, rateIndex(sentence))
                                      : sentenceOffCommand(sentence));
}

bool SelNmeaCore::sendBaudRate() {
    return sendLine(baudCommand(selBaudItems()[static_cast<std::size_t>(baudIndex_)]));
}

} // namespace zeph::dashboard
