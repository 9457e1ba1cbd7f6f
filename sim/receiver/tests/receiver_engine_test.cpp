#include "sim/receiver/receiver_engine.h"

#include "wire_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace zeph::sim::testing {
namespace {

using Strings = std::vector<std::string>;

// "MID 11", "GGA", "line 19200": what the client would see, in order.
Strings describe(const std::vector<Packet>& packets) {
    Strings out;
    for (const Packet& p : packets) {
        switch (p.kind) {
        case Packet::Kind::Frame:
            out.push_back("MID " + std::to_string(p.mid));
            break;
        case Packet::Kind::Sentence:
            out.push_back(p.type);
            break;
        case Packet::Kind::LineChange:
            out.push_back("line " + std::to_string(p.line.baud));
            break;
        }
    }
    return out;
}

// The payload of a frame packet, read back by the frame rules (checksum and tail checked).
Bytes payloadOf(const Packet& p) {
    const WireScan scan = scanWire(p.bytes);
    EXPECT_EQ(scan.payloads.size(), 1u);
    return scan.payloads.empty() ? Bytes{} : scan.payloads.front();
}

std::string fieldOf(const std::string& body, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        start = body.find(',', start) + 1;
    }
    return body.substr(start, body.find(',', start) - start);
}

InputMessage command(const Bytes& payload) {
    return {InputMessage::Kind::Frame, payload, {}};
}

InputMessage nmeaCommand(const std::string& body) {
    return {InputMessage::Kind::Sentence, {}, body};
}

Bytes setNmeaMode(std::initializer_list<uint8_t> rates, uint16_t baud) {
    PayloadWriter w(129);
    w.u8(2);
    size_t i = 0;
    for (uint8_t r : rates) {
        w.u8(r).u8(1);
        ++i;
    }
    for (; i < 10; ++i) {
        w.u8(0).u8(1);
    }
    return w.u16(baud);
}

class EngineTest : public ::testing::Test {
protected:
    // Runs the clock to `ms` and answers `message` there.
    std::vector<Packet> at(uint64_t ms, const InputMessage& message) {
        engine.advance(ms);
        return engine.receive(message, ms);
    }
    Strings answer(uint64_t ms, const Bytes& payload) { return describe(at(ms, command(payload))); }

    EngineConfig config;
    ReceiverEngine engine{config};
};

TEST_F(EngineTest, SendsTheNavigationSetOnEveryWholeSecond) {
    const Strings withDebug = {"MID 2",  "MID 4",  "MID 7",  "MID 9",
                               "MID 41", "MID 27", "MID 50", "MID 255"};
    const Strings plain(withDebug.begin(), withDebug.end() - 1);
    EXPECT_EQ(describe(engine.advance(0)), withDebug);
    EXPECT_EQ(engine.nextEventMs(), 1000u);
    EXPECT_TRUE(engine.advance(999).empty());
    EXPECT_EQ(describe(engine.advance(1000)), plain);
    // Debug text comes every fifth second.
    int debug = 0;
    for (uint64_t ms = 2000; ms <= 10000; ms += 1000) {
        const Strings got = describe(engine.advance(ms));
        debug += static_cast<int>(std::count(got.begin(), got.end(), "MID 255"));
    }
    EXPECT_EQ(debug, 2); // seconds 5 and 10
}

TEST_F(EngineTest, TracksEightToTwelveSatellitesAsTheSkyMoves) {
    for (uint64_t ms = 0; ms < 6 * 3600 * 1000; ms += 600 * 1000) {
        ReceiverEngine e(config);
        for (const Packet& p : e.advance(ms)) {
            if (p.mid != 4) {
                continue;
            }
            const Bytes payload = payloadOf(p);
            int tracked = 0;
            for (size_t ch = 0; ch < 12; ++ch) {
                tracked += payload[8 + 15 * ch] != 0;
            }
            EXPECT_GE(tracked, 8) << "at " << ms;
            EXPECT_LE(tracked, 12) << "at " << ms;
        }
    }
}

