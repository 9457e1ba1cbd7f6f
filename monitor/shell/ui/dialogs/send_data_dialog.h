#pragma once

// The Send Data dialog over the rules of monitor/shell/send_data.h: Send goes out through the
// command and closes the dialog unless the text is refused.

#include "monitor/shell/send_data.h"

#include <QDialog>

#include <memory>

class QButtonGroup;
class QPlainTextEdit;

namespace zeph::monitor {

class SendDataDialog : public QDialog {
    Q_OBJECT
public:
    SendDataDialog(SendDataCommand& command, CommandOutput& output, QWidget* parent = nullptr);
    ~SendDataDialog() override;
    // Replaces the file dialogs of Load and Save (tests).
    void setChooser(std::unique_ptr<CommandFileChooser> chooser);
    void accept() override;

private:
    SendWrapper wrapper() const;

    SendDataCommand& command_;
    CommandOutput& output_;
    std::unique_ptr<CommandFileChooser> chooser_;
    QPlainTextEdit* text_;
    QButtonGroup* wrappers_;
};

} // namespace zeph::monitor
