// The Signal view's strips: geometry, texts, sample placement, the scroll-and-plot of one cycle,
// blanking, and the rule that tracker data is drawn by the next navigation message.

#include "monitor/views/signal_plot.h"

#include "monitor/views/satellite_colours.h"
#include "monitor/views/testing/message_maker.h"
#include "monitor/views/testing/plot_messages.h"

#include <gtest/gtest.h>

namespace zeph::monitor::testing {
namespace {

// A 560 x 420 client: rows of 32 pixels, strips 27 high, samples 6 apart.
constexpr int kWidth = 560;
constexpr int kHeight = 420;

TEST(SignalGeometry, StripsFollowTheClientSize) {
    const struct {
        int channel, width, height;
        StripGeometry expected;
    } rows[] = {
        {0, kWidth, kHeight, {5, 210, 30, 57, 27, 6, 61, 302, 241}},
        {11, kWidth, kHeight, {5, 210, 382, 409, 27, 6, 61, 302, 241}},
        {3, 800, 630, {5, 210, 180, 225, 45, 11, 111, 552, 441}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(stripGeometry(r.channel, r.width, r.height), r.expected) << r.channel;
    }
    EXPECT_TRUE(stripGeometry(0, kWidth, kHeight).drawable());
    EXPECT_FALSE(stripGeometry(0, 280, kHeight).drawable()) << "no room for a sample step";
    EXPECT_FALSE(stripGeometry(0, kWidth, 90).drawable()) << "rows of 5 leave no strip";
    StripGeometry tiny = stripGeometry(0, 280, 90);
    ChannelStrip strip;
    EXPECT_TRUE(strip.layout(tiny).graph.empty());
    EXPECT_TRUE(strip.draw(TrackChannel{}, 0, kTrackedBlue).graph.empty());
}

TEST(SignalGeometry, HeaderNamesColumnsAndCycles) {
    const PlotOps ops = signalHeader(stripGeometry(0, kWidth, kHeight));
    const struct {
        int x;
        const char* text;
    } labels[] = {{5, "SV"},     {46, "St"},        {87, "Az"},  {128, "El"},
                  {169, "C/No"}, {210, "-5 cycle"}, {270, "-4"}, {330, "-3"},
                  {390, "-2"},   {450, "-1"},       {511, "0"}};
    ASSERT_EQ(ops.size(), std::size(labels));
    for (size_t k = 0; k < ops.size(); ++k) {
        EXPECT_EQ(ops[k].text, labels[k].text);
        EXPECT_EQ(ops[k].x1, labels[k].x) << labels[k].text;
        EXPECT_EQ(ops[k].y1, 10) << "20 pixels above the first strip";
    }
    EXPECT_EQ(ops.back().align, TextAlign::TopRight) << "0 ends at the graph's right edge";
}

TEST(SignalTexts, FieldsAndFormats) {
    const struct {
        TrackChannel channel;
        uint8_t average;
        std::array<std::string, 5> expected;
    } rows[] = {
        {{7, 100, 91, 0xBF, {}},
         41,
         {"  7       ", "BF       ", "150       ", "45        ", "41 "}},
        {{138, 1, 1, 0x1BF, {}},
         5,
         {"138       ", "1BF       ", "1         ", "0         ", "05 "}},
        {{0, 0, 0, 0, {}}, 0, {"  0       ", "00       ", "0         ", "0         ", "00 "}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(channelTexts(r.channel, r.average), r.expected) << int(r.channel.svid);
    }
}

TEST(SignalSamples, PlacementInTheNewestBox) {
    const StripGeometry g = stripGeometry(0, kWidth, kHeight); // height 27, step 6
    EXPECT_EQ(sampleX(g, 0), 243);
    EXPECT_EQ(sampleX(g, 9), 297);
    const struct { int cno, y; } rows[] = {{50, 1}, {15, 24}, {32, 13}, {0, 33}, {255, -133}};
    for (const auto& r : rows) {
        EXPECT_EQ(sampleY(g, r.cno), r.y) << r.cno << " dB-Hz";
    }
}

TEST(SignalStrip, OneCycleScrollsAndPlotsTenBars) {
    ChannelStrip strip;
    const StripGeometry g = stripGeometry(0, kWidth, kHeight);
    const ChannelStrip::Drawing laid = strip.layout(g);
    ASSERT_EQ(laid.graph.size(), 6u) << "background and five boxes";
    EXPECT_EQ(laid.graph[0], PlotOp::fillBox(0, 0, 302, 27, kWhite));
    EXPECT_EQ(laid.graph[1], PlotOp::rect(0, 0, 61, 27, kBlack));
    EXPECT_EQ(laid.graph[5], PlotOp::rect(240, 0, 301, 27, kBlack));
    ASSERT_EQ(laid.window.size(), 2u);
    EXPECT_EQ(laid.window[0].text, "50");
    EXPECT_EQ(laid.window[0].font, (PlotFont{"Arial", 9, 400}));
    EXPECT_EQ(laid.window[1].text, "15");
    EXPECT_EQ(laid.window[1].x1, 514) << "the scale lies right of the graph";

    TrackChannel ch{9, 10, 20, 0xBF, {50, 15, 32, 0, 40, 40, 40, 40, 40, 40}};
    const ChannelStrip::Drawing d = strip.draw(ch, 40, kUsedGreen);
    ASSERT_EQ(d.window.size(), 5u);
    EXPECT_EQ(d.window[0], PlotOp::opaqueLabel(5, 43, "  9       ", kUsedGreen, kWhite, {},
                                               TextAlign::MiddleLeft));
    ASSERT_EQ(d.graph.size(), 12u);
    EXPECT_EQ(d.graph[0], PlotOp::copy(PlotSource::Own, 61, 0, 302, 27, 1, 0));
    EXPECT_EQ(d.graph[1], PlotOp::filledRect(240, 0, 301, 27, kBlack, kWhite));
    EXPECT_EQ(d.graph[2], PlotOp::line(243, 24, 243, 1, kUsedGreen));
    EXPECT_EQ(d.graph[3], PlotOp::line(249, 24, 249, 24, kUsedGreen));
    EXPECT_EQ(d.graph[5], PlotOp::line(261, 24, 261, 33, kUsedGreen)) << "0 dB-Hz dips below";
}

TEST(SignalStrip, LineGraphCarriesThePreviousSampleOver) {
    ChannelStrip strip;
    strip.setGraphType(kGraphLine);
    strip.layout(stripGeometry(0, kWidth, kHeight));
    const TrackChannel high{9, 10, 20, 0xBF, {50, 50, 50, 50, 50, 50, 50, 50, 50, 50}};
    const ChannelStrip::Drawing first = strip.draw(high, 50, kTrackedBlue);
    EXPECT_EQ(first.graph[2], PlotOp::line(237, 24, 243, 1, kTrackedBlue))
        << "after a layout the line starts at the baseline";
    EXPECT_EQ(first.graph[3], PlotOp::line(243, 1, 249, 1, kTrackedBlue));
    const TrackChannel low{9, 10, 20, 0xBF, {15, 15, 15, 15, 15, 15, 15, 15, 15, 15}};
    EXPECT_EQ(strip.draw(low, 15, kTrackedBlue).graph[2],
              PlotOp::line(237, 1, 243, 24, kTrackedBlue))
        << "from the last sample of the cycle before, now one box to the left";
}

TEST(SignalStrip, BlankingScrollsFiveEmptyCyclesInWhite) {
    ChannelStrip strip;
    strip.layout(stripGeometry(2, kWidth, kHeight));
    const ChannelStrip::Drawing d = strip.blank();
    int copies = 0;
    for (const PlotOp& op : d.graph) {
        copies += op.kind == PlotOp::Kind::Copy;
        if (op.kind == PlotOp::Kind::Line) {
            EXPECT_EQ(op.pen, kWhite);
        }
    }
    EXPECT_EQ(copies, 5);
    ASSERT_EQ(d.window.size(), 5u);
    for (const PlotOp& op : d.window) {
        EXPECT_EQ(op.pen, kWhite);
    }
}

class SignalPlotTest : public ::testing::Test {
protected:
    SignalPlotTest() { plot.layout(kWidth, kHeight); }

    const RxMessage& track(const TrackFields& t) { return make.binary(trackPayload(t)); }
    const RxMessage& nav(const NavFields& n, uint8_t mid = 2) {
        return make.binary(navPayload(n, mid));
    }
    static Rgb textColour(const SignalPlot::StripUpdate& u) { return u.drawing.window[0].pen; }

    MessageMaker make;
    SignalPlot plot;
};

TEST_F(SignalPlotTest, TrackerDataWaitsForTheNextSolution) {
    TrackFields t{};
    t[0] = {5, 0, 0, 0xBF, flatCno(40)};
    EXPECT_TRUE(plot.onMessage(track(t)).empty());
    t[0].prn = 6;
    EXPECT_TRUE(plot.onMessage(track(t)).empty()) << "a second tracker message replaces the first";
    NavFields n;
    n.prn[0] = 6;
    const std::vector<SignalPlot::StripUpdate> drawn = plot.onMessage(nav(n, 1));
    ASSERT_EQ(drawn.size(), 12u) << "MID 1 draws like MID 2";
    EXPECT_EQ(drawn[0].drawing.window[0].text, "  6       ");
    EXPECT_EQ(textColour(drawn[0]), kUsedGreen);
    EXPECT_TRUE(plot.onMessage(nav(n)).empty()) << "no new tracker data, nothing drawn";
}

TEST_F(SignalPlotTest, EachChannelInItsColourAndEmptyOnesBlank) {
    TrackFields t{};
    t[0] = {5, 0, 0, 0xBF, flatCno(40)};   // used
    t[1] = {7, 0, 0, 0xBF, flatCno(0)};    // no signal
    t[2] = {9, 0, 0, 0x1BF, flatCno(40)};  // no signal by state
    t[3] = {122, 0, 0, 0xBF, flatCno(40)}; // SBAS
    t[4] = {11, 0, 0, 0xBF, flatCno(40)};  // tracked
    plot.onMessage(track(t));
    NavFields n;
    n.mode1 = 0x84;
    n.prn[0] = 5;
    const std::vector<SignalPlot::StripUpdate> drawn = plot.onMessage(nav(n));
    ASSERT_EQ(drawn.size(), 12u);
    const Rgb expected[] = {kUsedGreen, kNoSignalRed, kNoSignalRed,
                            kSbasTeal,  kTrackedBlue, kWhite};
    for (size_t k = 0; k < std::size(expected); ++k) {
        EXPECT_EQ(textColour(drawn[k]), expected[k]) << "channel " << k;
    }
    EXPECT_EQ(drawn[5].drawing.graph.size(), 5u * 12) << "an empty channel scrolls five cycles";
}

} // namespace
} // namespace zeph::monitor::testing
