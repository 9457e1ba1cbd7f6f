#pragma once

// DoubleForm: ports and speeds of the two receivers, over DoubleFormCore.

#include "dashboard/core/settings_forms.h"
#include "dashboard/ui/activated_form.h"

class QComboBox;
class QPushButton;

namespace zeph::dashboard {

class DoubleForm : public ActivatedForm {
    Q_OBJECT
public:
    DoubleForm(TrekdashCore& main, Prompter& prompter, ActivationTracker& tracker,
               QWidget* parent = nullptr);

    DoubleFormCore& core() { return core_; }

protected:
    void activate() override;
    void closeEvent(QCloseEvent* event) override;

private:
    DoubleFormCore core_;
    QComboBox* com1_;
    QComboBox* com2_;
    QComboBox* speed1_;
    QComboBox* speed2_;
};

} // namespace zeph::dashboard
