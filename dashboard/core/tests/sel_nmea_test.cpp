#include "dashboard/core/sel_nmea.h"

#include "dashboard/core/tests/fakes.h"

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

using testing::FakePort;
using testing::RecordingPrompter;

TEST(SelNmeaCommands, ChecksumIsTwoUppercaseDigitsBetweenDollarAndStar) {
    EXPECT_EQ(NMEA_Checksum("$ZUVE100,1,9600,8,1,0*"), "06") << "leading zero below 16";
    EXPECT_EQ(NMEA_Checksum("$ZUVE103,02,00,00,01*"), "2D");
    EXPECT_EQ(NMEA_Checksum("$A*"), "41");
}

TEST(SelNmeaCommands, OnOffAndSpeedCommandsByteForByte) {
    EXPECT_EQ(sentenceOnCommand(NmeaSentence::GGA, 0), "$ZUVE103,00,00,01,01*2E");
    EXPECT_EQ(sentenceOnCommand(NmeaSentence::GLL, 8), "$ZUVE103,01,00,09,01*27");
    EXPECT_EQ(sentenceOffCommand(NmeaSentence::GSA), "$ZUVE103,02,00,00,01*2D");
    EXPECT_EQ(sentenceOffCommand(NmeaSentence::RMC), "$ZUVE103,04,00,00,01*2B");
    EXPECT_EQ(sentenceOffCommand(NmeaSentence::VTG), "$ZUVE103,05,00,00,01*2A");
    const std::string vtg = sentenceOffCommand(NmeaSentence::VTG);
    EXPECT_EQ(vtg.substr(vtg.size() - 2), NMEA_Checksum(vtg.substr(0, vtg.size() - 2)))
        << "the held constant carries the checksum the rule gives";
    EXPECT_EQ(baudCommand("9600"), "$ZUVE100,1,9600,8,1,0*06");
    EXPECT_EQ(baudCommand("38400"), "$ZUVE100,1,38400,8,1,0*36");
}

TEST(SelNmeaCommands, RateItems) {
    const auto items = rateItems();
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0], " 1 second");
    EXPECT_EQ(items[8], " 9 second");
}

struct SelFixture : ::testing::Test {
    SelFixture() {
        SettingsRecord r = SettingsRecord::firstStart();
        r.port = 6;
        SettingsRecord::setText(r.speed, "19200");
        sel.load(r);
    }
    FakePort port;
    RecordingPrompter prompter;
    SelNmeaCore sel{port, prompter};
};

TEST_F(SelFixture, SendWritesTheCommandWithItsLineEndAndClosesThePort) {
    EXPECT_EQ(port.port, 6);
    EXPECT_EQ(port.settings, "19200,n,8,1");
    sel.chooseRate(NmeaSentence::GSV, 4);
    ASSERT_TRUE(sel.send(NmeaSentence::GSV));
    sel.setEnabled(NmeaSentence::GSA, false);
    EXPECT_FALSE(sel.rateListEnabled(NmeaSentence::GSA));
    ASSERT_TRUE(sel.send(NmeaSentence::GSA));
    sel.chooseBaud(1);
    ASSERT_TRUE(sel.sendBaudRate());
    const std::vector<std::string> expected = {"$ZUVE103,03,00,05,01*29\r\n",
                                               "$ZUVE103,02,00,00,01*2D\r\n",
                                               "$ZUVE100,1,9600,8,1,0*06\r\n"};
    EXPECT_EQ(port.written, expected);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(SelFixture, ABusyPortSendsNothing) {
    port.busy = true;
    EXPECT_FALSE(sel.send(NmeaSentence::RMC));
    EXPECT_FALSE(sel.sendBaudRate());
    EXPECT_TRUE(port.written.empty());
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[0], "The COM is used!");
    EXPECT_EQ(prompter.icons[0], Prompter::Icon::Error);
}

} // namespace
} // namespace zeph::dashboard
