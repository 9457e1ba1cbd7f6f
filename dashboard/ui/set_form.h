#pragma once

// SetForm: the port and speed of the single receiver, over SetFormCore.

#include "dashboard/core/settings_forms.h"
#include "dashboard/ui/activation_tracker.h"

#include <QWidget>

class QComboBox;
class QPushButton;

namespace zeph::dashboard {

class SetForm : public QWidget {
    Q_OBJECT
public:
    SetForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
            QWidget* parent = nullptr);

    SetFormCore& core() { return core_; }

signals:
    // OK or Cancel hid the window; the main window takes over.
    void finished();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void activate();

    SetFormCore core_;
    ActivationTracker& tracker_;
    QComboBox* com_;
    QComboBox* speed_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace zeph::dashboard
