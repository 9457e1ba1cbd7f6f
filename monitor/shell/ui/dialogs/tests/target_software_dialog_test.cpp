// The "Select Target Software" dialog: its opening choice, Cancel and the flags it changes.

#include "monitor/shell/ui/dialogs/target_software_dialog.h"

#include "dialog_test_support.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

class TargetSoftwareDialogTest : public ::testing::Test {
protected:
    TargetSoftwareDialogTest() { qtApp(); }

    std::unique_ptr<TargetSoftwareDialog> open() {
        auto dialog = std::make_unique<TargetSoftwareDialog>(state);
        dialog->show();
        return dialog;
    }
    static int checkedChoice(QWidget& dialog) {
        int checked = -1;
        for (int i = 0; i < 5; ++i) {
            const std::string name = "targetRadio" + std::to_string(i);
            if (control<QRadioButton>(dialog, name.c_str()).isChecked()) {
                EXPECT_EQ(checked, -1) << "two choices checked";
                checked = i;
            }
        }
        return checked;
    }

    ProgramState state;
};

TEST_F(TargetSoftwareDialogTest, NoKnownClassOpensAtTheFirstChoiceAndMustBeAnswered) {
    state.targetSwClass = kSwVersionPollPending;
    state.autoDetect = true;
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), "Select Target Software");
    EXPECT_TRUE(state.targetDialogOpen);
    EXPECT_EQ(checkedChoice(*dialog), 0);
    EXPECT_TRUE(control<QCheckBox>(*dialog, "autoDetectBox").isChecked());
    EXPECT_FALSE(control<QPushButton>(*dialog, "cancelButton").isEnabled());

    dialog->reject(); // Escape
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(state.targetDialogOpen);

    control<QPushButton>(*dialog, "okButton").click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state.targetSwClass, kSw23OrHigher);
    EXPECT_TRUE(state.autoDetect);
    EXPECT_FALSE(state.targetDialogOpen);
}

TEST_F(TargetSoftwareDialogTest, AKnownClassOpensAtItsChoiceAndCancelChangesNothing) {
    state.targetSwClass = kSwDrovana;
    auto dialog = open();
    EXPECT_EQ(checkedChoice(*dialog), 3);
    EXPECT_FALSE(control<QCheckBox>(*dialog, "autoDetectBox").isChecked());
    const QStringList captions = {"2.&3 or higher", "2.&1 && 2.2", "2.&0", "Drovana", "ZephNav"};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "targetRadio" + std::to_string(i);
        EXPECT_EQ(control<QRadioButton>(*dialog, name.c_str()).text(), captions[i]);
    }
    EXPECT_EQ(control<QCheckBox>(*dialog, "autoDetectBox").text(), "&Auto-detection");

    control<QRadioButton>(*dialog, "targetRadio2").click();
    control<QCheckBox>(*dialog, "autoDetectBox").click();
    control<QPushButton>(*dialog, "cancelButton").click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state.targetSwClass, kSwDrovana);
    EXPECT_FALSE(state.autoDetect);
    EXPECT_FALSE(state.targetDialogOpen);

    auto again = open();
    control<QRadioButton>(*again, "targetRadio4").click();
    control<QCheckBox>(*again, "autoDetectBox").click();
    control<QPushButton>(*again, "okButton").click();
    EXPECT_EQ(state.targetSwClass, kSwZephNav);
    EXPECT_TRUE(state.autoDetect);
    EXPECT_FALSE(state.targetDialogOpen);
}

TEST_F(TargetSoftwareDialogTest, ADialogDestroyedUnansweredNoLongerHoldsAutoDetectionBack) {
    state.targetSwClass = kSwUnknown;
    open().reset();
    EXPECT_FALSE(state.targetDialogOpen);
    EXPECT_EQ(state.targetSwClass, kSwUnknown);

    // After OK the flag is the program's again: destroying the dialog leaves it alone.
    auto answered = open();
    answered->accept();
    state.targetDialogOpen = true; // a later dialog shows
    answered.reset();
    EXPECT_TRUE(state.targetDialogOpen);
}

} // namespace
} // namespace zeph::monitor::testing
