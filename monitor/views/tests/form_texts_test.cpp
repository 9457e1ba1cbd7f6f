// The four form views' texts, from wire bytes to the exact text of every field.

#include "monitor/views/dgps_view_texts.h"
#include "monitor/views/drovana_view_texts.h"
#include "monitor/views/geodetic_view_texts.h"
#include "monitor/views/nav_view_texts.h"

#include "monitor/views/testing/message_maker.h"

#include "sim/receiver/correction_output.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace zeph::monitor::testing {
namespace {

using sim::PayloadWriter;

class FormTextsTest : public ::testing::Test {
protected:
    // Offsets count from the MID byte; the rest of the message is zero.
    const RxMessage& nav(uint8_t mode1, uint8_t mode2, uint8_t count,
                         std::array<uint8_t, 12> prns = {}) {
        PayloadWriter w(2);
        w.u32(static_cast<uint32_t>(-4647012)).u32(2553102).u32(static_cast<uint32_t>(-3533298));
        w.u16(static_cast<uint16_t>(-12)).u16(9).u16(0).u8(mode1).u8(7).u8(mode2);
        w.u16(1182).u32(43200012).u8(count);
        for (uint8_t p : prns) {
            w.u8(p);
        }
        return make.binary(w);
    }
    const RxMessage& drValidity(size_t statusByte, uint16_t value) {
        PayloadWriter w(48);
        w.u8(1).u8(statusByte == 1 ? value : 0).u16(statusByte == 0 ? value : 0);
        for (size_t b = 2; b <= 11; ++b) {
            w.u8(statusByte == b ? value : 0);
        }
        return make.binary(w.fill(2));
    }
    const RxMessage& dgpsSbas(uint8_t source, int16_t firstCorrection) {
        PayloadWriter w(27);
        w.u8(source);
        for (uint32_t ch = 0; ch < 12; ++ch) {
            w.u8(ch * 2 + 1);
        }
        w.fill(2).u8(5).u16(static_cast<uint16_t>(firstCorrection)).u8(7).u16(5);
        return make.binary(w.fill(10 * 3));
    }
    const RxMessage& beacon(uint8_t status) {
        PayloadWriter w(27);
        w.u8(3).u32(304500).u8(100).u8(status).u32(0xFFFFFFF0).u16(static_cast<uint16_t>(-45));
        return make.binary(w.u16(12).fill(12 * 3));
    }
    const RxMessage& sbas(uint8_t prn, uint8_t mode, uint8_t timeout, uint8_t flags) {
        return make.binary(PayloadWriter(50).u8(prn).u8(mode).u8(timeout).u8(flags));
    }