TEST(EngineOptionsTest, NavigationLibraryMessagesCarryDoublesInTheChosenOrder) {
    EngineConfig config;
    config.navLib = true;
    for (bool plain : {true, false}) {
        config.plainDoubles = plain;
        ReceiverEngine engine(config);
        const std::vector<Packet> out = engine.advance(0);
        const auto sv = std::find_if(out.begin(), out.end(), [](auto& p) { return p.mid == 30; });
        ASSERT_NE(sv, out.end());
        for (const int mid : {28, 29, 31}) {
            EXPECT_TRUE(std::any_of(out.begin(), out.end(),
                                    [mid](const Packet& p) { return p.mid == mid; }));
        }
        // MID 30 offset 2: the time of the state in seconds.
        const Bytes payload = payloadOf(*sv);
        uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) {
            const int from = plain ? 2 + k : (k < 4 ? 6 + k : k - 2); // low half first
            bits = bits << 8 | payload[static_cast<size_t>(from)];
        }
        EXPECT_DOUBLE_EQ(std::bit_cast<double>(bits), 432000.0) << "plain " << plain;
    }
}

TEST(EngineOptionsTest, DrovanaAddsTheDeadReckoningOutputAndBeaconTheCorrectionSource) {
    EngineConfig config;
    config.debugEverySeconds = 0;
    config.drovana = true;
    config.beacon = true;
    ReceiverEngine engine(config);
    const std::vector<Packet> out = engine.advance(0);
    EXPECT_EQ(describe(out), (Strings{"MID 2", "MID 4", "MID 7", "MID 9", "MID 41", "MID 48",
                                      "MID 48", "MID 48", "MID 48", "MID 27", "MID 50"}));
    Bytes subIds;
    for (const Packet& p : out) {
        if (p.mid == 48) {
            subIds.push_back(payloadOf(p)[1]);
        } else if (p.mid == 27) {
            EXPECT_EQ(payloadOf(p)[1], 3) << "the internal beacon";
        }
    }
    EXPECT_EQ(subIds, (Bytes{1, 2, 3, 8}));
}

TEST_F(EngineTest, AnswersPollsAfterAcknowledgingThem) {
    config.version = "231.000.000-TEST";
    ReceiverEngine e(config);
    e.advance(3000);
    const std::vector<Packet> version = e.receive(command({132, 0}), 3000);
    ASSERT_EQ(describe(version), (Strings{"MID 11", "MID 6"}));
    EXPECT_EQ(payloadOf(version[0]), (Bytes{11, 132, 0}));
    const Bytes text = payloadOf(version[1]);
    EXPECT_EQ(std::string(text.begin() + 1, text.end()), std::string("231.000.000-TEST") + '\0');

    EXPECT_EQ(describe(e.receive(command({144, 0}), 3000)), (Strings{"MID 11", "MID 7"}));
    EXPECT_EQ(describe(e.receive(command({152, 0}), 3000)), (Strings{"MID 11", "MID 19"}));

    const std::vector<Packet> almanac = e.receive(command({146, 0}), 3000);
    ASSERT_EQ(almanac.size(), 33u);
    for (uint8_t svid = 1; svid <= 32; ++svid) {
        const Bytes p = payloadOf(almanac[svid]);
        EXPECT_EQ(p[0], 14);
        EXPECT_EQ(p[1], svid);
    }
    EXPECT_EQ(e.receive(command({147, 0, 0}), 3000).size(), 33u);
    const std::vector<Packet> one = e.receive(command({147, 5, 0}), 3000);
    ASSERT_EQ(describe(one), (Strings{"MID 11", "MID 15"}));
    EXPECT_EQ(payloadOf(one[1])[1], 5);
}

