#pragma once

// frmSelNmea: the proprietary commands that switch each sentence on (at a rate) or off and
// change the receiver's speed, and the window's rules for sending them on its own port.

#include "dashboard/core/nmea_port.h"
#include "dashboard/core/settings_record.h"

#include "common/prompt/prompter.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zeph::dashboard {

// In message-number order: GGA 00 .. VTG 05.
enum class NmeaSentence { GGA, GLL, GSA, GSV, RMC, VTG };
constexpr std::size_t kSelSentences = 6;
constexpr int kRateItems = 9;

// Two uppercase hexadecimal digits: the XOR of everything between the leading "$" and the
// trailing "*" (the first and the last character are left out).
std::string NMEA_Checksum(std::string_view command);

// Complete commands, checksum included, without the line end.
std::string sentenceOnCommand(NmeaSentence sentence, int rateIndex); // rate = index + 1
std::string sentenceOffCommand(NmeaSentence sentence);
std::string baudCommand(std::string_view speed);

// " 1 second" .. " 9 second".
std::vector<std::string> rateItems();
// "4800", "9600", "19200", "38400".
const std::vector<std::string>& selBaudItems();

class SelNmeaCore {
public:
    SelNmeaCore(PortObject& port, Prompter& prompter) : port_(port), prompter_(prompter) {}

    // Runs once per program run: all sentences enabled, the first rate and speed chosen, and
    // the port set from the single-receiver fields of the record as it is now.
    void load(const SettingsRecord& record);

    void setEnabled(NmeaSentence sentence, bool enabled) { flags_[index(sentence)] = enabled; }
    bool enabled(NmeaSentence sentence) const { return flags_[index(sentence)]; }
    // The rate list is usable while the sentence is enabled.
    bool rateListEnabled(NmeaSentence sentence) const { return enabled(sentence); }
    void chooseRate(NmeaSentence sentence, int index);
    int rateIndex(NmeaSentence sentence) const { return rates_[index(sentence)]; }
    void chooseBaud(int index);
    int baudIndex() const { return baudIndex_; }

    // "Send": the sentence's on or off command; false (after "The COM is used!") when the port
    // cannot be opened.
    bool send(NmeaSentence sentence);
    // cmdBaudRate: the speed command for the chosen speed.
    bool sendBaudRate();

private:
    static std::size_t index(NmeaSentence s) { return static_cast<std::size_t>(s); }
    bool sendLine(const std::string& command);

    PortObject& port_;
    Prompter& prompter_;
    std::array<bool, kSelSentences> flags_{true, true, true, true, true, true};
    std::array<int, kSelSentences> rates_{};
    int baudIndex_ = 0;
};

} // namespace zeph::dashboard