    MessageMaker make;
};

TEST_F(FormTextsTest, NavigationModeText) {
    const struct {
        uint8_t mode1, mode2;
        const char* text;
    } rows[] = {
        {0x00, 0x00, "NoGps"},
        {0x40, 0x00, "Bad DOP"},
        {0xC7, 0x04, "Bad DOP;DrTimeout"},
        {0x9C, 0x08, "3d(AltFilter)+Dgps;Tp;EditedByMI"},
        {0x27, 0x00, "Dr(AltUsr)"},
        {0x35, 0x0E, "Ls2d(AltForced);DrTimeout;EditedByMI"},
        {0x06, 0x03, "Ls3d"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(navModeText(r.mode1, r.mode2), r.text) << int{r.mode1} << " " << int{r.mode2};
    }
}

TEST_F(FormTextsTest, NavigationFieldsAndTheNotAvailableRule) {
    NavViewTexts view;
    EXPECT_FALSE(view.update(make.binary(PayloadWriter(1).fill(40))));
    EXPECT_EQ(view.texts(), std::vector<std::string>(kNavFieldCount));

    // A point south of the equator and east of Greenwich; the satellite list skips the zero PRN
    // among the counted five and ignores what lies beyond the count.
    ASSERT_TRUE(view.update(nav(0x04, 0x02, 5, {2, 0, 7, 9, 13, 16, 21})));
    EXPECT_EQ(view.texts(), (std::vector<std::string>{
                                "-4647012", "2553102", "-3533298", "-1.500", "1.125", "0.000",
                                "-33.85678", "151.21529", "59", "3d", "1.400", "Validated", "1182",
                                "432000.12", "5 SV's used in fix: 2 7 9 13"}));

    // No fix: the nine position fields read "n/a", the others still follow the message.
    ASSERT_TRUE(view.update(nav(0x00, 0x04, 14, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
    for (size_t f = kNavPositionX; f <= kNavAltitude; ++f) {
        EXPECT_EQ(view.text(f), "n/a") << f;
    }
    EXPECT_EQ(view.text(kNavMode), "NoGps;DrTimeout");
    EXPECT_EQ(view.text(kNavFix), "Unvalidated");
    EXPECT_EQ(view.text(kNavSatellites), "14 SV's used in fix: 1 2 3 4 5 6 7 8 9 10 11 12");

    // Without a fix type the receiver can still mark its position as worth showing.
    view.update(nav(0x00, 0x01, 0));
    EXPECT_EQ(view.text(kNavPositionX), "-4647012");
    EXPECT_EQ(view.text(kNavSatellites), "0 SV's used in fix:");
}

TEST_F(FormTextsTest, GeodeticValidityAndMode) {
    const std::pair<uint16_t, const char*> validity[] = {
        {0x0000, "Nav Validity: Valid"},
        {0xFF00, "Nav Validity: Valid"},
        {0x0003, "Nav Validity: Invalid (h p g c d v H S)"},
        {0x0180, "Nav Validity: Invalid (H p g c d v h s)"},
    };
    for (const auto& [word, text] : validity) {
        EXPECT_EQ(geodeticValidityText(word), text) << word;
    }
    const std::pair<uint16_t, const char*> modes[] = {
        {0x0204, "Nav Mode: 3D;SolVal"},
        {0x00FF, "Nav Mode: VelDr;AltFrc;Tp;DopExd;Dgps"},
        {0x0710, "Nav Mode: NoGps;AltFil;SensDr;SolVal;VDrOut"},
        {0x0025, "Nav Mode: Ls2d;AltUsr"},
    };
    for (const auto& [word, text] : modes) {
        EXPECT_EQ(geodeticModeText(word), text) << word;
    }
}

TEST_F(FormTextsTest, GeodeticLinesSignedWhereTheFieldIsSigned) {
    GeodeticViewTexts view;
    EXPECT_EQ(view.text(kGeodWeekTime), "X-Wk Num: ; TOW:");
    EXPECT_EQ(view.text(kGeodHeadingError), "Hdg Error:");
    EXPECT_EQ(view.text(kGeodClockDriftError), "Error:");

    PayloadWriter w(41);
    w.u16(0x0001).u16(0x0204).u16(1182).u32(432000123).u16(2002).u8(9).u16(6).u16(7).u16(5);
    w.u16(59500).u8(9).u32(374000000).u32(static_cast<uint32_t>(-1220990000));
    w.u32(static_cast<uint32_t>(-3500)).u32(6700).u8(21).u16(65535).u16(9000);
    w.u16(static_cast<uint16_t>(-1234)).u16(static_cast<uint16_t>(-12)).u16(57);
    w.u32(0xFFFFFFFF).u32(700).u32(800).u16(65535);
    w.u32(static_cast<uint32_t>(-94315)).u32(0x80000000).u32(static_cast<uint32_t>(-5));
    w.u32(56).u32(0xFFFFFFFF).u16(65535).u16(250).fill(3);
    ASSERT_TRUE(view.update(make.binary(w)));
    EXPECT_EQ(view.texts(), (std::vector<std::string>{
                                "Nav Validity: Invalid (h p g c d v h S)",
                                "Nav Mode: 3D;SolVal",
                                "X-Wk Num: 1182; TOW: 432000.123",
                                "UTC: 2002.09.06 07:05:59.500",
                                "# of SV's in Sol'n: 9",
                                "Lat: 37.4000000",
                                "Lon: -122.0990000",
                                "Alt(ellip): -35.00",
                                "Alt(msl): 67.00",
                                "Map Datum: 21",
                                "SOG: 655.35",
                                "COG: 90.00",
                                "Mag Var: -12.34",
                                "Clmb Rte: -0.12",
                                "Hdg Rte: 0.57",
                                "EHPE: 42949672.95",
                                "EVPE: 7.00",
                                "ETE: 8.00",
                                "EHVE: 655.35",
                                "Clk Bias: -943.15",
                                "Error: 21474836.48",
                                "Clk Drft: -0.05",
                                "Error: 0.56",
                                "Traveled: 4294967295",
                                "Error: 65535",
                                "Hdg Error: 2.50",
                            }));
    EXPECT_FALSE(view.update(make.binary(PayloadWriter(2).fill(40))));
}

TEST_F(FormTextsTest, DrovanaValidityLines) {
    // The status byte that carries the bits (0: the data-validity word), its value, the line.
    const struct {
        size_t source;
        uint16_t value;
        size_t line;
        const char* text;
    } rows[] = {
        {1, 0x80, 0, "DR Nav: Valid"},
        {1, 0x41, 0, "DR Nav: Invalid (C d c h p s G)"},
        {0, 0x0401, 1, "DR Data: Invalid (T m i w b t d c m s G)"},
        {0, 0xF800, 1, "DR Data: Valid"},
        {2, 0x05, 2, "DR Cal: Invalid (S g G)"},
        {2, 0x05, 3, "DR Gyr Bias Cal: Valid"},
        {3, 0x10, 5, "DR Spd SF Cal: Invalid (s v p D)"},
        {3, 0x10, 4, "DR Gyr SF Cal: Valid"},
        {4, 0x7C, 6, "DR Nav across Reset: Valid"},
        {4, 0x7C, 7, "DR Pos: Invalid (D C P S)"},
        {5, 0x7F, 8, "DR Hdg: Invalid (D C T H S P S)"},
        {6, 0x41, 9, "DR Gyr Subsys Op: Invalid (r l H)"},
        {6, 0x41, 10, "DR Spd Subsys Op: Invalid (R d g)"},
        {7, 0x22, 11, "DR Nav St Int Ran: Invalid (d H p)"},
        {7, 0x22, 12, "0-Spd GB Cal Upd: Invalid (p D g)"},
        {8, 0x80, 13, "DR GBSF Cal Upd: Valid"},
        {8, 0x80, 14, "DR Spd Cal Upd: Valid"},
        {8, 0x80, 15, "DR Upd Nav State: Invalid"},
        {8, 0x7F, 15, "DR Upd Nav State: Valid"},
        {8, 0x7F, 13, "DR GBSF Cal Upd: Invalid (H V P D)"},
        {9, 0xE1, 16, "Gps Upd Pos: Invalid (d g p e M)"},
        {10, 0x40, 17, "Gps Upd Hdg: Invalid (I k h v f s m)"},
        {11, 0x08, 18, "Gps Pos for DR: Valid"},
        {11, 0x05, 18, "GPS Pos for DR: Invalid (P e F)"},
        {11, 0x0F, 19, "Gps Vel for DR: Valid"},
        {11, 0x90, 19, "GPS Vel for DR: Invalid (H s e F)"},
    };
    DrovanaViewTexts view;
    EXPECT_EQ(view.text(0), "DR Nav:");
    EXPECT_EQ(view.text(19), "GPS Vel for DR:");
    for (const auto& r : rows) {
        ASSERT_TRUE(view.update(drValidity(r.source, r.value)));
        EXPECT_EQ(view.text(kDrValidityFirst + r.line), r.text) << r.source << " " << r.value;
    }
}

TEST_F(FormTextsTest, DrovanaNavigationStateAndSubsystemData) {
    DrovanaViewTexts view;
    EXPECT_EQ(view.text(kDrNavStateFirst + 12), "Nav Ctrl:");
    PayloadWriter state(48);
    state.u8(2).u16(1234).u16(5).u16(10001).u16(65535).u16(250).u16(3).u16(40000).u16(1);
    state.u16(9999).u16(7).u32(0xFFFFFFFF).u16(123).u8(4).u8(0);
    ASSERT_TRUE(view.update(make.binary(state)));
    const std::vector<std::string> shown(view.texts().begin() + kDrNavStateFirst,
                                         view.texts().begin() + kDrSubsystemFirst);
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "DR Spd: 12.34", "Error: 0.05", "DR Spd SF: 1.0001", "Error: 6.5535",
                         "DR Hdg Rte: 2.50", "Error: 0.03", "DR Gyr Bias: 400.00", "Error: 0.01",
                         "DR Gyr SF: 0.9999", "Error: 0.0007", "Total DR Pos Error: 42949672.95",
                         "Total Hdg Error: 1.23", "Nav Ctrl: DR Nav Ok w/ current GPS cal"}));

    const std::pair<uint8_t, const char*> controls[] = {
        {1, "Nav Ctrl: GPS Nav only"},
        {2, "Nav Ctrl: DR Nav Ok w/ stored or default cal"},
        {3, "Nav Ctrl: "},
        {200, "Nav Ctrl: "},
    };
    for (const auto& [control, text] : controls) {
        view.update(make.binary(PayloadWriter(48).u8(2).fill(26).u8(control).u8(0)));
        EXPECT_EQ(view.text(kDrNavStateFirst + 12), text);
    }

    PayloadWriter sub(48);
    sub.u8(3).u16(12345).u16(6).u16(35999).u16(8).u16(65535).u16(10).u32(4000000000u);
    sub.u16(1).u16(2).u16(3).u16(4).u16(5).u16(6).u32(7).fill(2);
    ASSERT_TRUE(view.update(make.binary(sub)));
    EXPECT_EQ(view.text(kDrSubsystemFirst), "Gps Hdg Rte: 1.2345");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 2), "Gps Hdg (T): 359.99");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 4), "Gps Spd: 655.35");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 6), "Gps Pos Error: 40000000.00");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 7), "DR Hdg Rte: 0.0001");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 12), "Error: 0.06");
    EXPECT_EQ(view.text(kDrSubsystemFirst + 13), "DR Pos Error: 0.07");
    // The state group keeps what its own message set.
    EXPECT_EQ(view.text(kDrNavStateFirst), "DR Spd: 0.00");
}

