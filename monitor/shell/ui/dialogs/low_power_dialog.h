#pragma once

// The Low Power dialog over the rules of monitor/shell/low_power.h: it always opens on its
// defaults, re-enables its controls on every mode click, toggles the lists' list-only flag on
// a right-button double-click, and closes on a Send the rules accept.

#include "common/prompt/prompter.h"
#include "monitor/shell/low_power.h"

#include <QDialog>

#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace zeph::monitor {

class LowPowerDialog : public QDialog {
    Q_OBJECT
public:
    LowPowerDialog(int targetSwClass, Prompter& prompter, QWidget* parent = nullptr);
    // The messages of Send, once the dialog closed with it.
    const std::optional<LowPowerSend>& sent() const { return sent_; }
    bool listOnly() const { return listOnly_; }
    void accept() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    LowPowerFields fields() const;
    void applyEnabling();

    int targetSwClass_;
    Prompter& prompter_;
    bool listOnly_ = true;
    std::optional<LowPowerSend> sent_;
    QButtonGroup* modes_;
    QCheckBox* adaptive_;
    QComboBox* updateRate_;
    QComboBox* onTime_;
    QLineEdit* maxOffTime_;
    QLineEdit* maxSearchTime_;
    QLineEdit* period_;
    QGroupBox* invalid_;
    std::vector<QWidget*> timingLabels_;
    QWidget* periodLabel_ = nullptr;
};

} // namespace zeph::monitor
