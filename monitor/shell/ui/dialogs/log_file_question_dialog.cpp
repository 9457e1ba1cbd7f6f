#include "monitor/shell/ui/dialogs/log_file_question_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeph::monitor {

LogFileQuestionDialog::LogFileQuestionDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromLatin1(logdialog::kExistsTitle));
    auto* text = new QLabel(QString::fromLatin1(logdialog::kExistsText), this);
    text->setObjectName(QStringLiteral("questionText"));
    text->setWordWrap(true);
    text->setMinimumWidth(320);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton* overwrite = addChoice(logdialog::kOverwrite, "overwriteButton", Choice::Overwrite);
    buttons->addWidget(overwrite);
    buttons->addWidget(addChoice(logdialog::kAppend, "appendButton", Choice::Append));
    buttons->addWidget(addChoice(logdialog::kReselect, "reselectButton", Choice::Reselect));
    overwrite->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
}

QPushButton* LogFileQuestionDialog::addChoice(const char* text, const char* name, Choice choice) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, [this, choice] {
        choice_ = choice;
        accept();
    });
    return button;
}

LogFileQuestion::Choice LogFileQuestionDialog::askExistingFile() {
    choice_ = Choice::Reselect;
    exec();
    return choice_;
}

} // namespace zeph::monitor
