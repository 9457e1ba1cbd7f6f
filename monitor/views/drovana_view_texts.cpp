#include "monitor/views/drovana_view_texts.h"

#include "common/text/strprintf.h"
#include "monitor/messages/message_records.h"

#include <array>
#include <cstring>
#include <string_view>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidDrOut = 48;
constexpr int kDataValidWord = 0; // a line's source: the data-validity word, else status byte n

struct ValidityLine {
    int source;
    int highBit;
    const char* letters; // highest bit first; nullptr: one bit without a letter
    const char* name;    // the line's name when invalid
    const char* valid;
};
constexpr ValidityLine kValidityLines[kDrValidityLines] = {
    {1, 6, "CDCHPSG", "DR Nav", "DR Nav: Valid"},
    {kDataValidWord, 10, "TMIWBTDCMSG", "DR Data", "DR Data: Valid"},
    {2, 2, "SGG", "DR Cal", "DR Cal: Valid"},
    {2, 6, "HCD", "DR Gyr Bias Cal", "DR Gyr Bias Cal: Valid"},
    {3, 3, "HPDH", "DR Gyr SF Cal", "DR Gyr SF Cal: Valid"},
    {3, 7, "SVPD", "DR Spd SF Cal", "DR Spd SF Cal: Valid"},
    {4, 1, "SN", "DR Nav across Reset", "DR Nav across Reset: Valid"},
    {4, 6, "DCPS", "DR Pos", "DR Pos: Valid"},
    {5, 6, "DCTHSPS", "DR Hdg", "DR Hdg: Valid"},
    {6, 2, "RLH", "DR Gyr Subsys Op", "DR Gyr Subsys Op: Valid"},
    {6, 6, "RDG", "DR Spd Subsys Op", "DR Spd Subsys Op: Valid"},
    {7, 2, "DHP", "DR Nav St Int Ran", "DR Nav St Int Ran: Valid"},
    {7, 6, "PDG", "0-Spd GB Cal Upd", "0-Spd GB Cal Upd: Valid"},
    {8, 3, "HVPD", "DR GBSF Cal Upd", "DR GBSF Cal Upd: Valid"},
    {8, 6, "VPD", "DR Spd Cal Upd", "DR Spd Cal Upd: Valid"},
    {8, 7, nullptr, "DR Upd Nav State", "DR Upd Nav State: Valid"},
    {9, 4, "DGPEM", "Gps Upd Pos", "Gps Upd Pos: Valid"},
    {10, 6, "IKHVFSM", "Gps Upd Hdg", "Gps Upd Hdg: Valid"},
    {11, 2, "PEF", "GPS Pos for DR", "Gps Pos for DR: Valid"},
    {11, 7, "HSEF", "GPS Vel for DR", "Gps Vel for DR: Valid"},
};

// A line of the state or subsystem groups: raw value × scale by its format.
template <class R> struct ScaledLine {
    const char* format;
    double scale;
    double (*raw)(const R& r);
};

using State = DrNavStateRecord;
constexpr ScaledLine<State> kStateLines[] = {
    {"DR Spd: %.2f", 0.01, [](const State& r) -> double { return r.speed; }},
    {"Error: %.2f", 0.01, [](const State& r) -> double { return r.speedError; }},
    {"DR Spd SF: %.4f", 0.0001, [](const State& r) -> double { return r.speedSf; }},
    {"Error: %.4f", 0.0001, [](const State& r) -> double { return r.speedSfError; }},
    {"DR Hdg Rte: %.2f", 0.01, [](const State& r) -> double { return r.headingRate; }},
    {"Error: %.2f", 0.01, [](const State& r) -> double { return r.headingRateError; }},
    {"DR Gyr Bias: %.2f", 0.01, [](const State& r) -> double { return r.gyroBias; }},
    {"Error: %.2f", 0.01, [](const State& r) -> double { return r.gyroBiasError; }},
    {"DR Gyr SF: %.4f", 0.0001, [](const State& r) -> double { return r.gyroSf; }},
    {"Error: %.4f", 0.0001, [](const State& r) -> double { return r.gyroSfError; }},
    {"Total DR Pos Error: %.2f", 0.01, [](const State& r) -> double { return r.positionError; }},
    {"Total Hdg Error: %.2f", 0.01, [](const State& r) -> double { return r.headingError; }},
};
static_assert(std::size(kStateLines) + 1 == kDrNavStateFields); // and the navigation control