TEST_F(FormTextsTest, DrovanaDataBlock) {
    DrovanaViewTexts view;
    EXPECT_EQ(view.text(kDrFieldCount - 1), "Gyr Hdg Rte:");
    const auto block = [&](uint8_t type, uint16_t flags) -> const RxMessage& {
        PayloadWriter w(48);
        w.u8(8).u8(type).u8(10).u16(flags);
        for (uint32_t k = 0; k < 10; ++k) {
            w.u32(0xFFFFFFF0 + k).u16(3000 + k).u16(static_cast<uint16_t>(-5 + int(k)));
        }
        return make.binary(w);
    };
    const std::pair<uint8_t, const char*> types[] = {
        {0, "Meas Type: Odo && Gyr"},
        {1, "Meas Type: Odo && Dff"},
        {2, "Meas Type: Odo && Cmp"},
        {3, "Meas Type: Odo && Cmp"}, // other types leave the field as it was
    };
    for (const auto& [type, text] : types) {
        ASSERT_TRUE(view.update(block(type, 0x0201)));
        EXPECT_EQ(view.text(kDrMeasType), text);
    }
    EXPECT_EQ(view.text(kDrValidCount), "# of Valid: 10");
    EXPECT_EQ(view.text(kDrBackupFlags), "Backup Flags: 1 0 0 0 0 0 0 0 0 1");
    EXPECT_EQ(view.text(kDrBlockFirstRow), "Time: 4294967280");
    EXPECT_EQ(view.text(kDrBlockFirstRow + 1), "DR Spd: 30.00");
    EXPECT_EQ(view.text(kDrBlockFirstRow + 2), "Gyr Hdg Rte: -0.05");
    EXPECT_EQ(view.text(kDrFieldCount - 1), "Gyr Hdg Rte: 0.04");
    view.update(block(0, 0xFDFE));
    EXPECT_EQ(view.text(kDrBackupFlags), "Backup Flags: 0 1 1 1 1 1 1 1 1 0");

    // Sub-identifier 4 and unknown ones are not the view's.
    const std::vector<std::string> before = view.texts();
    EXPECT_FALSE(view.update(make.binary(PayloadWriter(48).u8(4).fill(14))));
    EXPECT_FALSE(view.update(make.binary(PayloadWriter(48).u8(9).fill(4))));
    EXPECT_EQ(view.texts(), before);
    EXPECT_EQ(shownText(view.text(kDrMeasType)), "Meas Type: Odo & Gyr");
}

