// The settings windows and frmSelNmea on real port objects over pseudo-terminals: COM3 and
// COM4 are two pseudo-terminals, as ZEPH_COM3 and ZEPH_COM4 would make them.

#include "dashboard/ui/double_form.h"
#include "dashboard/ui/double_map_form.h"
#include "dashboard/ui/frm_sel_nmea.h"
#include "dashboard/ui/set_form.h"
#include "dashboard/ui/trekdash_window.h"

#include "dashboard/core/serial_nmea_port.h"
#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/ui_support.h"

#include "common/serial/testing/pty_pair.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

namespace zeph::dashboard {
namespace {

struct FormsFixture : ::testing::Test {
    FormsFixture() {
        testing::testApp();
        SettingsRecord r = SettingsRecord::firstStart();
        r.port = 3;
        file.write(r);
    }

    void start() {
        window.load();
        window.show();
        window.activateMain();
    }
    template <typename T> T* child(QWidget* parent, const char* name) {
        T* found = parent->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A user's choice in a list.
    void choose(QComboBox* box, const QString& text) {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    testing::WithApp app;
    zeph::testing::PtyPair com3;
    zeph::testing::PtyPair com4;
    PortEnvironment env = [this] {
        PortEnvironment e;
        e.getenv = [this](const std::string& name) -> std::optional<std::string> {
            if (name == "ZEPH_COM3") {
                return com3.slavePath();
            }
            if (name == "ZEPH_COM4") {
                return com4.slavePath();
            }
            return std::nullopt;
        };
        return e;
    }();
    testing::TempDir dir;
    SettingsFile file{(dir / "nmea.dat").string()};
    SerialNmeaPort port1{env};
    SerialNmeaPort port2{env};
    SerialNmeaPort selPort{env};
    testing::RecordingPrompter prompter;
    Trekdash window{{port1, port2, selPort}, file, prompter};
};

TEST_F(FormsFixture, SetFormCancelLeavesNmeaDatUnchanged) {
    start();
    ASSERT_TRUE(port1.isOpen()) << port1.lastError();
    child<QPushButton>(&window, "StopComm")->click();
    window.findChild<QAction*>("mnuSingle")->trigger();
    SetForm* form = window.setForm();
    ASSERT_TRUE(form->isVisible());
    auto* com = child<QComboBox>(form, "COMCombo");
    EXPECT_EQ(com->currentText(), "COM 3");
    EXPECT_EQ(child<QComboBox>(form, "BauldCombo")->currentText(), "4800");

    const std::string before = testing::readBytes(dir / "nmea.dat");
    choose(com, "COM 7");
    choose(child<QComboBox>(form, "BauldCombo"), "38400");
    child<QPushButton>(form, "CancelComm")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(testing::readBytes(dir / "nmea.dat"), before);
    EXPECT_FALSE(window.core().state().SettingsRequest);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FormsFixture, SetFormOkOnABusyPortSaysSoAndCannotBeCancelled) {
    start();
    SerialNmeaPort otherProgram(env);
    otherProgram.setPortName(com4.slavePath());
    otherProgram.setSettings("4800,n,8,1");
    otherProgram.open();
    ASSERT_TRUE(otherProgram.isOpen());

    child<QPushButton>(&window, "StopComm")->click();
    window.findChild<QAction*>("mnuSingle")->trigger();
    SetForm* form = window.setForm();
    choose(child<QComboBox>(form, "COMCombo"), "COM 4");
    choose(child<QComboBox>(form, "BauldCombo"), "9600");
    child<QPushButton>(form, "OKComm")->click();

    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM is used!");
    EXPECT_EQ(prompter.icons[0], Prompter::Icon::Error);
    EXPECT_EQ(file.read().port, 4);
    ASSERT_TRUE(form->isVisible());
    auto* cancel = child<QPushButton>(form, "CancelComm");
    EXPECT_FALSE(cancel->isEnabled());
    cancel->click();
    form->close();
    EXPECT_TRUE(form->isVisible()) << "neither Cancel nor closing leaves it";

    otherProgram.close();
    child<QPushButton>(form, "OKComm")->click();
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(port1.isOpen());
    EXPECT_FALSE(child<QPushButton>(&window, "DisplayComm")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&window, "StopComm")->isEnabled());
}

TEST_F(FormsFixture, DoubleFormStartsBothSourcesOrNamesTheBusyOne) {
    start();
    child<QPushButton>(&window, "StopComm")->click();
    window.findChild<QAction*>("mnuDouble")->trigger();
    DoubleForm* form = window.doubleForm();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(child<QComboBox>(form, "cbCom1")->currentText(), "1");
    EXPECT_EQ(child<QComboBox>(form, "cbCom2")->currentText(), "2");
    choose(child<QComboBox>(form, "cbCom1"), "3");
    choose(child<QComboBox>(form, "cbCom2"), "4");
    choose(child<QComboBox>(form, "Bauld2Combo"), "19200");

    SerialNmeaPort otherProgram(env);
    otherProgram.setPortName(com4.slavePath());
    otherProgram.setSettings("4800,n,8,1");
    otherProgram.open();
    child<QPushButton>(form, "OKComm")->click();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "Source 2 is used!");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(child<QComboBox>(form, "cbCom2")->currentText(), "4");
    EXPECT_EQ(child<QComboBox>(form, "Bauld2Combo")->currentText(), "19200");

