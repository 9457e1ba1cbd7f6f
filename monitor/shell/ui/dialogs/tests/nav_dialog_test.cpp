// The navigation dialogs' wiring: the window is laid out from its description, a click re-runs
// the enabling rule, a refused Send keeps the dialog open with its message, an accepted one
// leaves the payload.

#include "monitor/shell/ui/dialogs/nav_dialog.h"

#include "dialog_test_support.h"
#include "monitor/messages/program_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

// Types `text` into the edit as keys, so it reports the edit as the user's.
void type(QLineEdit& line, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&line, &press);
    }
}

class NavDialogTest : public ::testing::Test {
protected:
    NavDialogTest() { qtApp(); }
    RecordingPrompter prompter;
};

TEST_F(NavDialogTest, ModeMaskClicksEnableAndForceAsTheRulesSay) {
    NavDialog core(136, 0, nullptr, kSw20);
    NavCommandDialog dialog(core, prompter);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Navigation Moding: Default");
    EXPECT_FALSE(control<QCheckBox>(dialog, "enable-track-smoothing").isChecked());
    auto& last = control<QRadioButton>(dialog, "altitude-source-0");
    auto& fixed = control<QRadioButton>(dialog, "altitude-source-1");
    EXPECT_EQ(last.text(), "&Last computed altitude");
    ASSERT_TRUE(last.isChecked());

    control<QRadioButton>(dialog, "altitude-hold-mode-1").click();
    EXPECT_FALSE(last.isEnabled());
    EXPECT_TRUE(fixed.isChecked());
    EXPECT_FALSE(control<QRadioButton>(dialog, "altitude-hold-mode-0").isChecked());
    control<QRadioButton>(dialog, "altitude-hold-mode-2").click();
    EXPECT_FALSE(fixed.isEnabled());
    EXPECT_FALSE(control<QLineEdit>(dialog, "fixed-altitude").isEnabled());

    control<QCheckBox>(dialog, "enable-dr-mode").click();
    EXPECT_FALSE(control<QLineEdit>(dialog, "dr-timeout").isEnabled());
}

TEST_F(NavDialogTest, RefusedSendStaysOpenAcceptedSendLeavesThePayload) {
    NavDialog core(170, 0, nullptr, kSwUnknown);
    NavCommandDialog dialog(core, prompter);
    dialog.show();
    auto& prn = control<QLineEdit>(dialog, "prn");
    EXPECT_FALSE(prn.isEnabled());
    control<QCheckBox>(dialog, "auto-scan").click();
    ASSERT_TRUE(prn.isEnabled());
    type(prn, "119");
    control<QPushButton>(dialog, "sendButton").click();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0], "Please enter an integer between 120 and 138.");
    EXPECT_TRUE(dialog.isVisible());

    prn.clear();
    type(prn, "124");
    control<QRadioButton>(dialog, "mode-1").click();
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(core.payload(), (std::vector<uint8_t>{170, 124, 1, 0x08, 0, 0}));
}

TEST_F(NavDialogTest, ListsHiddenRadiosAndTheResetPeriod) {
    NavDialog rate(166, 0, nullptr, kSwUnknown);
    NavCommandDialog rateDialog(rate, prompter);
    auto& names = control<QComboBox>(rateDialog, "message-name");
    EXPECT_EQ(names.count(), 14);
    EXPECT_EQ(names.currentText(), "0x02 Measured Navigation");
    names.setCurrentIndex(13);
    emit names.activated(13);
    EXPECT_EQ(rate.value("message-name"), 255);

    NavDialog mode(150, 0, nullptr, kSwUnknown);
    NavCommandDialog modeDialog(mode, prompter);
    modeDialog.show();
    EXPECT_TRUE(control<QRadioButton>(modeDialog, "mode-7763").isHidden());
    auto& period = control<QLineEdit>(modeDialog, "period");
    control<QRadioButton>(modeDialog, "mode-7761").click();
    period.clear();
    type(period, "600");
    control<QRadioButton>(modeDialog, "mode-7762").click();
    EXPECT_EQ(period.text(), "10");
}

} // namespace
} // namespace zeph::monitor::testing
