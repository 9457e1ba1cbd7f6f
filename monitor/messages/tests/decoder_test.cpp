// What decoding does besides filling the record: time tags, tables, the software class, replies
// that only a serial source acts on, and the frames that are shorter than their layouts.

#include "decoder_fixture.h"

#include "sim/receiver/wire_writer.h"

namespace zeph::monitor::testing {
namespace {

using sim::PayloadWriter;

class Decoder : public DecoderTest {};

TEST_F(Decoder, DoublesFollowTheSoftwareClass) {
    const Bytes lowWordFirst = {30, 7, 0x00, 0x00, 0x00, 0x00, 0x3F, 0xF0, 0x00, 0x00};
    const Bytes plain = {30, 7, 0x3F, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    auto firstDouble = [&] {
        double v;
        std::memcpy(&v, msg().record.data() + 2, sizeof v);
        return v;
    };
    for (int swClass : {kSwUnknown, kSw21Or22, kSw20, kSwZephNav}) {
        state.targetSwClass = swClass;
        decode(lowWordFirst);
        EXPECT_EQ(firstDouble(), 1.0) << "class " << swClass;
    }
    for (int swClass : {kSw23OrHigher, kSwDrovana}) {
        state.targetSwClass = swClass;
        decode(plain);
        EXPECT_EQ(firstDouble(), 1.0) << "class " << swClass;
    }
}

TEST_F(Decoder, TimeTagsOnlyForNavigationAndTracker) {
    decode(PayloadWriter(2).fill(21).u16(1182).u32(4321).fill(13));
    ASSERT_TRUE(msg().timeTag.has_value());
    EXPECT_EQ(msg().timeTag->week, 1182);
    EXPECT_EQ(msg().timeTag->tow, 4321u);
    decode(PayloadWriter(4).u16(1183).u32(99).fill(181));
    ASSERT_TRUE(msg().timeTag.has_value());
    EXPECT_EQ(msg().timeTag->week, 1183);
    EXPECT_EQ(msg().timeTag->tow, 99u);
    decode(PayloadWriter(7).u16(1182).u32(1).fill(13));
    EXPECT_FALSE(msg().timeTag.has_value());
}

TEST_F(Decoder, OnlyTheCurrentSubRecordHoldsData) {
    decode(PayloadWriter(41).fill(90, 0xEE));
    decode(PayloadWriter(18).u8(1));
    EXPECT_EQ(msg().mid, 18);
    for (size_t i = 2; i < 200; ++i) {
        ASSERT_EQ(msg().record[i], 0) << "byte " << i;
    }
}

// A frame shorter than its layout must not show the bytes of an earlier, longer message.
TEST_F(Decoder, ShortFramesLeaveMissingFieldsZero) {
    decode(PayloadWriter(2).fill(40, 0x77));
    EXPECT_EQ(render(PayloadWriter(2).u32(1234)),
              "2,1234,0,0,0.000,0.000,0.000,0,0.0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
    decode(PayloadWriter(10).u16(2).u16(2).fill(8, 0x55));
    EXPECT_EQ(render(PayloadWriter(10).u16(2).u16(2).u32(9)), "Bad parity from SV 09, subframe 0");
    EXPECT_EQ(render(PayloadWriter(13).u8(2).u8(7).u16(45)),
              "Visible List\nSVID:07  Az:045  El:000\nSVID:00  Az:000  El:000\n");
    EXPECT_EQ(render(PayloadWriter(17).u16(2).u8(0xAA)), "17,AA00");
}

TEST_F(Decoder, CountsAreCapped) {
    PayloadWriter error(10);
    error.u16(777).u16(61);
    for (uint32_t k = 0; k < 61; ++k) {
        error.u32(k);
    }
    decode(error);
    EXPECT_EQ(value(msg().as<ErrorRecord>().count), 60);
    EXPECT_EQ(value(msg().as<ErrorRecord>().param[59]), 59u);

    // More than 32 satellites are taken as 33.
    PayloadWriter visible(13);
    visible.u8(40);
    for (uint32_t k = 1; k <= 40; ++k) {
        visible.u8(k).u16(k).u16(k);
    }
    const std::string text = render(visible);
    EXPECT_EQ(msg().as<VisibleListRecord>().count, 33);
    EXPECT_NE(text.find("SVID:33  Az:033  El:033\n"), std::string::npos);
    EXPECT_EQ(text.find("SVID:34"), std::string::npos);
}

TEST_F(Decoder, SoftwareVersionSetsTitleTextAndAutoDetectedClass) {
    struct Case {
        const char* text;
        int swClass;
    };
    state.autoDetect = true;
    for (const Case& c : {Case{"2.0.1", kSw20}, Case{"2.3", kSw21Or22}, Case{"2.1x", kSw21Or22},
                          Case{"231.000", kSw23OrHigher}, Case{"225", kSw21Or22}}) {
        state.targetSwClass = kSwUnknown;
        decode(PayloadWriter(6).text(c.text).u8(0));
        EXPECT_EQ(state.targetSwClass, c.swClass) << c.text;
        EXPECT_EQ(state.targetSwText, c.text);
    }
    EXPECT_EQ(events.titleRebuilds, 5);

    state.targetSwClass = kSwUnknown;
    decode(PayloadWriter(6).text("1.5").u8(0));
    EXPECT_EQ(state.targetSwClass, kSwUnknown);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0], "S/W for Nimbra I is not supported.");

    state.autoDetect = false;
    decode(PayloadWriter(6).text("231").u8(0));
    EXPECT_EQ(state.targetSwClass, kSwUnknown);
}

TEST_F(Decoder, SoftwareVersionTextLeavesOutTheLastByte) {
    decode(PayloadWriter(6).text("ABCDE"));
    EXPECT_EQ(state.targetSwText, "ABCD");
    decode(PayloadWriter(6).text(std::string(300, 'v')));
    EXPECT_EQ(state.targetSwText.size(), 254u);
    decode(Bytes{6});
    EXPECT_EQ(state.targetSwText, "");
}

TEST_F(Decoder, AlmanacSetCompletesOnlyAtSatellite32) {
    auto almanac = [](uint32_t svid) {
        PayloadWriter w(14);
        w.u8(svid);
        for (uint32_t k = 0; k < 14; ++k) {
            w.u16(svid * 100 + k);
        }
        return w;
    };
    decode(almanac(2));
    EXPECT_EQ(state.almanac[1][3], 203);
    decode(almanac(1)); // the start of a set clears the table
    EXPECT_EQ(state.almanac[1][3], 0);
    for (uint32_t svid = 2; svid <= 31; ++svid) {
        decode(almanac(svid));
    }
    EXPECT_EQ(events.almanacCompletions, 0);
    decode(almanac(32));
    EXPECT_EQ(events.almanacCompletions, 1);
    EXPECT_EQ(state.almanac[31][13], 3213);
    decode(almanac(33));
    EXPECT_EQ(events.almanacCompletions, 1);
}

TEST_F(Decoder, EphemerisWithInvalidSatelliteIsNotedInTheLog) {
    decode(PayloadWriter(15).u8(32).u16(77).fill(88));
    EXPECT_EQ(events.ephemerisCompletions, 1);
    EXPECT_EQ(state.ephemeris[31][0], 77);
    decode(PayloadWriter(15).u8(0).fill(90));
    decode(PayloadWriter(15).u8(33).fill(90));
    EXPECT_EQ(events.log, "Ephemeris Data contains invalid SVID\n"
                          "Ephemeris Data contains invalid SVID\n");
}

TEST_F(Decoder, OkToSendIsLoggedAndReleasesTheSerialPort) {
    FakeSource source;
    decode(PayloadWriter(18).u8(0), &source);
    decode(PayloadWriter(18).u8(5), &source);
    decode(PayloadWriter(18).u8(1)); // capture playback: no port to tell
    EXPECT_EQ(events.log, "OkToSend: FALSE\nOkToSend: TRUE\nOkToSend: TRUE\n");
    EXPECT_EQ(source.sendNow, (std::vector<bool>{false, true}));
}

TEST_F(Decoder, InitialisationFollowsTheAcknowledgedBaudChange) {
    FakeSource source;
    state.initAfterAck = true;
    decode(PayloadWriter(11).u8(132).u8(0), &source);
    EXPECT_EQ(source.initialisations, 0);
    decode(PayloadWriter(11).u8(134).u8(0)); // playback never sends
    EXPECT_EQ(source.initialisations, 0);
    decode(PayloadWriter(11).u8(134).u8(0), &source);
    EXPECT_EQ(source.initialisations, 1);
    EXPECT_FALSE(state.initAfterAck);
    decode(PayloadWriter(11).u8(134).u8(0), &source);
    EXPECT_EQ(source.initialisations, 1);
}

TEST_F(Decoder, CommandEchoIsTakenOnlyWhilePolled) {
    FakeSource source;
    const Bytes echo = PayloadWriter(43).u8(139).u16(50).u16(0xFFC4);
    decode(echo, &source);
    EXPECT_FALSE(source.polls.find(139)->arrived);

    source.polls.start(139);
    decode(echo, &source);
    const PollCountdown* poll = source.polls.find(139);
    ASSERT_TRUE(poll->arrived);
    int16_t navMask;
    std::memcpy(&navMask, poll->record.data() + 3, sizeof navMask);
    EXPECT_EQ(poll->record[0], 139);
    EXPECT_EQ(navMask, -60);

    // The record of MID 43 itself holds the echo in host order too.
    const auto params = msg().as<CommandParamsRecord>();
    EXPECT_EQ(params.echoedMid, 139);
    int16_t trackMask;
    std::memcpy(&trackMask, params.payload, sizeof trackMask);
    EXPECT_EQ(trackMask, 50);
}

TEST_F(Decoder, UnknownMessagesAreShownAndLoggedInHex) {
    decode(Bytes{16, 0x01, 0xAB});
    decode(Bytes{99});
    EXPECT_EQ(events.log, "Unk: 1001AB\nUnk: 63\n");
    EXPECT_EQ(events.shown, (std::vector<std::string>{"Unk: 1001AB\n", "Unk: 63\n"}));
    EXPECT_EQ(msg().mid, 99);
}

TEST_F(Decoder, NmeaArrivingIsRaisedOnceAndClearedByBinary) {
    const char gga[] = "$GPGGA,1\r\n";
    decoder.storeText(gga, sizeof gga - 1, msg());
    decoder.storeText(gga, sizeof gga - 1, msg());
    EXPECT_EQ(events.nmeaStarts, 1);
    EXPECT_TRUE(state.nmeaArriving);
    EXPECT_EQ(msg().mid, 255);
    EXPECT_EQ(msg().textView(), "$GPGGA,1");
    decode(PayloadWriter(18).u8(1));
    EXPECT_FALSE(state.nmeaArriving);
    decoder.storeText(gga, sizeof gga - 1, msg());
    EXPECT_EQ(events.nmeaStarts, 2);
}

TEST_F(Decoder, ViewTextsAreFiledWholeWithTheirCode) {
    decoder.storeViewText("Comm: Unknown char: 55", kLinkErrorCode, msg());
    EXPECT_EQ(msg().mid, 255);
    EXPECT_EQ(msg().textCode, kLinkErrorCode);
    EXPECT_EQ(msg().textView(), "Comm: Unknown char: 55");
    EXPECT_EQ(events.nmeaStarts, 0);
    decoder.storeViewText(std::string(2000, 'u'), 0, msg());
    EXPECT_EQ(msg().textView().size(), kTextBufferBytes - 1);
    EXPECT_EQ(msg().textCode, 0);
}

TEST_F(Decoder, DgpsStatusLayoutFollowsTheSourceType) {
    decode(PayloadWriter(27)
               .u8(3)
               .u32(304000)
               .u8(100)
               .u8(1)
               .u32(5000)
               .u16(0xFFD3)
               .u16(12)
               .u8(7)
               .u16(0xFF38)
               .fill(33));
    auto dgps = msg().as<DgpsStatusRecord>();
    EXPECT_EQ(value(dgps.beacon.frequency), 304000u);
    EXPECT_EQ(value(dgps.beacon.strength), -45);
    EXPECT_EQ(dgps.correction[0].svid, 7);
    EXPECT_EQ(value(dgps.correction[0].correction), -200);

    decode(PayloadWriter(27).u8(1).u8(9).fill(11).fill(2, 0xEE).u8(5).u16(300).fill(33));
    dgps = msg().as<DgpsStatusRecord>();
    EXPECT_EQ(dgps.age[0], 9);
    EXPECT_EQ(value(dgps.correction[0].correction), 300);
}

TEST_F(Decoder, SbasStatusFields) {
    decode(Bytes{50, 122, 1, 18, 0x08});
    const auto sbas = msg().as<SbasStatusRecord>();
    EXPECT_EQ(sbas.prn, 122);
    EXPECT_EQ(sbas.mode, 1);
    EXPECT_EQ(sbas.timeout, 18);
    EXPECT_EQ(sbas.flags, 0x08);
}

} // namespace
} // namespace zeph::monitor::testing
