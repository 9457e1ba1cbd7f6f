#include "dashboard/core/display_texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeph::dashboard {
namespace {

TEST(PositionTexts, DegreesMinutesAndSeconds) {
    struct Case {
        const char* text;
        bool latitude;
        std::optional<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"2446.1234       N", true, "  24*  46'  7.404\"  N"},
        {"12100.5678     E", false, "121*  00'  34.068\"  E"},
        {"0100.0000       S", true, "  01*  00'  0\"  S"},
        {"00959.9999     W", false, "009*  59'  59.994\"  W"},
        // Five decimals of minutes are read as four: the seconds come out wrong, as they do.
        {"4717.11399       N", true, "  47*  17'  68.394\"  N"},
        {"4717       N", true, std::nullopt},
        {".5       N", true, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.latitude ? latitudeDms(c.text) : longitudeDms(c.text), c.shown) << c.text;
    }
}

TEST(PositionTexts, FormatSwitchAndMissingPosition) {
    ReceiverState s;
    s.AltitudeText = "35.0";
    PositionCore position;
    EXPECT_EQ(position.timerMs(), 0);
    position.activate();
    EXPECT_EQ(position.timerMs(), 1000);
    position.tick(s);
    EXPECT_EQ(position.latitude(), "") << "no position yet: only the altitude";
    EXPECT_EQ(position.altitude(), "35.0  meters");

    s.LatitudeText = "2446.1234       N";
    s.LongitudeText = "12100.5678     E";
    position.tick(s);
    EXPECT_EQ(position.latitude(), "  24*  46'  7.404\"  N");
    position.FormatComm();
    position.tick(s);
    EXPECT_EQ(position.latitude(), "2446.1234       N");
    EXPECT_EQ(position.longitude(), "12100.5678     E");

    s.LongitudeText.clear();
    s.LatitudeText = "0000.0000       S";
    s.AltitudeText = "";
    position.tick(s);
    EXPECT_EQ(position.latitude(), "2446.1234       N") << "one text empty: both kept";
    EXPECT_EQ(position.altitude(), "  meters");
    position.deactivate();
    EXPECT_EQ(position.timerMs(), 0);
}

TEST(PrecisionTexts, ShowTheDilutionTextsAsTheyAre) {
    ReceiverState s;
    s.PdopText = "2.1";
    s.HdopText = "";
    s.VdopText = "1.6";
    PrecisionCore precision;
    precision.activate();
    precision.tick(s);
    EXPECT_EQ(precision.pdop() + "|" + precision.hdop() + "|" + precision.vdop(), "2.1||1.6");
}

TEST(StatusTexts, SentenceKindsInTheOrderFirstSeen) {
    struct Case {
        const char* what;
        std::vector<std::string> logs; // RxLog at each tick
        std::string shown;
        int count;
        int timerMs;
    };
    const std::vector<Case> cases = {
        {"four kinds",
         {"$GPGGA,1*00\r\n$GPGSA,2*00\r\n$GPGSV,3*00\r\n$GPRMC,4*00\r\n"},
         "GGAGSAGSVRMC",
         4,
         1000},
        {"repeats, other kinds and other talkers",
         {"$GPRMC,1\r\n$GPZDA,2\r\n$GPRMC,3\r\n$GLGSV,4\r\n", "$GNGGA,5\r\n$GPRMC,6\r\n$GP"},
         "RMCGGA",
         2,
         1000},
        {"seven kinds fill the list and stop it",
         {"$GPGLL$GPGGA$GPGSA$GPGSV", "$GPMSS$GPRMC$GPVTG$GPGLL"},
         "GLLGGAGSAGSVMSSRMCVTG",
         6,
         0},
    };
    for (const Case& c : cases) {
        ReceiverState s;
        StatusCore status;
        status.activate();
        for (const std::string& log : c.logs) {
            s.RxLog = log;
            status.tick(s);
            EXPECT_EQ(s.RxLog, "") << c.what << ": the log is consumed";
        }
        EXPECT_EQ(status.messages(), c.shown) << c.what;
        EXPECT_EQ(status.count(), c.count) << c.what;
        EXPECT_EQ(status.timerMs(), c.timerMs) << c.what;
    }
}

TEST(StatusTexts, FixStatusQualityAndActivation) {
    ReceiverState s;
    StatusCore status;
    status.activate();
    const std::vector<std::pair<int16_t, std::string>> qualities = {
        {0, " Fix not available or invalid"},
        {1, " GPS SPS Mode,fix valid"},
        {2, " Differential GPS,SPS Mode,fix valid"},
        {3, " GPS PPS Mode,fix valid"},
        {6, " GPS PPS Mode,fix valid"}, // other values leave it as it was
    };
    for (const auto& [quality, text] : qualities) {
        s.FixQuality = quality;
        status.tick(s);
        EXPECT_EQ(status.fixIndicator(), text) << quality;
    }
    s.FixStatusText = "Data not Valid";
    s.RxLog = "$GPRMC";
    status.tick(s);
    EXPECT_EQ(status.status(), "Data not Valid");
    status.activate();
    EXPECT_EQ(status.messages(), "") << "activation empties the list";
    EXPECT_EQ(status.count(), 0);
}

