#pragma once

// The Receiver Initialization dialog over the rules of monitor/shell/receiver_init.h: it opens
// on the stored settings, re-enables its controls on every reset-mode or PC-time click, loads
// position files, and closes on a Send the rules accept.

#include "common/prompt/prompter.h"
#include "monitor/shell/receiver_init.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zeph::monitor {

class ReceiverInitDialog : public QDialog {
    Q_OBJECT
public:
    // The name the file dialog of "&Load..." gives, nothing when it is cancelled.
    using FileChooser = std::function<std::optional<std::string>()>;

    ReceiverInitDialog(const ReceiverInitSettings& stored, Prompter& prompter,
                       QWidget* parent = nullptr);
    void setChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // What Send left, once the dialog closed with it.
    const std::optional<ReceiverInitAccepted>& accepted() const { return accepted_; }
    void accept() override;

private:
    ReceiverInitFields fields() const;
    void showFields(const ReceiverInitFields& f);
    void applyEnabling();
    void loadPosition();

    Prompter& prompter_;
    FileChooser chooser_;
    std::optional<ReceiverInitAccepted> accepted_;
    QLineEdit* x_;
    QLineEdit* y_;
    QLineEdit* z_;
    QLineEdit* clockOffset_;
    QCheckBox* usePcTime_;
    QLineEdit* utcOffset_;
    QLineEdit* week_;
    QLineEdit* timeOfWeek_;
    QLineEdit* channels_;
    QButtonGroup* modes_;
    QCheckBox* navLibData_;
    QCheckBox* debugData_;
    QComboBox* period_;
    QPushButton* load_;
    // The labels that follow their fields' enabling.
    std::vector<QWidget*> positionLabels_;
    QWidget* utcLabel_ = nullptr;
    int unknownMode_ = 0; // the opening's mode, kept while no radio is chosen
    std::vector<QWidget*> timeLabels_;
};

} // namespace zeph::monitor
