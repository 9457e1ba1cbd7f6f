// The port dialogs' wiring: their lists show and pass on what the rules say, a refused Send
// keeps them open with its message, and the NMEA dialog's right double-click.

#include "monitor/shell/ui/dialogs/port_dialogs.h"

#include "dialog_test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

class PortDialogsTest : public ::testing::Test {
protected:
    PortDialogsTest() { qtApp(); }
    RecordingPrompter prompter;
};

TEST_F(PortDialogsTest, MainPortDialogChangesOnlyTheBaud) {
    DataSourceSettings current;
    current.serBaud = "4800";
    SerialPortDialog dialog(SerialPortRole::Main, current);
    EXPECT_EQ(dialog.windowTitle(), "Set Serial Port Parameters");
    EXPECT_EQ(control<QComboBox>(dialog, "dataBitsBox").count(), 1);
    EXPECT_FALSE(control<QComboBox>(dialog, "parityBox").isEnabled());
    EXPECT_EQ(control<QPushButton>(dialog, "sendButton").text(), "Send");
    control<QComboBox>(dialog, "baudBox").setCurrentText("115200");
    EXPECT_EQ(dialog.values(), (LineValues{"115200", "8", "NONE", "1"}));
}

TEST_F(PortDialogsTest, UartDialogFollowsItsRulesAndRefusesIdenticalProtocols) {
    UartConfigurationDialog dialog(prompter);
    dialog.show();
    auto& protocol2 = control<QComboBox>(dialog, "protocolBox2");
    EXPECT_FALSE(protocol2.isEnabled());
    control<QCheckBox>(dialog, "setBox2").click();
    ASSERT_TRUE(protocol2.isEnabled());
    protocol2.setCurrentText("RTCM-DGPS");
    EXPECT_EQ(control<QComboBox>(dialog, "baudBox2").currentText(), "9600");
    EXPECT_FALSE(control<QComboBox>(dialog, "parityBox2").isEnabled());
    control<QComboBox>(dialog, "baudBox2").setCurrentText("19200");
    control<QComboBox>(dialog, "protocolBox0").setCurrentText("RTCM-DGPS");
    control<QComboBox>(dialog, "protocolBox1").setCurrentText("Zeph Binary");
    control<QRadioButton>(dialog, "monitorUart2").click();

    control<QPushButton>(dialog, "sendButton").click();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0],
              "Identical protocols can not be used concurrently on multiple UARTs.");
    EXPECT_TRUE(dialog.isVisible());

    control<QComboBox>(dialog, "protocolBox0").setCurrentText("NMEA");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.configuration().monitorBaud(), 19200u);

    control<QPushButton>(dialog, "helpButton").click();
    EXPECT_EQ(prompter.asked.back(), uartdialog::kHelpText);
}

TEST_F(PortDialogsTest, NmeaDialogShowsItsDebugBoxOnARightDoubleClick) {
    NmeaSetupDialog dialog(prompter);
    dialog.show();
    auto& debug = control<QCheckBox>(dialog, "debugDataBox");
    EXPECT_TRUE(debug.isHidden());
    const QPointF at(5, 5);
    QCoreApplication::postEvent(&dialog, new QMouseEvent(QEvent::MouseButtonDblClick, at,
                                                         dialog.mapToGlobal(at), Qt::RightButton,
                                                         Qt::RightButton, Qt::NoModifier));
    QCoreApplication::processEvents();
    ASSERT_FALSE(debug.isHidden());
    debug.setChecked(true);

    control<QComboBox>(dialog, "rateBox4").setEditText("300");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_EQ(prompter.asked, std::vector<std::string>{"Update Rate must be 0 to 255"});
    EXPECT_TRUE(dialog.isVisible());

    control<QPushButton>(dialog, "defaultsButton").click();
    control<QComboBox>(dialog, "baudBox").setEditText("38400");
    control<QPushButton>(dialog, "sendButton").click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.values(), (NmeaModeValues{{1, 0, 1, 5, 1, 0, 0, 0, 0, 0}, true, 38400, true}));
}

} // namespace
} // namespace zeph::monitor::testing
