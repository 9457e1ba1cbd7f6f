// The "Data Source Setup" dialog: what it shows, which boxes each choice enables, the checks on
// OK with their texts and focus, Browse, Cancel, and what OK saves.

#include "monitor/shell/ui/dialogs/data_source_dialog.h"

#include "dialog_test_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace zeph::monitor::testing {
namespace {

class DataSourceDialogTest : public ::testing::Test {
protected:
    DataSourceDialogTest() { qtApp(); }

    // Shown without a modal loop; the file chooser fails the test unless a test sets its own.
    void open(bool cancelEnabled = true) {
        dialog = std::make_unique<DataSourceDialog>(profile, prompter, cancelEnabled);
        dialog->setFileChooser([](const QString&) {
            ADD_FAILURE() << "unexpected file dialog";
            return QString();
        });
        dialog->show();
        port = &control<QComboBox>(*dialog, "portBox");
        baud = &control<QComboBox>(*dialog, "baudBox");
        name = &control<QLineEdit>(*dialog, "fileNameEdit");
        browse = &control<QPushButton>(*dialog, "browseButton");
        format = &control<QComboBox>(*dialog, "formatBox");
        ok = &control<QPushButton>(*dialog, "okButton");
    }
    void choose(const char* radio) { control<QRadioButton>(*dialog, radio).click(); }
    // Clicks OK with the focus first on OK, as a mouse click leaves it.
    void clickOk() {
        ok->setFocus();
        ok->click();
    }
    std::vector<bool> enabled() const {
        return {port->isEnabled(), baud->isEnabled(), name->isEnabled(), browse->isEnabled(),
                format->isEnabled()};
    }
    std::string stored(const char* key) const {
        return profile.getString("DataSrc", key, "<none>");
    }

    TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
    std::unique_ptr<DataSourceDialog> dialog;
    QComboBox* port = nullptr;
    QComboBox* baud = nullptr;
    QLineEdit* name = nullptr;
    QPushButton* browse = nullptr;
    QComboBox* format = nullptr;
    QPushButton* ok = nullptr;
};

TEST_F(DataSourceDialogTest, ShowsTheStoredValuesAndEnablesByChoice) {
    ASSERT_TRUE(profile.writeInt("DataSrc", "Src", 1));
    ASSERT_TRUE(profile.writeString("DataSrc", "SerPort", "/dev/ttyUSB3"));
    ASSERT_TRUE(profile.writeString("DataSrc", "FileType", "CSV"));
    open();
    EXPECT_EQ(dialog->windowTitle(), "Data Source Setup");
    EXPECT_TRUE(control<QRadioButton>(*dialog, "fileRadio").isChecked());
    EXPECT_EQ(port->currentText(), "/dev/ttyUSB3");
    EXPECT_EQ(baud->currentText(), "57600");
    EXPECT_EQ(format->currentText(), "CSV");
    QStringList rates;
    for (int i = 0; i < baud->count(); ++i) {
        rates << baud->itemText(i);
    }
    EXPECT_EQ(rates.join(' '), "1200 2400 4800 9600 19200 38400 57600 115200");

    // The format box is never enabled.
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, true, false}));
    choose("randomRadio");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, false, false, false}));
    choose("serialRadio");
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, false, false}));
}

TEST_F(DataSourceDialogTest, EachFailedCheckTellsItsTextAndFocusesItsField) {
    ASSERT_TRUE(profile.writeString("DataSrc", "FileType", ""));
    open();
    const auto failOk = [&](QWidget* focus, const char* text) {
        prompter.asked.clear();
        clickOk();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(prompter.asked, std::vector<std::string>{text});
        EXPECT_TRUE(holdsFocus(*dialog, *focus)) << text;
    };
    port->setEditText("");
    baud->setEditText("");
    failOk(port, sourcedialog::kPortRequired);
    port->setEditText("COM4");
    failOk(baud, sourcedialog::kBaudRequired);

    choose("fileRadio");
    name->clear();
    failOk(name, sourcedialog::kNameRequired);
    name->setText(QString::fromStdString((dir / "missing.bin").string()));
    failOk(name, sourcedialog::kCannotOpen);
    // The format box is disabled, so its check leaves the focus where it was.
    writeFile(dir / "capture.bin", "data");
    name->setText(QString::fromStdString((dir / "capture.bin").string()));
    failOk(ok, sourcedialog::kTypeRequired);
    EXPECT_EQ(stored("Src"), "<none>");
}

TEST_F(DataSourceDialogTest, BrowseFillsTheNameAndOkSavesTheFiveKeys) {
    const auto capture = dir / "capture.bin";
    writeFile(capture, "data");
    ASSERT_TRUE(profile.writeString("DataSrc", "FileName", "old.bin"));
    ASSERT_TRUE(profile.writeString("DataSrc", "SerDbit", "7"));
    open();
    QStringList offered;
    QString answer = QString::fromStdString(capture.string());
    dialog->setFileChooser([&](const QString& current) {
        offered << current;
        return answer;
    });
    choose("fileRadio");
    browse->click();
    answer.clear(); // cancelled: the name stays
    browse->click();
    EXPECT_EQ(offered, (QStringList{"old.bin", QString::fromStdString(capture.string())}));

    int accepted = 0;
    QObject::connect(dialog.get(), &QDialog::accepted, [&] { ++accepted; });
    clickOk();
    EXPECT_EQ(accepted, 1);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(stored("Src"), "1");
    EXPECT_EQ(stored("SerPort"), "COM1");
    EXPECT_EQ(stored("SerBaud"), "57600");
    EXPECT_EQ(stored("FileName"), capture.string());
    EXPECT_EQ(stored("FileType"), "Binary");
    EXPECT_EQ(stored("SerDbit"), "7");
}

TEST_F(DataSourceDialogTest, WithoutCancelTheDialogEndsOnlyWithOk) {
    open(false);
    EXPECT_FALSE(control<QPushButton>(*dialog, "cancelButton").isEnabled());
    dialog->reject(); // Escape
    EXPECT_TRUE(dialog->isVisible());
    dialog->close(); // the window's close button
    EXPECT_TRUE(dialog->isVisible());

    open(true);
    port->setEditText("COM9");
    control<QPushButton>(*dialog, "cancelButton").click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(profile.path()));
}

} // namespace
} // namespace zeph::monitor::testing
