#pragma once

// DoubleForm: ports and speeds of the two receivers, over DoubleFormCore.

#include "dashboard/core/settings_forms.h"
#include "dashboard/ui/activation_tracker.h"

#include <QWidget>

class QComboBox;
class QPushButton;

namespace zeph::dashboard {

class DoubleForm : public QWidget {
    Q_OBJECT
public:
    DoubleForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
               QWidget* parent = nullptr);

    DoubleFormCore& core() { return core_; }

signals:
    // OK or Cancel hid the window; the main window takes over.
    void finished();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void activate();

    DoubleFormCore core_;
    ActivationTracker& tracker_;
    QComboBox* com1_;
    QComboBox* com2_;
    QComboBox* speed1_;
    QComboBox* speed2_;
};

} // namespace zeph::dashboard
