#include "monitor/views/nav_view_texts.h"

#include "common/text/strprintf.h"
#include "monitor/messages/message_records.h"
#include "monitor/views/wgs84.h"

#include <algorithm>
#include <array>

namespace zeph::monitor {
namespace {

constexpr uint8_t kMidMeasuredNav = 2;
constexpr int kPrnSlots = 12;

constexpr std::array<const char*, 8> kFixTypes = {"NoGps", "1Sv",  "2Sv",  "3Sv",
                                                  "3d",    "Ls2d", "Ls3d", "Dr"};
constexpr std::array<const char*, 4> kAltitudeHold = {"", "(AltFilter)", "(AltUsr)", "(AltForced)"};

struct Solution {
    const NavRecord& nav;
    Geodetic where;
};

// One row per field, in form order. The position rows show "n/a" while there is no fix.
struct NavRow {
    bool position;
    std::string (*text)(const Solution& s);
};
constexpr NavRow kRows[kNavFieldCount] = {
    {true, [](const Solution& s) { return strprintf("%ld", asLong(s.nav.ecef[0])); }},
    {true, [](const Solution& s) { return strprintf("%ld", asLong(s.nav.ecef[1])); }},
    {true, [](const Solution& s) { return strprintf("%ld", asLong(s.nav.ecef[2])); }},
    {true, [](const Solution& s) { return strprintf("%.3f", s.nav.velocity[0] * 0.125); }},
    {true, [](const Solution& s) { return strprintf("%.3f", s.nav.velocity[1] * 0.125); }},
    {true, [](const Solution& s) { return strprintf("%.3f", s.nav.velocity[2] * 0.125); }},
    {true,
     [](const Solution& s) { return strprintf("%.5f", s.where.latitude * kDegreesPerRadian); }},
    {true,
     [](const Solution& s) { return strprintf("%.5f", s.where.longitude * kDegreesPerRadian); }},
    {true, [](const Solution& s) { return strprintf("%.0f", s.where.height); }},
    {false, [](const Solution& s) { return navModeText(s.nav.mode1, s.nav.mode2); }},
    {false, [](const Solution& s) { return strprintf("%.3f", s.nav.hdop * 0.2); }},
    {false,
     [](const Solution& s) {
         return std::string((s.nav.mode2 & 0x02) != 0 ? "Validated" : "Unvalidated");
     }},
    {false, [](const Solution& s) { return strprintf("%d", s.nav.week); }},
    {false, [](const Solution& s) { return strprintf("%.2f", s.nav.tow * 0.01); }},
    {false,
     [](const Solution& s) {
         std::string text = strprintf("%d SV's used in fix:", s.nav.svCount);
         for (int k = 0; k < std::min<int>(s.nav.svCount, kPrnSlots); ++k) {
             if (s.nav.prn[k] != 0) {
                 text += strprintf(" %d", s.nav.prn[k]);
             }
         }
         return text;
     }},
};

} // namespace

std::string navModeText(uint8_t mode1, uint8_t mode2) {
    std::string text;
    if ((mode1 & 0x40) != 0) {
        text = "Bad DOP";
    } else {
        text = kFixTypes[mode1 & 0x07];
        text += kAltitudeHold[(mode1 >> 4) & 0x03];
        if ((mode1 & 0x80) != 0) {
            text += "+Dgps";
        }
        if ((mode1 & 0x08) != 0) {
            text += ";Tp";
        }
    }
    if ((mode2 & 0x04) != 0) {
        text += ";DrTimeout";
    }
    if ((mode2 & 0x08) != 0) {
        text += ";EditedByMI";
    }
    return text;
}

NavViewTexts::NavViewTexts() : FormTexts(std::vector<std::string>(kNavFieldCount)) {}

bool NavViewTexts::update(const RxMessage& msg) {
    if (msg.mid != kMidMeasuredNav) {
        return false;
    }
    const NavRecord nav = msg.as<NavRecord>();
    const Solution s{nav, ecefToGeodetic(nav.ecef[0], nav.ecef[1], nav.ecef[2])};
    // A solution of some kind, or one the receiver marks as worth showing.
    const bool located = (nav.mode1 & 0x07) != 0 || (nav.mode2 & 0x01) != 0;
    for (size_t f = 0; f < kNavFieldCount; ++f) {
        texts_[f] = located || !kRows[f].position ? kRows[f].text(s) : "n/a";
    }
    return true;
}

} // namespace zeph::monitor
