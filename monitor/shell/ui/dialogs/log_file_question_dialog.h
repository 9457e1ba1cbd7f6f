#pragma once

#include "monitor/shell/log_file_settings.h"

#include <QDialog>

class QPushButton;

namespace zeph::monitor {

// The question about a log file that exists: a small dialog titled "ZephMon" with the buttons
// "&Overwrite", "&Append" and "&Reselect". Escape and the close button mean Reselect, which
// saves nothing.
class LogFileQuestionDialog : public QDialog, public LogFileQuestion {
    Q_OBJECT
public:
    explicit LogFileQuestionDialog(QWidget* parent = nullptr);

    // Runs the dialog modally.
    Choice askExistingFile() override;
    // The answer of the last showing.
    Choice choice() const { return choice_; }

private:
    QPushButton* addChoice(const char* text, const char* name, Choice choice);

    Choice choice_ = Choice::Reselect;
};

} // namespace zeph::monitor
