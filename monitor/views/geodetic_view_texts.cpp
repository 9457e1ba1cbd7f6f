#include "monitor/views/geodetic_view_texts.h"

#include "common/text/strprintf.h"
#include "monitor/messages/message_records.h"

#include <array>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidGeodeticNav = 41;

constexpr std::array<const char*, 8> kFixTypes = {"NoGps", "1Sv",  "2Sv",  "3Sv",
                                                  "3D",    "Ls2d", "Ls3d", "VelDr"};
constexpr std::array<const char*, 4> kAltitudeHold = {"", ";AltFil", ";AltUsr", ";AltFrc"};

using R = GeodeticNavRecord;

// One row per line in form order: its bare label, shown when the view opens, and its text.
struct GeodeticLine {
    const char* label;
    std::string (*text)(const R& r);
};
constexpr GeodeticLine kLines[kGeodFieldCount] = {
    {"Nav Validity:", [](const R& r) { return geodeticValidityText(r.navValid); }},
    {"Nav Mode:", [](const R& r) { return geodeticModeText(r.navType); }},
    {"X-Wk Num: ; TOW:",
     [](const R& r) { return strprintf("X-Wk Num: %d; TOW: %.3f", r.extWeek, r.tow * 0.001); }},
    {"UTC:",
     [](const R& r) {
         return strprintf("UTC: %.4d.%.2d.%.2d %.2d:%.2d:%06.3f", r.utcYear, r.utcMonth, r.utcDay,
                          r.utcHour, r.utcMinute, r.utcSecond * 0.001);
     }},
    {"# of SV's in Sol'n:",
     [](const R& r) { return strprintf("# of SV's in Sol'n: %d", r.svCount); }},
    {"Lat:", [](const R& r) { return strprintf("Lat: %.7f", r.latitude * 1e-7); }},
    {"Lon:", [](const R& r) { return strprintf("Lon: %.7f", r.longitude * 1e-7); }},
    {"Alt(ellip):",
     [](const R& r) { return strprintf("Alt(ellip): %.2f", r.altEllipsoid * 0.01); }},
    {"Alt(msl):", [](const R& r) { return strprintf("Alt(msl): %.2f", r.altMsl * 0.01); }},
    {"Map Datum:", [](const R& r) { return strprintf("Map Datum: %d", r.datum); }},
    {"SOG:", [](const R& r) { return strprintf("SOG: %.2f", r.speed * 0.01); }},
    {"COG:", [](const R& r) { return strprintf("COG: %.2f", r.course * 0.01); }},
    {"Mag Var:", [](const R& r) { return strprintf("Mag Var: %.2f", r.magVariation * 0.01); }},
    {"Clmb Rte:", [](const R& r) { return strprintf("Clmb Rte: %.2f", r.climbRate * 0.01); }},
    {"Hdg Rte:", [](const R& r) { return strprintf("Hdg Rte: %.2f", r.headingRate * 0.01); }},
    {"EHPE:", [](const R& r) { return strprintf("EHPE: %.2f", r.ehpe * 0.01); }},
    {"EVPE:", [](const R& r) { return strprintf("EVPE: %.2f", r.evpe * 0.01); }},
    {"ETE:", [](const R& r) { return strprintf("ETE: %.2f", r.ete * 0.01); }},
    {"EHVE:", [](const R& r) { return strprintf("EHVE: %.2f", r.ehve * 0.01); }},
    {"Clk Bias:", [](const R& r) { return strprintf("Clk Bias: %.2f", r.clockBias * 0.01); }},
    {"Error:", [](const R& r) { return strprintf("Error: %.2f", r.clockBiasError * 0.01); }},
    {"Clk Drft:", [](const R& r) { return strprintf("Clk Drft: %.2f", r.clockDrift * 0.01); }},
    {"Error:", [](const R& r) { return strprintf("Error: %.2f", r.clockDriftError * 0.01); }},
    {"Traveled:", [](const R& r) { return strprintf("Traveled: %lu", asULong(r.distance)); }},
    {"Error:", [](const R& r) { return strprintf("Error: %d", r.distanceError); }},
    {"Hdg Error:", [](const R& r) { return strprintf("Hdg Error: %.2f", r.headingError * 0.01); }},
};

std::vector<std::string> bareLabels() {
    std::vector<std::string> labels;
    for (const GeodeticLine& line : kLines) {
        labels.emplace_back(line.label);
    }
    return labels;
}

} // namespace

std::string geodeticValidityText(uint16_t navValid) {
    const unsigned low = navValid & 0xFFu;
    if (low == 0) {
        return "Nav Validity: Valid";
    }
    return "Nav Validity: Invalid (" + validityLetters(low, 7, "HPGCDVHS") + ")";
}

std::string geodeticModeText(uint16_t navType) {
    const unsigned mode = navType & 0xFFu;
    const unsigned extra = navType >> 8;
    std::string text = "Nav Mode: ";
    text += kFixTypes[mode & 0x07];
    text += kAltitudeHold[(mode >> 4) & 0x03];
    const std::pair<unsigned, const char*> flags[] = {
        {mode & 0x08, ";Tp"},      {mode & 0x40, ";DopExd"},  {mode & 0x80, ";Dgps"},
        {extra & 0x01, ";SensDr"}, {extra & 0x02, ";SolVal"}, {extra & 0x04, ";VDrOut"},
    };
    for (const auto& [set, name] : flags) {
        if (set != 0) {
            text += name;
        }
    }
    return text;
}

GeodeticViewTexts::GeodeticViewTexts() : FormTexts(bareLabels()) {}

bool GeodeticViewTexts::update(const RxMessage& msg) {
    if (msg.mid != kMidGeodeticNav) {
        return false;
    }
    const R r = msg.as<R>();
    for (size_t f = 0; f < kGeodFieldCount; ++f) {
        texts_[f] = kLines[f].text(r);
    }
    return true;
}

} // namespace zeph::monitor
