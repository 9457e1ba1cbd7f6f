#pragma once

#include "common/prompt/prompter.h"
#include "monitor/shell/data_source_setup.h"
#include "monitor/shell/profile_file.h"

#include <QDialog>
#include <QString>

#include <functional>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zeph::monitor {

// "Data Source Setup". OK writes the five keys and accepts; a failed check shows its message
// through the prompter, focuses its field and stays open.
class DataSourceDialog : public QDialog {
    Q_OBJECT
public:
    DataSourceDialog(ProfileFile& profile, Prompter& prompter, bool cancelEnabled,
                     QWidget* parent = nullptr);
    using FileChooser = std::function<QString(const QString& current)>; // "" when cancelled
    // Default: a file-open dialog with the Browse title and filter.
    void setFileChooser(FileChooser chooser);

    void accept() override;
    // Without Cancel, neither Escape nor the window's close button may end the dialog.
    void reject() override;

private:
    DataSourceEntries entries() const;
    void showChoice(int src);
    void browse();

    DataSourceSetup setup_;
    Prompter& prompter_;
    bool cancelEnabled_;
    FileChooser chooseFile_;
    QButtonGroup* choices_;
    QComboBox* portBox_;
    QComboBox* baudBox_;
    QLineEdit* fileNameEdit_;
    QPushButton* browseButton_;
    QComboBox* formatBox_;
};

} // namespace zeph::monitor