TEST_F(FormTextsTest, DgpsSourcesAndWhatEachEmpties) {
    const std::pair<uint8_t, const char*> sources[] = {
        {0, "None"},     {1, "SBAS channel"}, {2, "External RTCM data (serial port B)"},
        {4, "Software"}, {7, "Error"},
    };
    // Every source but the beacon lists PRNs, signed corrections and ages.
    for (const auto& [source, text] : sources) {
        DgpsViewTexts view;
        ASSERT_TRUE(view.update(dgpsSbas(source, -1234)));
        EXPECT_EQ(view.text(kDgpsSource), text);
        const std::vector<std::string> first(view.texts().begin() + dgpsPrn(0),
                                             view.texts().begin() + dgpsPrn(2));
        EXPECT_EQ(first, (std::vector<std::string>{"5", "-12.34", "1", "7", "+0.05", "3"}));
        EXPECT_EQ(view.text(dgpsAge(11)), "23");
    }

    DgpsViewTexts view;
    view.update(beacon(0x03));
    const std::vector<std::string> locked(view.texts().begin() + kDgpsLocked,
                                          view.texts().begin() + kDgpsSbasPrn);
    EXPECT_EQ(locked, (std::vector<std::string>{"Yes", "304.500 (auto)", "100 (auto)", "-16", "-45",
                                                "12"}));
    EXPECT_EQ(view.text(kDgpsSource), "Internal DGPS beacon receiver");
    EXPECT_EQ(view.text(dgpsAge(0)), "");

    view.update(beacon(0x00));
    EXPECT_EQ(view.text(kDgpsLocked), "No");
    EXPECT_EQ(view.text(kDgpsFrequency), "304.500 ");
    EXPECT_EQ(view.text(kDgpsBitRate), "100 ");
    EXPECT_EQ(view.text(kDgpsMagnitude), "");
    EXPECT_EQ(view.text(kDgpsSnr), "");

    // Another source keeps the beacon's texts; SBAS empties them.
    view.update(dgpsSbas(2, 0));
    EXPECT_EQ(view.text(kDgpsFrequency), "304.500 ");
    view.update(dgpsSbas(1, 0));
    EXPECT_EQ(view.text(kDgpsFrequency), "");
    EXPECT_EQ(view.text(kDgpsLocked), "");
}

