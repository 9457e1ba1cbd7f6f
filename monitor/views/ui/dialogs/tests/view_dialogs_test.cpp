// The plot views' option dialogs offscreen: what they show, a refused field keeps the dialog
// open with the message and the focus, and what Save or OK writes.

#include "monitor/views/ui/dialogs/view_dialogs.h"

#include "common/qt/testing/qt_application.h"
#include "common/testing/temp_dir.h"
#include "monitor/messages/testing/recording_events.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace zeph::monitor::testing {
namespace {

template <class T> T* control(QWidget& dialog, const char* name) {
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class ViewDialogsTest : public ::testing::Test {
protected:
    void save(QDialog& d) { control<QPushButton>(d, "saveButton")->click(); }

    zeph::testing::TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
};

TEST_F(ViewDialogsTest, PreferencesRefuseAScaleOutOfRange) {
    profile.writeInt("VwRad", "Orientation", 1);
    profile.writeString("VwMap", "Scale", "0.50");
    PreferencesDialog d(profile, prompter);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Preferences");
    EXPECT_TRUE(control<QRadioButton>(d, "barRadio")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(d, "headingUpRadio")->isChecked());
    QLineEdit* scale = control<QLineEdit>(d, "scaleEdit");
    EXPECT_EQ(scale->text(), "0.5");

    scale->setText("20000");
    save(d);
    EXPECT_EQ(prompter.asked,
              (std::vector<std::string>{"Please enter a number between 0.25 and 10000."}));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.focusWidget(), scale);
    EXPECT_EQ(profile.getString("VwMap", "Scale", ""), "0.50");

    scale->setText("12.5");
    control<QRadioButton>(d, "lineRadio")->setChecked(true);
    save(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(profile.getString("VwMap", "Scale", ""), "12.50");
    EXPECT_EQ(profile.getInt("VwSig", "GraphType", 0), 1);
}

TEST_F(ViewDialogsTest, TrackingViewShowsThePositionDisabled) {
    TrackingViewDialog d(profile, prompter);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Tracking View Configuration");
    EXPECT_FALSE(control<QLineEdit>(d, "outerPositionEdit")->isEnabled());
    QLineEdit* velocity = control<QLineEdit>(d, "outerVelocityEdit");
    EXPECT_EQ(velocity->text(), "4");
    velocity->setText("2.126");
    save(d);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(profile.getString("VwRad", "OuterRadVel", ""), "2.13");
    EXPECT_EQ(profile.getString("VwRad", "OuterRadPos", ""), "20");
}

TEST_F(ViewDialogsTest, MapPreferencesFocusTheFieldThatFailed) {
    MapPreferencesDialog d(profile, prompter);
    d.show();
    control<QLineEdit>(d, "latEdit")->setText("37.4");
    QLineEdit* ring = control<QLineEdit>(d, "ring1Edit");
    ring->setText("-3");
    save(d);
    EXPECT_EQ(prompter.asked, (std::vector<std::string>{"Please enter a positive integer."}));
    EXPECT_EQ(d.focusWidget(), ring);
    ring->setText("15");
    save(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(profile.getString("VwMap", "Lat", ""), "37.400000");
    EXPECT_EQ(profile.getString("VwMap", "Ring1", ""), "15");
}

} // namespace
} // namespace zeph::monitor::testing
