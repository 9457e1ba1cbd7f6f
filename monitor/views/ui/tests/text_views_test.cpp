// The Debug, Error and Response views offscreen, and the factory of the main frame's views.

#include "monitor/views/ui/text_views.h"
#include "monitor/views/ui/view_factory.h"

#include "common/qt/testing/qt_application.h"
#include "monitor/views/testing/message_maker.h"

#include "monitor/shell/feed.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
// Readable failures for the lists of lines.
inline void PrintTo(const QStringList& lines, std::ostream* os) {
    *os << '"' << lines.join("|").toStdString() << '"';
}
QT_END_NAMESPACE

namespace zeph::monitor::testing {
namespace {

using sim::PayloadWriter;

class TextViews : public ::testing::Test {
protected:
    static QStringList shown(const TextListView& view) {
        QStringList lines;
        for (int k = 0; k < view.list()->count(); ++k) {
            lines << view.list()->item(k)->text();
        }
        return lines;
    }
    static int topRow(const TextListView& view) { return view.list()->indexAt({2, 2}).row(); }

    MessageMaker make;
};

TEST_F(TextViews, TheThreeHundredAndFirstLinePushesOutTheFirst) {
    CViewDebug view;
    for (int k = 1; k <= 301; ++k) {
        view.onUpdate(kHintNewMessage, &make.debugText("line " + std::to_string(k)));
    }
    ASSERT_EQ(view.list()->count(), 300);
    EXPECT_EQ(view.list()->item(0)->text(), "line 2");
    EXPECT_EQ(view.list()->item(299)->text(), "line 301");
}

TEST_F(TextViews, EachViewListsItsOwnMessages) {
    CViewDebug debug;
    CViewError error;
    CViewResponse response;
    // The maker reuses one message, so each goes to every view as soon as it is made.
    auto post = [&](const RxMessage& m) {
        for (TextListView* v : std::initializer_list<TextListView*>{&debug, &error, &response}) {
            v->onUpdate(kHintNewMessage, &m);
        }
    };
    post(make.debugText("Acq: SV 5\r\nTrk: SV 5\r\n"));
    post(make.errorReport(0x13, {1}));
    post(make.errorReport(0x3000, {1}));
    post(make.errorReport(0x1001, {250}));
    post(make.linkError("Comm: CE_RXPARITY"));
    post(make.binary(PayloadWriter(7).u16(1182).u32(3).u8(4).u32(5).u32(6).u32(7)));
    EXPECT_EQ(shown(debug), QStringList({"Acq: SV 5  Trk: SV 5  "}));
    EXPECT_EQ(shown(error), QStringList({"VCO lock lost in 250 msec", "Comm: CE_RXPARITY"}));
    EXPECT_EQ(shown(response), QStringList({"Week:1182  TOW:3  EstGPSTime:7 ms  SVCnt:4",
                                            "Clock Drift:5 Hz  Clock Bias:6 ns"}));
    // Only new messages add lines; a new source keeps what is shown.
    response.onUpdate(kHintNewSource, nullptr);
    response.onUpdate(kHintSettingsChanged, &make.binary(PayloadWriter(11).u8(132).u8(0)));
    EXPECT_EQ(response.list()->count(), 2);
}

TEST_F(TextViews, NewLinesScrollToTheTopAndDoubleClickEmptiesTheList) {
    CViewDebug view;
    view.resize(300, 200);
    view.show();
    QListWidget* list = view.findChild<QListWidget*>("list");
    ASSERT_EQ(list, view.list());
    EXPECT_EQ(list->geometry(), view.rect());
    for (int k = 0; k < 40; ++k) {
        view.onUpdate(kHintNewMessage, &make.debugText("line " + std::to_string(k)));
    }
    QApplication::processEvents();
    // As far down as the list goes: the newest line is in view, older ones have scrolled off.
    EXPECT_GT(topRow(view), 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(39))));
    EXPECT_TRUE(list->updatesEnabled());

    const QPointF at(5, 5);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &click);
    EXPECT_EQ(list->count(), 0);

    view.onUpdate(kHintNewMessage, &make.debugText("fresh"));
    QApplication::processEvents();
    EXPECT_EQ(shown(view), QStringList({"fresh"}));
    EXPECT_EQ(topRow(view), 0);
    // The limit counts from the clear.
    for (int k = 0; k < 299; ++k) {
        view.onUpdate(kHintNewMessage, &make.debugText("more"));
    }
    EXPECT_EQ(list->item(0)->text(), "fresh");
}

TEST_F(TextViews, FactoryBuildsEachSlotsViewWithItsCaption) {
    const ProgramState state;
    const ViewContext ctx{state};
    const char* const captions[] = {
        "Signal View", "Map View",        "Radar View", "Debug View",        "Response View",
        "Error View",  "Navigation View", "DGPS View",  "Geodetic Nav View", "Drovana View"};
    const char* const names[] = {"CViewSignal",   "CViewMap",   "CViewRadar", "CViewDebug",
                                 "CViewResponse", "CViewError", "CViewNav",   "CViewDgps",
                                 "CViewGeod",     "CViewDr"};
    QWidget parent;
    for (size_t slot = 0; slot < 10; ++slot) {
        EXPECT_EQ(viewCaption(slot), captions[slot]);
        MonitorView* view = createView(slot, ctx, &parent);
        ASSERT_NE(view, nullptr) << slot;
        EXPECT_EQ(view->parentWidget(), &parent);
        EXPECT_EQ(view->windowTitle(), captions[slot]);
        EXPECT_EQ(view->objectName(), names[slot]);
    }
    std::unique_ptr<MonitorView> debug(createView(3, ctx));
    std::unique_ptr<MonitorView> response(createView(4, ctx));
    std::unique_ptr<MonitorView> error(createView(5, ctx));
    EXPECT_NE(qobject_cast<CViewDebug*>(debug.get()), nullptr);
    EXPECT_NE(qobject_cast<CViewResponse*>(response.get()), nullptr);
    EXPECT_NE(qobject_cast<CViewError*>(error.get()), nullptr);
    EXPECT_EQ(createView(10, ctx), nullptr);
}

} // namespace
} // namespace zeph::monitor::testing