TEST_F(FormTextsTest, SbasParametersOnlyWhileTheSourceIsSbas) {
    const struct {
        uint8_t prn, mode, timeout, flags;
        std::array<const char*, 5> texts;
    } rows[] = {
        {120, 1, 18, 0x00, {"120:EGNOS (auto)", "Integrity", "18 (default)", "ON", "ON"}},
        {124, 0, 30, 0x0F, {"124", "Testing", "30 (user)", "OFF", "OFF"}},
        {131, 2, 0, 0x0A, {"131:EGNOS", "Integrity", "0 (default)", "OFF", "ON"}},
        {122, 1, 5, 0x0C, {"122:WAAS", "Integrity", "5 (default)", "ON", "OFF"}},
        {134, 1, 5, 0x01, {"134:WAAS (auto)", "Integrity", "5 (user)", "ON", "ON"}},
        {129, 1, 5, 0x08, {"129:MSAS", "Integrity", "5 (default)", "ON", "ON"}},
        {137, 1, 5, 0x00, {"137:MSAS (auto)", "Integrity", "5 (default)", "ON", "ON"}},
    };
    DgpsViewTexts view;
    view.update(dgpsSbas(1, 0));
    for (const auto& r : rows) {
        ASSERT_TRUE(view.update(sbas(r.prn, r.mode, r.timeout, r.flags)));
        for (size_t k = 0; k < r.texts.size(); ++k) {
            EXPECT_EQ(view.text(kDgpsSbasPrn + k), r.texts[k]) << int{r.prn};
        }
    }

    view.update(dgpsSbas(4, 0));
    EXPECT_EQ(view.text(kDgpsSbasPrn), "");
    const std::vector<std::string> before = view.texts();
    EXPECT_TRUE(view.update(sbas(120, 1, 18, 0)));
    EXPECT_EQ(view.texts(), before);
}