// Set Almanac and Set Ephemeris replace what the polls report; the rest stays the model's.
TEST_F(EngineTest, TheCollectionsItIsGivenAreTheOnesItReports) {
    const auto poll = [&](const Bytes& p) {
        std::vector<Bytes> words;
        for (const Packet& packet : at(0, command(p))) {
            const Bytes payload = payloadOf(packet);
            if (payload[0] == 14 || payload[0] == 15) {
                words.emplace_back(payload.begin() + 2, payload.end());
            }
        }
        return words;
    };
    const std::vector<Bytes> almanac = poll({146, 0});
    const std::vector<Bytes> ephemeris = poll({147, 0, 0});
    ASSERT_EQ(almanac.size(), 32u);
    ASSERT_EQ(ephemeris.size(), 32u);
    // Ephemeris only for tracked satellites, its first word the satellite; none for the rest.
    EXPECT_EQ(ephemeris[1][1], 2);
    EXPECT_TRUE(
        std::all_of(ephemeris[0].begin(), ephemeris[0].end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(std::set<Bytes>(almanac.begin(), almanac.end()).size(), 32u);

    Bytes setAlmanac{130};
    for (int sv = 0; sv < 32; ++sv) {
        const Bytes& words = almanac[(sv + 1) % 32]; // every satellite takes its neighbour's
        setAlmanac.insert(setAlmanac.end(), words.begin(), words.end());
    }
    EXPECT_EQ(payloadOf(at(0, command(setAlmanac))[0]), (Bytes{11, 130, 0}));
    Bytes setEphemeris{149};
    setEphemeris.insert(setEphemeris.end(), ephemeris[1].begin(), ephemeris[1].end());
    setEphemeris[2] = 7; // satellite 2's record as satellite 7's
    EXPECT_EQ(payloadOf(at(0, command(setEphemeris))[0]), (Bytes{11, 149, 0}));
    const Bytes seventh(setEphemeris.begin() + 1, setEphemeris.end());
    setEphemeris[2] = 33;
    EXPECT_EQ(payloadOf(at(0, command(setEphemeris))[0]), (Bytes{12, 149, 0}));

    const std::vector<Bytes> almanacAfter = poll({146, 0});
    const std::vector<Bytes> ephemerisAfter = poll({147, 0, 0});
    EXPECT_EQ(almanacAfter[0], almanac[1]);
    EXPECT_EQ(almanacAfter[31], almanac[0]);
    EXPECT_EQ(ephemerisAfter[6], seventh);
    EXPECT_EQ(ephemerisAfter[1], ephemeris[1]);
}

TEST_F(EngineTest, AcknowledgesWhatItUnderstandsAndRejectsTheRest) {
    EXPECT_EQ(payloadOf(at(0, command({143, 1}))[0]), (Bytes{11, 143, 0}));
    EXPECT_EQ(payloadOf(at(0, command({135, 4}))[0]), (Bytes{11, 135, 0}));
    for (const uint8_t mid : Bytes{130, 131, 141, 142, 148, 160, 171, 5}) {
        const std::vector<Packet> out = at(0, command({mid, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        ASSERT_EQ(out.size(), 1u) << int{mid};
        EXPECT_EQ(payloadOf(out[0]), (Bytes{12, mid, 0}));
    }
    // The almanac goes in whole: MID 130 and 448 words.
    Bytes almanac(897, 0);
    almanac[0] = 130;
    EXPECT_EQ(payloadOf(at(0, command(almanac))[0]), (Bytes{11, 130, 0}));
    almanac.pop_back();
    EXPECT_EQ(payloadOf(at(0, command(almanac))[0]), (Bytes{12, 130, 0}));
    // Drovana commands are answered with their sub-ID.
    EXPECT_EQ(payloadOf(at(0, command({172, 2, 1}))[0]), (Bytes{11, 172, 2}));
    EXPECT_EQ(payloadOf(at(0, command({172, 9, 0}))[0]), (Bytes{12, 172, 9}));
    EXPECT_EQ(payloadOf(at(0, command({172, 1, 0, 0}))[0]), (Bytes{12, 172, 1})); // too short
    // A command shorter than its layout, or with values the port cannot take, is rejected.
    EXPECT_EQ(payloadOf(at(0, command({134, 0, 0, 0x4B}))[0]), (Bytes{12, 134, 0}));
    EXPECT_EQ(answer(0, PayloadWriter(134).u32(12345).u8(8).u8(1).u8(0).u8(0)),
              (Strings{"MID 12"}));
    EXPECT_EQ(engine.line().baud, 57600u);
}

TEST_F(EngineTest, CurrentSettingsPollEchoesDefaultsThenTheLastSetting) {
    const std::vector<Packet> before = at(0, command({168, 139, 0, 0, 0, 0}));
    ASSERT_EQ(describe(before), (Strings{"MID 11", "MID 43"}));
    EXPECT_EQ(payloadOf(before[0]), (Bytes{11, 168, 0}));
    EXPECT_EQ(payloadOf(before[1]), (Bytes{43, 139, 0, 50, 0, 75}));

    const Bytes elevation = PayloadWriter(139).u16(50).u16(static_cast<uint16_t>(-200));
    EXPECT_EQ(answer(0, elevation), (Strings{"MID 11"}));
    EXPECT_EQ(payloadOf(at(0, command({168, 139, 0, 0, 0, 0}))[1]),
              (Bytes{43, 139, 0, 50, 0xFF, 0x38}));

    // SBAS: four of its six bytes are reported.
    at(0, command({170, 125, 1, 0x08, 0, 0}));
    EXPECT_EQ(payloadOf(at(0, command({168, 170, 0, 0, 0, 0}))[1]), (Bytes{43, 170, 125, 1, 8}));
    // Low power: MID 151's parameters followed by those of MID 167.
    at(0, command(PayloadWriter(151).u16(0).u16(1000).u32(300)));
    at(0, command(PayloadWriter(167).u32(20000).u32(90000).u32(600).u16(1).u16(0).u32(0).u32(0)));
    const Bytes lowPower = payloadOf(at(0, command({168, 151, 0, 0, 0, 0}))[1]);
    const Bytes expected = PayloadWriter(43)
                               .u8(151)
                               .u16(0)
                               .u16(1000)
                               .u32(300)
                               .u8(167)
                               .u32(20000)
                               .u32(90000)
                               .u32(600)
                               .u16(1)
                               .u16(0)
                               .u32(0)
                               .u32(0);
    EXPECT_EQ(lowPower, expected);
    EXPECT_EQ(lowPower.size(), 35u);
    // A poll for a command without settings is rejected.
    EXPECT_EQ(answer(0, {168, 150, 0, 0, 0, 0}), (Strings{"MID 12"}));
}

// The acknowledgement goes out on the new line, where a client that follows at once hears it.
TEST_F(EngineTest, BaudChangeIsAcknowledgedOnTheNewLine) {
    const std::vector<Packet> out =
        at(0, command(PayloadWriter(134).u32(19200).u8(8).u8(1).u8(2).u8(0)));
    ASSERT_EQ(describe(out), (Strings{"line 19200", "MID 11"}));
    EXPECT_EQ(payloadOf(out[1]), (Bytes{11, 134, 0}));
    EXPECT_EQ(out[0].line, (LineFormat{19200, 8, 2, 1}));
    EXPECT_EQ(engine.line(), (LineFormat{19200, 8, 2, 1}));
    // The same settings again change nothing on the line.
    EXPECT_EQ(answer(0, PayloadWriter(134).u32(19200).u8(8).u8(1).u8(2).u8(0)),
              (Strings{"MID 11"}));
}

TEST_F(EngineTest, SetNmeaModeSwitchesToSentencesAtTheRequestedRates) {
    const std::vector<Packet> out = at(500, command(setNmeaMode({1, 0, 2, 5, 1, 3}, 4800)));
    ASSERT_EQ(describe(out), (Strings{"MID 11", "line 4800"}));
    EXPECT_EQ(engine.protocol(), Protocol::Nmea);

    std::map<std::string, int> counts;
    int gsvSets = 0;
    for (uint64_t ms = 1000; ms <= 10000; ms += 1000) {
        for (const Packet& p : engine.advance(ms)) {
            ASSERT_EQ(p.kind, Packet::Kind::Sentence);
            const WireScan scan = scanWire(p.bytes);
            ASSERT_EQ(scan.sentences.size(), 1u); // checksum and CR LF right
            ++counts[p.type];
            gsvSets +=
                scan.sentences[0].rfind("GPGSV,", 0) == 0 && fieldOf(scan.sentences[0], 2) == "1";
        }
    }
    EXPECT_EQ(counts["GGA"], 10);
    EXPECT_EQ(counts["GLL"], 0);
    EXPECT_EQ(counts["GSA"], 5); // seconds 2, 4, 6, 8, 10
    EXPECT_EQ(gsvSets, 2);       // seconds 5 and 10, each set of 3 sentences
    EXPECT_EQ(counts["GSV"], 6);
    EXPECT_EQ(counts["RMC"], 10);
    EXPECT_EQ(counts["VTG"], 3); // seconds 3, 6, 9
}

TEST_F(EngineTest, SetNmeaModeWithAnImpossibleRateIsRejected) {
    EXPECT_EQ(answer(0, setNmeaMode({1}, 1000)), (Strings{"MID 12"}));
    EXPECT_EQ(engine.protocol(), Protocol::Binary);
}

TEST_F(EngineTest, ProprietarySentencesSwitchBackToBinaryAndSetRates) {
    at(0, command(setNmeaMode({1, 0, 1, 1, 1, 0}, 4800)));
    // Binary commands mean nothing to a receiver speaking NMEA.
    EXPECT_TRUE(at(0, command({132, 0})).empty());

    EXPECT_TRUE(at(0, nmeaCommand("ZUVE103,03,00,00,01")).empty()); // GSV off
    EXPECT_TRUE(at(0, nmeaCommand("ZUVE103,05,00,02,01")).empty()); // VTG every 2 s
    EXPECT_EQ(engine.nmeaRate(3), 0);
    EXPECT_EQ(engine.nmeaRate(5), 2);
    EXPECT_EQ(describe(engine.advance(1000)), (Strings{"GGA", "GSA", "RMC"}));
    EXPECT_EQ(describe(engine.advance(2000)), (Strings{"GGA", "GSA", "RMC", "VTG"}));

    EXPECT_EQ(describe(at(2000, nmeaCommand("ZUVE100,1,9600,8,1,0"))), (Strings{"line 9600"}));
    EXPECT_EQ(engine.protocol(), Protocol::Nmea);

    EXPECT_EQ(describe(at(2000, nmeaCommand("ZUVE100,0,38400,8,1,0"))), (Strings{"line 38400"}));
    EXPECT_EQ(engine.protocol(), Protocol::Binary);
    EXPECT_EQ(describe(engine.advance(3000)).front(), "MID 2");
    // In binary the same sentence is ignored.
    const uint64_t ignoredBefore = engine.ignored();
    EXPECT_TRUE(at(3000, nmeaCommand("ZUVE100,1,4800,8,1,0")).empty());
    EXPECT_EQ(engine.ignored(), ignoredBefore + 1);
}

TEST_F(EngineTest, MalformedProprietarySentencesAreIgnored) {
    at(0, command(setNmeaMode({1, 0, 1, 1, 1, 0}, 4800)));
    for (const char* body :
         {"ZUVE100,0,12345,8,1,0", "ZUVE100,2,38400,8,1,0", "ZUVE100,0,38400",
          "ZUVE103,07,00,01,01", "ZUVE103,00,01,01,01", "ZUVE103,00,00,x,01", "GPGGA,1,2,3"}) {
        EXPECT_TRUE(at(0, nmeaCommand(body)).empty()) << body;
    }
    EXPECT_EQ(engine.protocol(), Protocol::Nmea);
    EXPECT_EQ(engine.line().baud, 4800u);
    EXPECT_EQ(engine.nmeaRate(0), 1);
}

TEST(LullTimesTest, DerivesOnAndOffTimesWithinAFewSeconds) {
    // 300 ms every 2 s (duty 150): 1.7 s off; the on time is at least a second.
    EXPECT_EQ(lullTimes(300, 150, 0).onMs, 1000u);
    EXPECT_EQ(lullTimes(300, 150, 0).offMs, 1700u);
    EXPECT_EQ(lullTimes(2000, 500, 0).offMs, 2000u);
    EXPECT_EQ(lullTimes(200, 10, 0).offMs, 5000u);    // 19.8 s capped
    EXPECT_EQ(lullTimes(200, 10, 1500).offMs, 1500u); // the maximum off time caps first
    EXPECT_EQ(lullTimes(700, 700, 0).offMs, 1000u);   // 0.3 s raised
    EXPECT_EQ(lullTimes(9000, 900, 0).onMs, 5000u);
}

TEST_F(EngineTest, LullcycleBracketsEachOffTimeWithOkToSend) {
    const Bytes lull = PayloadWriter(151).u16(0).u16(150).u32(300); // 1 s on, 1.7 s off
    EXPECT_EQ(answer(500, lull), (Strings{"MID 11"}));
    EXPECT_TRUE(engine.cycling());

    // Step the clock in 100 ms and note when each thing goes out.
    std::vector<std::pair<uint64_t, std::string>> events;
    for (uint64_t ms = 600; ms <= 6500; ms += 100) {
        for (const Packet& p : engine.advance(ms)) {
            std::string what = "MID " + std::to_string(p.mid);
            if (p.mid == 18) {
                what += payloadOf(p)[1] != 0 ? " TRUE" : " FALSE";
            }
            if (p.mid == 18 || p.mid == 2) {
                events.emplace_back(ms, what);
            }
        }
        if (ms == 2000) { // asleep: commands go unheard
            EXPECT_TRUE(engine.asleep());
            EXPECT_TRUE(engine.receive(command({132, 0}), ms).empty());
        }
    }
    const std::vector<std::pair<uint64_t, std::string>> expected = {
        {1000, "MID 2"},        // awake from 0.5 s to 1.5 s
        {1500, "MID 18 FALSE"}, // asleep to 3.2 s: seconds 2 and 3 are skipped
        {3200, "MID 18 TRUE"},  {4000, "MID 2"}, {4200, "MID 18 FALSE"},
        {5900, "MID 18 TRUE"},  {6000, "MID 2"}};
    EXPECT_EQ(events, expected);

    // Continuous operation again ends the cycle.
    EXPECT_EQ(answer(6500, PayloadWriter(151).u16(0).u16(1000).u32(300)), (Strings{"MID 11"}));
    EXPECT_FALSE(engine.cycling());
}

TEST_F(EngineTest, WakeOnDemandDoesNotCycle) {
    at(0, command(PayloadWriter(151).u16(1).u16(10).u32(300)));
    EXPECT_FALSE(engine.cycling());
}

TEST_F(EngineTest, MessageRateCommandSchedulesOrSendsAtOnce) {
    EXPECT_EQ(answer(0, {166, 0, 13, 2, 0, 0, 0, 0}), (Strings{"MID 11"}));
    EXPECT_EQ(answer(0, {166, 0, 9, 0, 0, 0, 0, 0}), (Strings{"MID 11"}));
    const Strings second1 = describe(engine.advance(1000));
    const Strings second2 = describe(engine.advance(2000));
    EXPECT_EQ(std::count(second1.begin(), second1.end(), "MID 13"), 0);
    EXPECT_EQ(std::count(second2.begin(), second2.end(), "MID 13"), 1);
    EXPECT_EQ(std::count(second2.begin(), second2.end(), "MID 9"), 0);

    EXPECT_EQ(answer(2000, {166, 1, 5, 0, 0, 0, 0, 0}), (Strings{"MID 11", "MID 5"}));
    EXPECT_EQ(answer(2000, {166, 0, 99, 1, 0, 0, 0, 0}), (Strings{"MID 12"}));
}

TEST_F(EngineTest, FactoryResetReturnsToBinaryAt38400) {
    at(0, command(setNmeaMode({1}, 4800)));
    at(0, nmeaCommand("ZUVE100,0,9600,8,1,0"));
    Bytes init(25, 0);
    init[0] = 128;
    init[24] = 0x80 | 0x10 | 8; // factory reset with navigation-library data
    EXPECT_EQ(answer(0, init), (Strings{"line 38400", "MID 11"}));
    const Strings next = describe(engine.advance(1000));
    EXPECT_NE(std::find(next.begin(), next.end(), "MID 28"), next.end());
}

TEST_F(EngineTest, UartConfigurationMovesTheClientsPort) {
    PayloadWriter w(165);
    w.u8(0).u8(1).u8(1).u32(4800).u8(8).u8(1).u8(0).u8(0).u8(0);  // UART 0: NMEA
    w.u8(1).u8(0).u8(0).u32(38400).u8(8).u8(1).u8(0).u8(0).u8(0); // UART 1
    for (int k = 0; k < 2; ++k) {
        w.u8(0xFF).u8(5).u8(5).u32(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    }
    EXPECT_EQ(answer(0, w), (Strings{"MID 11", "line 4800"}));
    EXPECT_EQ(engine.protocol(), Protocol::Nmea);
}

TEST(EngineStartTest, StartsInNmeaWhenAsked) {
    EngineConfig config;
    config.protocol = Protocol::Nmea;
    ReceiverEngine engine(config);
    const Strings first = describe(engine.advance(0));
    EXPECT_EQ(first.front(), "GGA");
    const auto gsv = std::count(first.begin(), first.end(), "GSV"); // 8 to 12 satellites
    EXPECT_GE(gsv, 2);
    EXPECT_LE(gsv, 3);
}

} // namespace
} // namespace zeph::sim::testing

namespace zeph::sim::testing {
namespace {

TEST(OpenSkyTest, EightToTwelveSatellitesUpThroughAWholeOrbit) {
    std::set<int> risen, set;
    std::set<int> previous;
    for (uint32_t second = 0; second < 13000; second += 5) {
        const ReceiverSnapshot s = openSkySnapshotAt(second);
        ASSERT_GE(s.satellites.size(), 8u) << second;
        ASSERT_LE(s.satellites.size(), 12u) << second;
        std::set<int> now;
        for (const Satellite& sat : s.satellites) {
            now.insert(sat.prn);
            EXPECT_GT(sat.elevation, 0.0);
            EXPECT_LE(sat.elevation, 90.0);
        }
        for (int prn : now) {
            if (second != 0 && previous.count(prn) == 0) {
                risen.insert(prn);
            }
        }
        for (int prn : previous) {
            if (now.count(prn) == 0) {
                set.insert(prn);
            }
        }
        previous = now;
    }
    EXPECT_EQ(risen.size(), 12u); // every satellite rises and sets in one orbit
    EXPECT_EQ(set.size(), 12u);
    EXPECT_EQ(openSkySnapshotAt(77).towMs, snapshotAt(77).towMs) << "the capture model's time";
}

// Metres north and east of 37.4 N 122.1 W, from the fix's latitude and longitude.
std::pair<double, double> offsetOf(const ReceiverSnapshot& s) {
    constexpr double kMetresPerDegree = 111194.9; // on a sphere of the earth's mean radius
    return {(s.latitude - 37.4) * kMetresPerDegree,
            (s.longitude + 122.1) * kMetresPerDegree * std::cos(37.4 * 3.14159265358979 / 180)};
}

TEST(OpenSkyTest, TheReceiverDrivesRoundItsCircle) {
    std::set<int> quadrants;
    for (uint32_t second = 0; second < 90; ++second) {
        const ReceiverSnapshot s = openSkySnapshotAt(second);
        const auto [north, east] = offsetOf(s);
        const double distance = std::hypot(north, east);
        EXPECT_GT(distance, 16.0) << second;
        EXPECT_LT(distance, 24.0) << second;
        quadrants.insert((north > 0) * 2 + (east > 0));
        // Moving along the circle: the velocity is square to the way out from the centre.
        const double speed = std::hypot(s.velocity[0], s.velocity[1], s.velocity[2]) / 8;
        EXPECT_NEAR(speed, 1.4, 0.1) << second;
    }
    EXPECT_EQ(quadrants.size(), 4u) << "once round in 90 s";
}

// Course and speed in RMC and VTG follow the drive: a quarter turn ahead of the way out from
// the centre, at 20 m x 2 pi / 90 s = 1.40 m/s (2.72 knots, 5.03 km/h).
TEST(OpenSkyTest, SentencesReportTheCourseAndSpeedOfTheDrive) {
    auto fields = [](const std::string& body) {
        Strings out(1);
        for (const char c : body) {
            if (c == ',') {
                out.emplace_back();
            } else {
                out.back().push_back(c);
            }
        }
        return out;
    };
    std::set<std::string> courses;
    for (const uint32_t second : {0u, 10u, 22u, 45u, 67u, 80u, 89u}) {
        const ReceiverSnapshot s = openSkySnapshotAt(second);
        const Strings rmc = fields(rmcBody(s));
        const Strings vtg = fields(vtgBody(s));
        ASSERT_EQ(rmc.size(), 12u) << rmcBody(s);
        ASSERT_EQ(vtg.size(), 9u) << vtgBody(s);
        const double expected = std::fmod(360.0 * second / 90 + 90, 360);
        const double course = std::stod(rmc[8]);
        const double off = std::fmod(course - expected + 540, 360) - 180;
        EXPECT_LT(std::abs(off), 6.0) << second << ": " << rmc[8]; // velocity kept in 1/8 m/s
        EXPECT_GE(course, 0.0);
        EXPECT_LT(course, 360.0);
        EXPECT_NEAR(std::stod(rmc[7]), 2.72, 0.15) << second;
        EXPECT_EQ(vtg[1], rmc[8]) << second;
        EXPECT_EQ(vtg[5], rmc[7]) << second;
        EXPECT_NEAR(std::stod(vtg[7]), std::stod(rmc[7]) * 1.852, 0.15) << second;
        courses.insert(rmc[8]);
    }
    EXPECT_EQ(courses.size(), 7u) << "the course turns with the drive";
}

// The tracker and navigation messages' fields as the views read them.
TEST(OpenSkyTest, TrackerAndFixShowEveryKindOfSatellite) {
    const ReceiverSnapshot s = openSkySnapshotAt(300);
    const Bytes nav = navigationMessage(s, 2);
    const Bytes track = trackerMessage(s, 4);
    const uint8_t mode1 = nav[19];
    EXPECT_EQ(mode1 & 0x80, 0x80) << "DGPS-corrected";
    const std::set<int> used(nav.begin() + 29, nav.begin() + 29 + nav[28]);
    int usedCount = 0, trackedOnly = 0, silent = 0, lost = 0, sbas = 0;
    for (size_t ch = 0; ch < 12; ++ch) {
        const size_t at = 8 + ch * 15;
        const int prn = track[at];
        const int state = track[at + 3] << 8 | track[at + 4];
        const bool quiet = std::all_of(track.begin() + at + 5, track.begin() + at + 15,
                                       [](uint8_t c) { return c == 0; });
        if (prn == 0) {
            continue;
        }
        if (used.count(prn) != 0) {
            ++usedCount;
        } else if (quiet) {
            ++silent;
        } else if ((state & 0x0100) != 0) {
            ++lost;
        } else if (prn > 32) {
            ++sbas;
        } else {
            ++trackedOnly;
        }
    }
    EXPECT_GE(usedCount, 4);
    EXPECT_EQ(trackedOnly, 1);
    EXPECT_EQ(silent, 1);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(sbas, 1);
    EXPECT_EQ(track[8 + 11 * 15], 138) << "the SBAS satellite on the last channel";
}

} // namespace
} // namespace zeph::sim::testing