TEST(TimeTexts, DateAndTimeAreShownOncePerSentence) {
    struct Case {
        std::string date, utc;
        std::string dateShown, timeShown;
        std::string dateLeft, utcLeft;
    };
    const std::vector<Case> cases = {
        {"230394", "123519.000", "23.03.2094    (d.m.y)", "12(h) 35(m) 19(s)", "94", "19.000"},
        {"091202", "092725.00", "09.12.2002    (d.m.y)", "09(h) 27(m) 25(s)", "02", "25.00"},
        {"030208", "171807", "03.02.2008    (d.m.y)", "17(h) 18(m) 07(s)", "08", "07"},
        {"", "", "", "", "", ""},
        {"23039", "12351.000", "", "", "23039", "12351.000"},
    };
    for (const Case& c : cases) {
        ReceiverState s;
        s.DateText = c.date;
        s.UtcTime = c.utc;
        TimeCore time;
        time.shown();
        EXPECT_EQ(time.timerMs(), 1000);
        time.tick(s);
        EXPECT_EQ(time.date(), c.dateShown) << c.date;
        EXPECT_EQ(time.time(), c.timeShown) << c.utc;
        EXPECT_EQ(s.DateText, c.dateLeft) << c.date;
        EXPECT_EQ(s.UtcTime, c.utcLeft) << c.utc;
        time.tick(s);
        EXPECT_EQ(time.date() + time.time(), c.dateShown + c.timeShown) << "shown once";
    }
}

TEST(TerminalTexts, ReceivedTextIsAppendedOnEveryReceiveTick) {
    ReceiverState s;
    TerminalCore term;
    term.ActComm();
    EXPECT_EQ(term.actTimerMs(), 20);
    EXPECT_EQ(term.cartoonTimerMs(), 100);
    EXPECT_FALSE(term.actionEnabled());
    EXPECT_FALSE(term.clearEnabled());

    s.RxBuffer = "$GPRMC,1\r\n";
    term.actTick(s);
    EXPECT_EQ(term.displayText(), "") << "nothing new since the last receive tick";
    s.NewDataFlag = true;
    term.actTick(s);
    EXPECT_FALSE(s.NewDataFlag);
    s.NewDataFlag = true;
    term.actTick(s);
    EXPECT_EQ(term.displayText(), "$GPRMC,1\r\n$GPRMC,1\r\n") << "the buffer is not consumed here";

    s.RxBuffer = std::string(kTermTextLimit, 'x');
    s.NewDataFlag = true;
    term.actTick(s);
    EXPECT_EQ(term.displayText(), "") << "over 10000 characters everything is emptied";
    EXPECT_EQ(s.RxBuffer, "");

    s.RxBuffer = "abc";
    s.NewDataFlag = true;
    term.actTick(s);
    term.ClearComm();
    EXPECT_EQ(term.displayText(), "");
}

TEST(TerminalTexts, ArrowsGrowToTwelveAndStartAgain) {
    TerminalCore term;
    term.ActComm();
    std::vector<std::string> shown;
    for (int i = 0; i < 14; ++i) {
        term.cartoonTick();
        shown.push_back(term.statusText());
    }
    EXPECT_EQ(shown[0], ">Receive");
    EXPECT_EQ(shown[1], ">>Receive");
    EXPECT_EQ(shown[11], std::string(12, '>') + "Receive");
    EXPECT_EQ(shown[12], ">Receive");
    EXPECT_EQ(shown[13], ">>Receive");
}

TEST(TerminalTexts, StopDeactivationAndClose) {
    TerminalCore term;
    term.setVisible(true);
    term.ActComm();
    term.deactivate();
    EXPECT_EQ(term.statusText(), "No Action !");
    EXPECT_EQ(term.actTimerMs() + term.cartoonTimerMs(), 0);
    EXPECT_FALSE(term.actionEnabled()) << "only Stop gives the buttons back";
    term.ActComm();
    term.StopComm();
    EXPECT_EQ(term.actTimerMs() + term.cartoonTimerMs(), 0);
    EXPECT_TRUE(term.actionEnabled());
    EXPECT_TRUE(term.clearEnabled());
    term.ActComm();
    term.CloseComm();
    EXPECT_FALSE(term.visible());
    EXPECT_EQ(term.actTimerMs() + term.cartoonTimerMs(), 0);
}

} // namespace
} // namespace zeph::dashboard