// A minute of the simulated receiver's output shows every state the two views tell apart.
TEST_F(FormTextsTest, TheSimulatedMinuteReachesEveryBranch) {
    using Seen = std::vector<std::set<std::string>>;
    const auto contains = [](const std::set<std::string>& texts, std::string_view part) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.find(part) != t.npos; });
    };
    Seen dr(kDrFieldCount);
    Seen sbasSeen(kDgpsFieldCount);
    Seen beaconSeen(kDgpsFieldCount);
    DrovanaViewTexts drovana;
    DgpsViewTexts sbasView;
    DgpsViewTexts beaconView;
    const auto note = [](const FormTexts& view, Seen& seen) {
        for (size_t f = 0; f < seen.size(); ++f) {
            seen[f].insert(view.text(f));
        }
    };
    for (uint32_t second = 0; second < 60; ++second) {
        const sim::ReceiverSnapshot s = sim::openSkySnapshotAt(second);
        for (uint8_t sub : sim::kDrovanaSubIds) {
            ASSERT_TRUE(drovana.update(make.binary(sim::drovanaOutput(sub, s, second))));
        }
        note(drovana, dr);
        sbasView.update(make.binary(sim::dgpsStatus(s, second, sim::CorrectionSource::Sbas)));
        sbasView.update(make.binary(sim::sbasParameters(second)));
        note(sbasView, sbasSeen);
        beaconView.update(make.binary(sim::dgpsStatus(s, second, sim::CorrectionSource::Beacon)));
        beaconView.update(make.binary(sim::sbasParameters(second)));
        note(beaconView, beaconSeen);
    }

    for (size_t line = 0; line < kDrValidityLines; ++line) {
        EXPECT_TRUE(contains(dr[line], ": Valid")) << line;
        EXPECT_TRUE(contains(dr[line], ": Invalid")) << line;
    }
    EXPECT_EQ(dr[kDrNavStateFirst + 12].size(), 4u); // three named controls and one other
    EXPECT_EQ(dr[kDrMeasType].size(), 3u);           // the fourth kind leaves the third in place
    EXPECT_TRUE(contains(dr[kDrBlockFirstRow + 2], "Rte: -"));

    EXPECT_EQ(sbasSeen[kDgpsSource],
              (std::set<std::string>{"SBAS channel", "External RTCM data (serial port B)", "None",
                                     "Software", "Error"}));
    EXPECT_TRUE(contains(sbasSeen[dgpsCorrection(0)], "-"));
    EXPECT_TRUE(contains(sbasSeen[dgpsCorrection(0)], "+"));
    for (const char* part : {":EGNOS", ":WAAS", ":MSAS", "124", " (auto)"}) {
        EXPECT_TRUE(contains(sbasSeen[kDgpsSbasPrn], part)) << part;
    }
    EXPECT_TRUE(sbasSeen[kDgpsSbasPrn].count("129:MSAS")); // chosen by the user
    for (size_t f : {kDgpsSbasMode, kDgpsSbasTimeout, kDgpsSbasHealth, kDgpsSbasCorrection}) {
        EXPECT_EQ(sbasSeen[f].size(), 3u) << f; // empty, and both of its texts
    }
    EXPECT_EQ(beaconSeen[kDgpsLocked], (std::set<std::string>{"Yes", "No"}));
    EXPECT_TRUE(contains(beaconSeen[kDgpsFrequency], "(auto)"));
    EXPECT_TRUE(beaconSeen[kDgpsFrequency].count("304.500 "));
    EXPECT_TRUE(beaconSeen[kDgpsMagnitude].count(""));
    EXPECT_EQ(beaconSeen[kDgpsSbasPrn], std::set<std::string>{""});
}

TEST_F(FormTextsTest, StaticTextShowsDoubledAmpersandsOnce) {
    EXPECT_EQ(shownText("Odo && Gyr"), "Odo & Gyr");
    EXPECT_EQ(shownText("&File"), "File");
    EXPECT_EQ(shownText("a&"), "a&");
    EXPECT_EQ(shownText("Lat: 37.4"), "Lat: 37.4");
}

} // namespace
} // namespace zeph::monitor::testing
