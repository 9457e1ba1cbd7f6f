// The form views offscreen: each shows its core's texts in its fields, from opening on.

#include "monitor/views/ui/form_views.h"

#include "monitor/views/drovana_view_texts.h"

#include "monitor/views/testing/message_maker.h"

#include "monitor/shell/feed.h"
#include "sim/receiver/correction_output.h"
#include "sim/receiver/receiver_model.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace zeph::monitor::testing {
namespace {

QStringList shownFields(const TextFormView& view) {
    QStringList texts;
    for (size_t k = 0; k < view.texts().texts().size(); ++k) {
        texts << view.field(k)->text();
    }
    return texts;
}

QStringList shownTexts(const FormTexts& texts) {
    QStringList shown;
    for (const std::string& t : texts.texts()) {
        shown << QString::fromStdString(shownText(t));
    }
    return shown;
}

TEST(FormViews, EachSlotShowsItsCoreTextsAndOnlyForItsMessages) {
    const sim::ReceiverSnapshot sky = sim::openSkySnapshotAt(7);
    const struct {
        size_t slot;
        const char* name;
        FormView kind;
        sim::Bytes handled;
    } rows[] = {
        {6, "CViewNav", FormView::Navigation, sim::navigationMessage(sky, 2)},
        {7, "CViewDgps", FormView::Dgps, sim::dgpsStatus(sky, 7, sim::CorrectionSource::Beacon)},
        {8, "CViewGeod", FormView::Geodetic, sim::geodeticNavMessage(sky)},
        {9, "CViewDr", FormView::Drovana, sim::drovanaOutput(8, sky, 7)},
    };
    const ProgramState state;
    for (const auto& row : rows) {
        MessageMaker make;
        std::unique_ptr<MonitorView> made(createView(row.slot, ViewContext{state}));
        auto* view = qobject_cast<TextFormView*>(made.get());
        ASSERT_NE(view, nullptr) << row.name;
        EXPECT_EQ(view->objectName(), row.name);
        std::unique_ptr<FormTexts> expected = makeFormTexts(row.kind);
        ASSERT_EQ(view->findChildren<QLabel*>(QRegularExpression("^field\\d+$")).size(),
                  static_cast<qsizetype>(expected->texts().size()));
        EXPECT_EQ(shownFields(*view), shownTexts(*expected)) << row.name << " at opening";

        const RxMessage& msg = make.binary(row.handled);
        view->onUpdate(kHintNewSource, &msg);
        EXPECT_EQ(shownFields(*view), shownTexts(*expected)) << row.name << " on a new source";
        view->onUpdate(kHintNewMessage, &msg);
        ASSERT_TRUE(expected->update(msg));
        EXPECT_EQ(shownFields(*view), shownTexts(*expected)) << row.name;
        EXPECT_NE(shownFields(*view), shownTexts(*makeFormTexts(row.kind))) << row.name;

        view->onUpdate(kHintNewMessage, &make.binary(sim::clockStatusMessage(sky)));
        EXPECT_EQ(shownFields(*view), shownTexts(*expected)) << row.name;
    }
}

TEST(FormViews, DrovanaShowsTheMeasurementTypesAmpersandOnce) {
    MessageMaker make;
    CViewDr view;
    view.onUpdate(kHintNewMessage, &make.binary(sim::drovanaOutput(8, sim::snapshotAt(0), 0)));
    EXPECT_EQ(view.field(kDrMeasType)->text(), "Meas Type: Odo & Gyr");
}

} // namespace
} // namespace zeph::monitor::testing
