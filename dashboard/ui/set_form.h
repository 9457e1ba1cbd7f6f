#pragma once

// SetForm: the port and speed of the single receiver, over SetFormCore.

#include "dashboard/core/settings_forms.h"
#include "dashboard/ui/activated_form.h"

class QComboBox;
class QPushButton;

namespace zeph::dashboard {

class SetForm : public ActivatedForm {
    Q_OBJECT
public:
    SetForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
            QWidget* parent = nullptr);

    SetFormCore& core() { return core_; }

protected:
    void activate() override;
    void closeEvent(QCloseEvent* event) override;

private:
    SetFormCore core_;
    QComboBox* com_;
    QComboBox* speed_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

} // namespace zeph::dashboard
