// The "Log File Settings" dialog and its question about an existing file: the list and its
// selection, the checks on OK with their focus, Overwrite / Append / Reselect, Browse.

#include "monitor/shell/ui/dialogs/log_file_question_dialog.h"
#include "monitor/shell/ui/dialogs/log_file_settings_dialog.h"

#include "dialog_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <deque>

namespace zeph::monitor::testing {
namespace {

using Choice = LogFileQuestion::Choice;

class ScriptedQuestion : public LogFileQuestion {
public:
    Choice askExistingFile() override {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected question";
            return Choice::Reselect;
        }
        const Choice c = script.front();
        script.pop_front();
        return c;
    }
    std::deque<Choice> script;
};

class LogFileSettingsDialogTest : public ::testing::Test {
protected:
    LogFileSettingsDialogTest() { qtApp(); }

    void open() {
        dialog = std::make_unique<LogFileSettingsDialog>(profile, prompter);
        dialog->setQuestion(&question);
        dialog->setFileChooser([](const QString&) {
            ADD_FAILURE() << "unexpected file dialog";
            return QString();
        });
        dialog->show();
        name = &control<QLineEdit>(*dialog, "fileNameEdit");
        list = &control<QListWidget>(*dialog, "messageList");
    }
    void clickOk(const std::filesystem::path& file) {
        name->setText(QString::fromStdString(file.string()));
        auto& ok = control<QPushButton>(*dialog, "okButton");
        ok.setFocus();
        ok.click();
    }
    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->isSelected()) {
                rows.push_back(row);
            }
        }
        return rows;
    }
    std::string storedFile() const { return profile.getString("Log", "File", "<none>"); }

    TempDir dir;
    ProfileFile profile{dir / "zephmon.ini"};
    RecordingPrompter prompter;
    ScriptedQuestion question;
    std::unique_ptr<LogFileSettingsDialog> dialog;
    QLineEdit* name = nullptr;
    QListWidget* list = nullptr;
};

TEST_F(LogFileSettingsDialogTest, TheListAndItsButtonsDecideWhatOkStores) {
    std::string msgs(256, '0');
    msgs[2] = msgs[255] = '1';
    ASSERT_TRUE(profile.writeString("Log", "Msgs", msgs));
    open();
    EXPECT_EQ(dialog->windowTitle(), "Log File Settings");
    EXPECT_EQ(name->text(), "nimbra.gps");
    ASSERT_EQ(list->count(), 24);
    EXPECT_EQ(list->item(2)->text(), "004  Meas Trk");
    EXPECT_EQ(selectedRows(), (std::vector<int>{1, 23}));

    control<QPushButton>(*dialog, "selectAllButton").click();
    EXPECT_EQ(selectedRows().size(), 24u);
    control<QPushButton>(*dialog, "selectNoneButton").click();
    EXPECT_TRUE(selectedRows().empty());
    list->item(1)->setSelected(true);  // MID 2
    list->item(22)->setSelected(true); // MID 50

    clickOk(dir / "new.gps");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(std::filesystem::exists(dir / "new.gps"));
    EXPECT_EQ(storedFile(), (dir / "new.gps").string());
    std::string expected(256, '0');
    expected[2] = expected[50] = '1';
    EXPECT_EQ(profile.getString("Log", "Msgs", ""), expected);
}

TEST_F(LogFileSettingsDialogTest, ANameMissingOrImpossibleKeepsTheDialogOpenOnTheEdit) {
    open();
    clickOk("");
    EXPECT_TRUE(holdsFocus(*dialog, *name));
    clickOk(dir / "no such folder" / "run.gps");
    EXPECT_TRUE(holdsFocus(*dialog, *name));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompter.asked,
              (std::vector<std::string>{logdialog::kNameRequired, logdialog::kCannotCreate}));
    EXPECT_EQ(storedFile(), "<none>");
}

TEST_F(LogFileSettingsDialogTest, AnExistingFileIsReselectedAppendedOrOverwritten) {
    const auto existing = dir / "old.gps";
    writeFile(existing, "earlier log\n");
    open();
    question.script = {Choice::Reselect};
    clickOk(existing);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(storedFile(), "<none>");

    question.script = {Choice::Append};
    clickOk(existing);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(storedFile(), existing.string());
    EXPECT_EQ(readFile(existing), "earlier log\n");

    open();
    question.script = {Choice::Overwrite};
    clickOk(existing);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(readFile(existing), "");
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_F(LogFileSettingsDialogTest, BrowseOffersTheCurrentNameAndTakesTheChosenOne) {
    open();
    QStringList offered;
    QString answer = "/logs/chosen.log";
    dialog->setFileChooser([&](const QString& current) {
        offered << current;
        return answer;
    });
    auto& browse = control<QPushButton>(*dialog, "browseButton");
    browse.click();
    answer.clear(); // cancelled
    browse.click();
    EXPECT_EQ(offered, (QStringList{"nimbra.gps", "/logs/chosen.log"}));
    EXPECT_EQ(name->text(), "/logs/chosen.log");
}

TEST_F(LogFileSettingsDialogTest, TheQuestionDialogAnswersByItsButtons) {
    LogFileQuestionDialog box;
    EXPECT_EQ(box.windowTitle(), "ZephMon");
    EXPECT_EQ(control<QLabel>(box, "questionText").text(), logdialog::kExistsText);
    // The button ends the modal loop from inside; a guard ends it should the button not.
    const auto answer = [&](std::function<void()> press) {
        QTimer::singleShot(0, &box, press);
        QTimer::singleShot(5000, &box, [&] { box.done(QDialog::Accepted); });
        return box.askExistingFile();
    };
    const auto click = [&](const char* button, const char* text) {
        return [&box, button, text] {
            auto& b = control<QPushButton>(box, button);
            EXPECT_EQ(b.text(), text);
            b.click();
        };
    };
    EXPECT_EQ(answer(click("appendButton", "&Append")), Choice::Append);
    EXPECT_EQ(answer(click("overwriteButton", "&Overwrite")), Choice::Overwrite);
    EXPECT_EQ(answer(click("reselectButton", "&Reselect")), Choice::Reselect);
    EXPECT_EQ(answer([&] { box.reject(); }), Choice::Reselect); // Escape
}

} // namespace
} // namespace zeph::monitor::testing