using Subsystem = DrNavSubsystemRecord;
constexpr ScaledLine<Subsystem> kSubsystemLines[kDrSubsystemFields] = {
    {"Gps Hdg Rte: %.4f", 0.0001, [](const Subsystem& r) -> double { return r.gpsHeadingRate; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsHeadingRateError; }},
    {"Gps Hdg (T): %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsHeading; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsHeadingError; }},
    {"Gps Spd: %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsSpeed; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsSpeedError; }},
    {"Gps Pos Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.gpsPositionError; }},
    {"DR Hdg Rte: %.4f", 0.0001, [](const Subsystem& r) -> double { return r.drHeadingRate; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.drHeadingRateError; }},
    {"DR Hdg (T): %.2f", 0.01, [](const Subsystem& r) -> double { return r.drHeading; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.drHeadingError; }},
    {"DR Spd: %.2f", 0.01, [](const Subsystem& r) -> double { return r.drSpeed; }},
    {"Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.drSpeedError; }},
    {"DR Pos Error: %.2f", 0.01, [](const Subsystem& r) -> double { return r.drPositionError; }},
};

constexpr std::array<const char*, 5> kNavControl = {
    "", "GPS Nav only", "DR Nav Ok w/ stored or default cal", "", "DR Nav Ok w/ current GPS cal"};
constexpr std::array<const char*, 3> kMeasTypes = {"Meas Type: Odo && Gyr", "Meas Type: Odo && Dff",
                                                   "Meas Type: Odo && Cmp"};
constexpr size_t kBackupFlagBits = 10;

// The text up to and with its first colon: "DR Spd: %.2f" opens as "DR Spd:".
std::string labelOf(std::string_view format) {
    return std::string(format.substr(0, format.find(':') + 1));
}

template <class R> std::string scaled(const ScaledLine<R>& line, const R& r) {
    return strprintf(line.format, line.raw(r) * line.scale);
}

std::vector<std::string> bareLabels() {
    std::vector<std::string> labels;
    for (const ValidityLine& line : kValidityLines) {
        labels.push_back(std::string(line.name) + ":");
    }
    for (const auto& line : kStateLines) {
        labels.push_back(labelOf(line.format));
    }
    labels.emplace_back("Nav Ctrl:");
    for (const auto& line : kSubsystemLines) {
        labels.push_back(labelOf(line.format));
    }
    labels.insert(labels.end(), {"Meas Type:", "# of Valid:", "Backup Flags:"});
    for (size_t row = 0; row < kDrBlockRows; ++row) {
        labels.insert(labels.end(), {"Time:", "DR Spd:", "Gyr Hdg Rte:"});
    }
    return labels;
}

} // namespace

DrovanaViewTexts::DrovanaViewTexts() : FormTexts(bareLabels()) {}

bool DrovanaViewTexts::update(const RxMessage& msg) {
    if (msg.mid != kMidDrOut) {
        return false;
    }
    switch (msg.subId) {
    case 1:
        validity(msg);
        return true;
    case 2:
        navState(msg);
        return true;
    case 3:
        subsystem(msg);
        return true;
    case 8:
        dataBlock(msg);
        return true;
    default:
        return false;
    }
}

void DrovanaViewTexts::validity(const RxMessage& msg) {
    const DrValidityRecord r = msg.as<DrValidityRecord>();
    for (size_t k = 0; k < kDrValidityLines; ++k) {
        const ValidityLine& line = kValidityLines[k];
        const unsigned source = line.source == kDataValidWord ? r.dataValid
                                : line.source == 1            ? r.navStatus
                                                              : r.status[line.source - 2];
        const int count = line.letters != nullptr ? static_cast<int>(std::strlen(line.letters)) : 1;
        const unsigned mask = ((1u << count) - 1) << (line.highBit - count + 1);
        std::string& text = texts_[kDrValidityFirst + k];
        if ((source & mask) == 0) {
            text = line.valid;
        } else if (line.letters == nullptr) {
            text = std::string(line.name) + ": Invalid";
        } else {
            text = std::string(line.name) + ": Invalid (" +
                   validityLetters(source, line.highBit, line.letters) + ")";
        }
    }
}

void DrovanaViewTexts::navState(const RxMessage& msg) {
    const State r = msg.as<State>();
    size_t field = kDrNavStateFirst;
    for (const auto& line : kStateLines) {
        texts_[field++] = scaled(line, r);
    }
    texts_[field] = std::string("Nav Ctrl: ") +
                    (r.navControl < kNavControl.size() ? kNavControl[r.navControl] : "");
}

void DrovanaViewTexts::subsystem(const RxMessage& msg) {
    const Subsystem r = msg.as<Subsystem>();
    for (size_t k = 0; k < kDrSubsystemFields; ++k) {
        texts_[kDrSubsystemFirst + k] = scaled(kSubsystemLines[k], r);
    }
}

void DrovanaViewTexts::dataBlock(const RxMessage& msg) {
    const DrDataBlockRecord r = msg.as<DrDataBlockRecord>();
    if (r.measType < kMeasTypes.size()) {
        texts_[kDrMeasType] = kMeasTypes[r.measType];
    }
    texts_[kDrValidCount] = strprintf("# of Valid: %d", r.validCount);
    std::string flags = "Backup Flags:";
    for (int bit = kBackupFlagBits - 1; bit >= 0; --bit) {
        flags += strprintf(" %d", (r.backupFlags >> bit) & 1);
    }
    texts_[kDrBackupFlags] = flags;
    for (size_t row = 0; row < kDrBlockRows; ++row) {
        const DrDataEntry e = r.entry[row];
        const size_t first = kDrBlockFirstRow + 3 * row;
        texts_[first] = strprintf("Time: %lu", asULong(e.time));
        texts_[first + 1] = strprintf("DR Spd: %.2f", e.speed * 0.01);
        texts_[first + 2] = strprintf("Gyr Hdg Rte: %.2f", static_cast<int16_t>(e.gyroRate) * 0.01);
    }
}

} // namespace zeph::monitor
