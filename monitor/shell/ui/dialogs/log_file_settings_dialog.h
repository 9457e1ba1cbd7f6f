#pragma once

#include "common/prompt/prompter.h"
#include "monitor/shell/log_file_settings.h"
#include "monitor/shell/profile_file.h"

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QListWidget;

namespace zeph::monitor {

class LogFileQuestionDialog;

// "Log File Settings" on LogFileSettings; the existing-file question is a small Qt dialog titled
// "ZephMon" with the three buttons.
class LogFileSettingsDialog : public QDialog {
    Q_OBJECT
public:
    LogFileSettingsDialog(ProfileFile& profile, Prompter& prompter, QWidget* parent = nullptr);
    using FileChooser = std::function<QString(const QString& current)>; // "" when cancelled
    // Default: a save dialog "Specify a Name for the Log File" with the log filter.
    void setFileChooser(FileChooser chooser);
    // Tests script the question; default: the Qt question dialog.
    void setQuestion(LogFileQuestion* question);

    void accept() override;

private:
    void showSelection();
    void browse();

    LogFileSettings settings_;
    Prompter& prompter_;
    FileChooser chooseFile_;
    LogFileQuestionDialog* ownQuestion_;
    LogFileQuestion* question_;
    QLineEdit* fileNameEdit_;
    QListWidget* messageList_;
};

} // namespace zeph::monitor
