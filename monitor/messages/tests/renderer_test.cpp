// The log text of every message kind, from wire bytes to the rendered line.

#include "decoder_fixture.h"

#include "sim/receiver/wire_writer.h"

namespace zeph::monitor::testing {
namespace {

using sim::PayloadWriter;

class Renderer : public DecoderTest {};

TEST_F(Renderer, NavigationScalesVelocityAndHdop) {
    const Bytes mid2 = {0x02, 0xFF, 0xD6, 0xCD, 0x20, 0xFF, 0xBE, 0x8A, 0x30, 0x00, 0x3A,
                        0xBF, 0x10, 0xFF, 0xF4, 0x00, 0x08, 0x00, 0x00, 0x04, 0x07, 0x00,
                        0x04, 0x9E, 0x00, 0xBC, 0x61, 0x4E, 0x03, 0x02, 0x05, 0x07, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(render(mid2), "2,-2700000,-4290000,3850000,-1.500,1.000,0.000,4,1.4,0,1182,"
                            "12345678,3,2,5,7,0,0,0,0,0,0,0,0,0");
}

TEST_F(Renderer, TrackerPrintsEveryChannelSlotAndTruncatesAngles) {
    PayloadWriter w(4);
    w.u16(0xFFFE).u32(9000).u8(1);
    w.u8(17).u8(101).u8(45).u16(0x00BF).u8(0).u8(0).u8(40).u8(44).fill(6);
    w.fill(11 * 15);
    std::string expected = "4,65534,9000,1,17,151,22,191,0,0,40,44,0,0,0,0,0,0";
    for (int ch = 1; ch < 12; ++ch) {
        expected += ",0,0,0,0,0,0,0,0,0,0,0,0,0,0";
    }
    EXPECT_EQ(render(w), expected);
    EXPECT_EQ(msg().as<TrackRecord>().averageCno[0], 42);
}

TEST_F(Renderer, RawTrackShowsItsThirdFieldInHex) {
    PayloadWriter w(5);
    w.u32(3).u16(17).u16(0x3F).u32(0xFFFFFFFF).u16(12).u16(1);
    w.u32(1).u32(2).u32(3).u32(4).u16(5);
    for (uint32_t k = 0; k < 10; ++k) {
        w.u8(30 + k);
    }
    w.u8(3).u8(1).u16(500).u16(65535);
    EXPECT_EQ(render(w), "5,3,17,3f,-1,12,1,1,2,3,4,5,30,31,32,33,34,35,36,37,38,39,3,1,500,65535");
}

TEST_F(Renderer, ReadableTexts) {
    EXPECT_EQ(render(PayloadWriter(6).text("231.000.000").u8(0)), "SW Version: 231.000.000");
    EXPECT_EQ(render(PayloadWriter(7)
                         .u16(1182)
                         .u32(4294967295u)
                         .u8(9)
                         .u32(94315)
                         .u32(4000000000u)
                         .u32(432000000)),
              "Week:1182  TOW:4294967295  EstGPSTime:432000000 ms  SVCnt:9  "
              "Clock Drift:94315 Hz  Clock Bias:4000000000 ns");
    EXPECT_EQ(render(PayloadWriter(9).u16(12).u16(558).u16(93).u16(2232)),
              "ThrPut(186=1ms): Latency:558 SegStatMax:012 AveTrkTime:093 Nav Complete:2232 ms");
    EXPECT_EQ(render(PayloadWriter(11).u8(134).u8(0)), "Ack: MID_SetSerialPort");
    EXPECT_EQ(render(PayloadWriter(12).u8(172).u8(5)), "Nak: MID_DrOut:SID_PollDrValid");
    EXPECT_EQ(render(PayloadWriter(12).u8(170).u8(0)), "Nak: Unknown MID:170");
    EXPECT_EQ(render(PayloadWriter(18).u8(0)), "OkToSend: FALSE");
    EXPECT_EQ(render(PayloadWriter(17).u16(3).u8(0x66).u8(0x0B).u8(0xFE)), "17,660BFE");
    EXPECT_EQ(render(PayloadWriter(17).u16(0x8003).u8(0x66)), "17,");
}

TEST_F(Renderer, FiftyBpsData) {
    PayloadWriter w(8);
    w.u8(3).u8(17);
    for (uint32_t k = 0; k < 10; ++k) {
        w.u32(k == 0 ? 0x22C0ABCDu : k);
    }
    EXPECT_EQ(render(w), ": 03 17 22c0abcd 1        2        3        4        5        6      "
                         "  7        8        9        ");
    // No satellite: an empty line in the log.
    EXPECT_EQ(render(PayloadWriter(8).u8(3).u8(0).fill(40, 0x11)), "");
}

TEST_F(Renderer, ErrorTextsFillTheirFormats) {
    EXPECT_EQ(render(PayloadWriter(10).u16(2).u16(2).u32(7).u32(3)),
              "Bad parity from SV 07, subframe 3");
    EXPECT_EQ(render(PayloadWriter(10).u16(8).u16(2).u32(100).u32(0xFFFFFF9C)),
              "KFDBG @100: Bad altitude = -100");
    EXPECT_EQ(render(PayloadWriter(10).u16(8195).u16(1).u32(0xDEADBEEF)),
              "Memory test failed at 0xdeadbeef");
    EXPECT_EQ(render(PayloadWriter(10).u16(4097).u16(1).u32(0xFFFFFFFF)),
              "VCO lock lost in 4294967295 msec");
    EXPECT_EQ(render(PayloadWriter(10).u16(777).u16(3).u32(1).u32(0xFFFFFFFF).u32(0xAB)),
              "Unknown format: 1 ffffffff ab 0 0 0");
    PayloadWriter krause(10);
    krause.u16(4103).u16(18);
    for (uint32_t k = 1; k <= 18; ++k) {
        krause.u32(k);
    }
    EXPECT_EQ(render(krause), "Krause solution poor:\nPOS = 1 2 3 PR = 4 5 6\nSAT1= 7 8 9\n"
                              "SAT2= 10 11 12\nSAT3= 13 14 15\nSAT4= 16 17 18");
}

TEST_F(Renderer, VisibleListAlmanacAndEphemeris) {
    EXPECT_EQ(render(PayloadWriter(13).u8(2).u8(7).u16(45).u16(300).u8(30).u16(180).u16(5)),
              "Visible List\nSVID:07  Az:045  El:300\nSVID:30  Az:180  El:005\n");

    PayloadWriter alm(14);
    alm.u8(5);
    for (int k = 0; k < 14; ++k) {
        alm.u16(k == 0 ? 0xFFFF : static_cast<uint32_t>(k));
    }
    EXPECT_EQ(render(alm), "ALMANAC SVID:05  -1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, ");

    PayloadWriter eph(15);
    eph.u8(12).u16(0xFFFF).fill(88);
    std::string expected = "EPHEMERIS SVID:12  65535, ";
    for (int k = 1; k < 45; ++k) {
        expected += "0, ";
    }
    EXPECT_EQ(render(eph), expected);
}

TEST_F(Renderer, NavigationParameters) {
    PayloadWriter w(19);
    w.u32(0).u8(1).u8(2).u16(0xFF9C).u8(3).u8(30).u8(15).u8(1).u8(0).u8(1).u32(0);
    w.u8(2).u16(75).u8(28).u32(0).u8(3).u8(9).u8(30).u32(0);
    w.u8(0).u32(200).u32(1000).u8(1).u32(5).u8(1).u32(120000).u32(30000).u32(0).u32(0);
    EXPECT_EQ(render(w), "Polling Navigation Parameters\nAltMode: always\nAltSource: dynamic\n"
                         "Altitude: -100\nDegradedMode: TimeOnly\nDegradedTimeout: 30 s\n"
                         "DRTimeout: 15 s\nTrkSmoothMode: enabled\nStaticNav: disabled\n"
                         "3SV LSQ: enabled\nDOPMaskMode: HDOP\nElevMask:7.5 deg\n"
                         "PwrMask: 28 dBHz\nDGPSSrc: Internal Beacon\nDGPSMode: unknown (9)\n"
                         "DGPSTimeout: 30 s\n"
                         "Lullcycle enabled with 200 ms on, 20.000000% duty cycle\n"
                         "User tasks enabled, period = 5\n"
                         "MaxAcqTime = 120000 ms; MaxOffTime = 30000 ms\n");
}

TEST_F(Renderer, NavigationParametersPowerParagraphs) {
    auto power = [&](uint8_t wake, uint8_t lull, uint32_t onTime, uint32_t period) {
        PayloadWriter w(19);
        w.fill(33).u8(wake).u32(onTime).u32(period).u8(0).u32(0).u8(lull).fill(16);
        const std::string text = render(w);
        return text.substr(text.find("DGPSTimeout: 0 s\n") + 17);
    };
    EXPECT_EQ(power(1, 1, 200, 1000), "Wake-On-Demand enabled\nUser tasks disabled\n"
                                      "MaxAcqTime = 0 ms; MaxOffTime = 0 ms\n");
    EXPECT_EQ(power(0, 1, 200, 0), "Lullcycle enabled with 200 ms on, 0.000000% duty cycle\n"
                                   "User tasks disabled\nMaxAcqTime = 0 ms; MaxOffTime = 0 ms\n");
    EXPECT_EQ(power(0, 0, 200, 1000), "Continuous power enabled\nUser tasks disabled\n"
                                      "MaxAcqTime = 0 ms; MaxOffTime = 0 ms\n");
}

TEST_F(Renderer, NavigationLibraryDoublesFollowTheSoftwareClass) {
    auto svState = [](bool lowWordFirst) {
        PayloadWriter w(30);
        w.u8(7).f64(1.0, lowWordFirst);
        for (int k = 0; k < 7; ++k) {
            w.f64(0.5 - 0.5 * k, lowWordFirst);
        }
        return w.f32(0.25f).u8(1).f32(1.5f).f32(2.5f).f32(-0.75f);
    };
    const std::string expected =
        "30,7,1.00000000000e+00,5.0000000000e-01,0.0000000000e+00,-5.0000000000e-01,"
        "-1.0000000000e+00,-1.5000000000e+00,-2.0000000000e+00,-2.5000000000e+00,"
        "2.5000000000e-01,1,1.5000000000e+00,2.5000000000e+00,-7.5000000000e-01";
    state.targetSwClass = kSw21Or22;
    EXPECT_EQ(render(svState(true)), expected);
    state.targetSwClass = kSw23OrHigher;
    EXPECT_EQ(render(svState(false)), expected);
    state.targetSwClass = kSwDrovana;
    EXPECT_EQ(render(svState(false)), expected);
    state.targetSwClass = kSwUnknown;
    EXPECT_EQ(render(svState(true)), expected);
}

TEST_F(Renderer, NavigationLibraryMeasurementDgpsAndInit) {
    state.targetSwClass = kSw23OrHigher;
    PayloadWriter meas(28);
    meas.u8(1).u32(0xFFFFFFFE).u8(7).f64(2.5, false).f64(-1e7, false).f32(0.125f).f64(3.0, false);
    meas.u16(1).u8(44);
    for (uint32_t k = 0; k < 10; ++k) {
        meas.u8(k);
    }
    meas.u16(1000).u16(65535).u16(0xFFFB).u8(2).u8(3);
    EXPECT_EQ(render(meas), "28,1,-2,7,2.5000000000e+00,-1.0000000000e+07,1.2500000000e-01,"
                            "3.0000000000e+00,1,44,0,1,2,3,4,5,6,7,8,9,1000,65535,-5,2,3");

    EXPECT_EQ(
        render(
            PayloadWriter(29).u16(0xFFFF).u16(2).u8(1).f32(1.5f).f32(-0.5f).f32(0).f32(4).f32(8)),
        "29,-1,2,1,1.5000000000e+00,-5.0000000000e-01,0.0000000000e+00,"
        "4.0000000000e+00,8.0000000000e+00");

    PayloadWriter init(31);
    init.u8(1).u8(2).u8(3).f32(35.0f).u8(4);
    for (uint32_t k = 5; k <= 7; ++k) {
        init.u16(k);
    }
    init.u8(8).u8(9).u16(10).u16(0xFFF5).u16(12).u8(13).u16(14).u16(15).u16(16);
    init.u8(17).u16(18).u8(19).u16(20).u8(21).u16(22);
    init.f64(1.0, false).f64(2.0, false).f64(3.0, false).u8(23).f64(4.0, false).u16(24).u8(25);
    init.f64(5.0, false).u8(26);
    EXPECT_EQ(render(init), "31,1,2,3,3.5000000000e+01,4,5,6,7,8,9,10,-11,12,13,14,15,16,17,18,"
                            "19,20,21,22,1.0000000000e+00,2.0000000000e+00,3.0000000000e+00,23,"
                            "4.0000000000e+00,24,25,5.0000000000e+00,26");
}

TEST_F(Renderer, GeodeticNavigationPrintsRawValuesInWireOrder) {
    PayloadWriter w(41);
    w.u16(0).u16(0x0204).u16(1182).u32(432000500).u16(2002).u8(9).u16(6).u16(23).u16(59);
    w.u16(59500).u8(8).u32(374000000).u32(static_cast<uint32_t>(-1221000000)).u32(3500);
    w.u32(0xFFFFF000).u8(21).u16(110).u16(35999).u16(0xFFFF).u16(0xFFF4).u16(57);
    w.u32(350).u32(0xFFFFFFFF).u32(800).u16(15).u32(static_cast<uint32_t>(-94315)).u32(1234);
    w.u32(9431).u32(56).u32(1520).u16(30).u16(250).u8(1).u8(2).u8(3);
    EXPECT_EQ(render(w), "41,0,516,1182,432000500,2002,9,6,23,59,59500,8,374000000,-1221000000,"
                         "3500,-4096,21,110,35999,-1,-12,57,350,4294967295,800,15,-94315,1234,"
                         "9431,56,1520,30,250");
    const auto geo = msg().as<GeodeticNavRecord>();
    EXPECT_EQ(value(geo.utcSecond), 59500);
    EXPECT_EQ(value(geo.latitude), 374000000);
}

TEST_F(Renderer, DrovanaBySubId) {
    EXPECT_EQ(render(PayloadWriter(48).u8(1).u8(9).u16(0xFFFF).fill(12, 4)),
              "48,1,9,65535,4,4,4,4,4,4,4,4,4,4");
    PayloadWriter two(48);
    two.u8(2);
    for (uint32_t k = 0; k < 10; ++k) {
        two.u16(k);
    }
    EXPECT_EQ(render(two.u32(0xFFFFFFFF).u16(7).u8(1).u8(99)),
              "48,2,0,1,2,3,4,5,6,7,8,9,4294967295,7,1");
    EXPECT_EQ(render(PayloadWriter(48)
                         .u8(3)
                         .u16(1)
                         .u16(2)
                         .u16(3)
                         .u16(4)
                         .u16(5)
                         .u16(6)
                         .u32(7)
                         .u16(8)
                         .u16(9)
                         .u16(10)
                         .u16(11)
                         .u16(12)
                         .u16(13)
                         .u32(14)
                         .u8(15)
                         .u8(16)),
              "48,3,1,2,3,4,5,6,7,8,9,10,11,12,13,14");
    EXPECT_EQ(render(PayloadWriter(48).u8(4).u32(0xFFFFFFFB).u32(70000).u16(1).u16(2).u16(3)),
              "48,4,-5,70000,1,2,3");
    PayloadWriter eight(48);
    eight.u8(8).u8(1).u8(10).u16(250);
    std::string expected = "48,8,1,10,250";
    for (uint32_t k = 0; k < 10; ++k) {
        eight.u32(1000 + k).u16(k).u16(2 * k);
        expected +=
            "," + std::to_string(1000 + k) + "," + std::to_string(k) + "," + std::to_string(2 * k);
    }
    EXPECT_EQ(render(eight), expected);
    // An unknown sub-ID is an unknown message, logged as an empty line.
    EXPECT_EQ(render(PayloadWriter(48).u8(9).u8(0xAB)), "");
    EXPECT_EQ(events.log, "Unk: 3009AB\n");
}

TEST_F(Renderer, TextKeepsItsStoredLengthOnOneLine) {
    EXPECT_EQ(render(PayloadWriter(255).text("A\r\nB")), "A  B");
    const char sentence[] = "$GPGGA,1*5C\r\n";
    decoder.storeText(sentence, sizeof sentence - 1, msg());
    std::string out;
    ASSERT_TRUE(renderMessage(msg(), out));
    EXPECT_EQ(out, "$GPGGA,1*5C");
    // A NUL inside the text: printed as "%*s" prints it, padded to the stored length.
    EXPECT_EQ(render(PayloadWriter(255).text("AB").u8(0).text("C")), "  AB");
}

TEST_F(Renderer, SomeMessagesAreNeverLogged) {
    EXPECT_EQ(render(PayloadWriter(16).u8(1)), "<none>");
    EXPECT_EQ(render(PayloadWriter(27).u8(3).fill(50)), "<none>");
    EXPECT_EQ(render(PayloadWriter(43).u8(139).u8(0).u16(50).u16(75)), "<none>");
    EXPECT_EQ(render(PayloadWriter(50).u8(122).u8(1).u8(18).u8(8)), "<none>");
    EXPECT_EQ(render(PayloadWriter(200).u8(1)), "<none>");
}

// A text capture stores a line's bytes as they stand, so a record's count may reach past its
// table: the log lists the table and no more.
TEST_F(Renderer, CountsPastTheirTablesStopAtTheTable) {
    VisibleListRecord visible{};
    visible.mid = 13;
    visible.count = 0xFF;
    visible.entry[kMaxVisible - 1].svid = 32;
    ErrorRecord error{};
    error.mid = 10;
    error.errorId = 777; // unknown: every parameter is printed
    error.count = 0xFFFF;
    error.param[kMaxErrorParams - 1] = 0xAB;
    const auto rendered = [](const auto& record, uint16_t count) {
        auto bounded = record;
        bounded.count = static_cast<decltype(bounded.count)>(count);
        RxMessage msg;
        msg.mid = record.mid;
        std::memcpy(msg.record.data(), &bounded, sizeof bounded);
        msg.recordLength = sizeof bounded;
        std::string out;
        renderMessage(msg, out);
        return out;
    };
    const std::string list = rendered(visible, 0xFF);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 1 + kMaxVisible);
    EXPECT_EQ(list, rendered(visible, kMaxVisible));
    EXPECT_EQ(rendered(error, 0xFFFF), rendered(error, kMaxErrorParams));
}

} // namespace
} // namespace zeph::monitor::testing
