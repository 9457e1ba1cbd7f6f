// The wiring of the Receiver Initialization and Low Power dialogs: controls re-enabled on each
// click, Load and the right double-click reaching the rules, a refused Send keeping the dialog
// open, and what an accepted Send hands on.

#include "monitor/shell/ui/dialogs/low_power_dialog.h"
#include "monitor/shell/ui/dialogs/receiver_init_dialog.h"

#include "dialog_test_support.h"

#include "monitor/messages/program_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

TEST(ActionDialogsTest, ReceiverInitEnablesLoadsAndSendsTheResetByte) {
    qtApp();
    TempDir dir;
    writeFile(dir.path("home.pos"), "-2694685\n-4293642\n3857878\n75000\n");
    writeFile(dir.path("short.pos"), "1\n2\n");
    RecordingPrompter prompter;
    ReceiverInitSettings stored;
    stored.cfgBits = 0x93;
    ReceiverInitDialog dialog(stored, prompter);
    EXPECT_EQ(dialog.windowTitle(), "Receiver Initialization");
    dialog.show();
    EXPECT_TRUE(control<QRadioButton>(dialog, "warmInitRadio").isChecked());
    EXPECT_TRUE(control<QCheckBox>(dialog, "navLibDataCheck").isChecked());
    EXPECT_TRUE(control<QLineEdit>(dialog, "weekEdit").isEnabled());
    EXPECT_FALSE(control<QLineEdit>(dialog, "utcOffsetEdit").isEnabled());

    control<QCheckBox>(dialog, "usePcTimeCheck").click();
    EXPECT_FALSE(control<QLineEdit>(dialog, "weekEdit").isEnabled());
    EXPECT_TRUE(control<QLineEdit>(dialog, "utcOffsetEdit").isEnabled());

    std::string chosen = dir.path("short.pos");
    dialog.setChooser([&]() -> std::optional<std::string> { return chosen; });
    control<QPushButton>(dialog, "loadButton").click();
    EXPECT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(control<QLineEdit>(dialog, "xEdit").text(), "0");
    // An empty name shows the file dialog again.
    std::vector<std::string> names = {"", dir.path("home.pos")};
    dialog.setChooser([&]() -> std::optional<std::string> {
        const std::string name = names.front();
        names.erase(names.begin());
        return name;
    });
    control<QPushButton>(dialog, "loadButton").click();
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(control<QLineEdit>(dialog, "xEdit").text(), "-2694685");
    EXPECT_EQ(control<QLineEdit>(dialog, "clockOffsetEdit").text(), "75000");

    control<QRadioButton>(dialog, "factoryResetRadio").click();
    EXPECT_FALSE(control<QCheckBox>(dialog, "debugDataCheck").isEnabled());
    EXPECT_FALSE(control<QLineEdit>(dialog, "xEdit").isEnabled());
    control<QCheckBox>(dialog, "debugDataCheck").setChecked(true);
    control<QComboBox>(dialog, "periodCombo").setEditText("4");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_EQ(prompter.asked.back(), "Reset period is out of range.");
    EXPECT_TRUE(dialog.isVisible());
    control<QComboBox>(dialog, "periodCombo").setEditText("600");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.accepted());
    EXPECT_EQ(dialog.accepted()->settings.cfgBits, 0x88);
    EXPECT_EQ(dialog.accepted()->settings.posX, "-2694685");
    EXPECT_EQ(dialog.accepted()->periodSeconds, 600);
}

TEST(ActionDialogsTest, LowPowerRightDoubleClickOpensTheLists) {
    qtApp();
    RecordingPrompter prompter;
    LowPowerDialog dialog(kSw21Or22, prompter);
    EXPECT_EQ(dialog.windowTitle(), "Low Power");
    dialog.show();
    EXPECT_TRUE(control<QRadioButton>(dialog, "continuousRadio").isChecked());
    EXPECT_FALSE(control<QComboBox>(dialog, "onTimeCombo").isEnabled());
    EXPECT_FALSE(control<QGroupBox>(dialog, "invalidSettingGroup").isVisible());

    control<QRadioButton>(dialog, "lullcycleRadio").click();
    EXPECT_TRUE(control<QComboBox>(dialog, "onTimeCombo").isEnabled());
    EXPECT_FALSE(control<QCheckBox>(dialog, "adaptiveCheck").isEnabled()); // software 2.1/2.2
    EXPECT_TRUE(control<QGroupBox>(dialog, "invalidSettingGroup").isVisible());
    control<QComboBox>(dialog, "onTimeCombo").setEditText("700");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_EQ(prompter.asked,
              std::vector<std::string>{"Lullcycler on-time is invalid with update rate."});
    EXPECT_TRUE(dialog.isVisible());

    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5),
                            Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &doubleClick);
    EXPECT_FALSE(dialog.listOnly());
    EXPECT_FALSE(control<QGroupBox>(dialog, "invalidSettingGroup").isVisible());
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.sent());
    ASSERT_EQ(dialog.sent()->payloads.size(), 2u);
    EXPECT_EQ(dialog.sent()->payloads[0],
              (std::vector<uint8_t>{0x97, 0, 0, 0x02, 0xBC, 0, 0, 0x02, 0xBC}));
    EXPECT_EQ(dialog.sent()->payloads[1][0], 167);
}

} // namespace
} // namespace zeph::monitor::testing