    otherProgram.close();
    child<QPushButton>(form, "OKComm")->click();
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(port1.isOpen());
    EXPECT_TRUE(port2.isOpen());
    EXPECT_TRUE(window.timers().enabled(TimerId::Compare));

    // The comparison window takes over and the main window takes no input until it closes.
    DoubleMapForm* map = window.doubleMap();
    ASSERT_TRUE(map->isVisible());
    EXPECT_FALSE(window.centralWidget()->isEnabled());
    EXPECT_FALSE(window.menuBar()->isEnabled());
    EXPECT_TRUE(map->timers().enabled(TimerId::Double));
    child<QPushButton>(map, "CloseComm")->click();
    EXPECT_FALSE(map->isVisible());
    EXPECT_FALSE(map->timers().enabled(TimerId::Double));
    EXPECT_TRUE(window.centralWidget()->isEnabled());
    EXPECT_FALSE(port2.isOpen()) << "back to one receiver";
    EXPECT_TRUE(port1.isOpen());
}

TEST_F(FormsFixture, SelNmeaWritesTheCommandsByteForByte) {
    start();
    window.findChild<QAction*>("mnuSelNmea")->trigger();
    frmSelNmea* sel = window.selNmea();
    ASSERT_TRUE(sel->isVisible());
    EXPECT_FALSE(port1.isOpen()) << "the menu entry frees the port";
    EXPECT_EQ(child<QComboBox>(sel, "cbGGAtime")->currentText(), " 1 second");
    testing::spin(50);
    for (QComboBox* list : sel->findChildren<QComboBox*>()) {
        // The whole item shows: the style's frame and arrow around the widest item fit.
        int widest = 0;
        for (int i = 0; i < list->count(); ++i) {
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
        }
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QSize need = list->style()->sizeFromContents(
            QStyle::CT_ComboBox, &option, QSize(widest, list->fontMetrics().height()), list);
        EXPECT_GE(list->width(), need.width()) << list->objectName().toStdString();
    }
    EXPECT_TRUE(child<QRadioButton>(sel, "opGSAenable")->isChecked());

    child<QRadioButton>(sel, "opGSAdisable")->click();
    EXPECT_FALSE(child<QComboBox>(sel, "cbGSAtime")->isEnabled());
    child<QPushButton>(sel, "cmdGSA")->click();
    EXPECT_EQ(com3.readMaster(25, 2000), "$ZUVE103,02,00,00,01*2D\r\n");

    choose(child<QComboBox>(sel, "cbGGAtime"), " 3 second");
    child<QPushButton>(sel, "cmdGGA")->click();
    EXPECT_EQ(com3.readMaster(25, 2000), "$ZUVE103,00,00,03,01*2C\r\n");

    child<QRadioButton>(sel, "opVTGdisable")->click();
    child<QPushButton>(sel, "cmdVTG")->click();
    EXPECT_EQ(com3.readMaster(25, 2000), "$ZUVE103,05,00,00,01*2A\r\n");

    choose(child<QComboBox>(sel, "cbBaudRate"), "9600");
    child<QPushButton>(sel, "cmdBaudRate")->click();
    EXPECT_EQ(com3.readMaster(26, 2000), "$ZUVE100,1,9600,8,1,0*06\r\n");
    EXPECT_TRUE(prompter.messages.empty());

    sel->close();
    child<QPushButton>(&window, "StopComm")->click();
    EXPECT_FALSE(sel->isVisible()) << "closed stays closed";
    window.findChild<QAction*>("mnuSelNmea")->trigger();
    ASSERT_TRUE(sel->isVisible());
    EXPECT_EQ(child<QComboBox>(sel, "cbGGAtime")->count(), 9) << "loaded once";

    // "Display" takes the port back and hides the window; a command then finds it busy.
    child<QPushButton>(&window, "DisplayComm")->click();
    EXPECT_FALSE(sel->isVisible());
    ASSERT_TRUE(port1.isOpen());
    child<QPushButton>(sel, "cmdGGA")->click();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], "The COM is used!");
    EXPECT_EQ(com3.readMaster(1, 200), "");
}

} // namespace
} // namespace zeph::dashboard
