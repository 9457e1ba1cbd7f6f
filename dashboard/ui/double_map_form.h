#pragma once

// DoubleMapForm ("Satellites Map Comparing"): the satellites of the two receivers side by
// side, over DoubleMapCore. Its DoubleTimer runs on its own timer service; Close hands the
// program back to one receiver.

#include "dashboard/core/double_map.h"
#include "dashboard/ui/activated_form.h"
#include "dashboard/ui/qt_timer_service.h"

#include <QImage>

class QPushButton;

namespace zeph::dashboard {

class TrekdashCore;

class DoubleMapForm : public ActivatedForm {
    Q_OBJECT
public:
    DoubleMapForm(TrekdashCore& main, ActivationTracker& tracker, QWidget* parent);

    DoubleMapCore& core() { return core_; }
    QtTimerService& timers() { return timers_; }
    // The plots as drawn so far, without the window's background.
    const QImage& drawing() const { return drawing_; }

protected:
    void activate() override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void closeComparison();

    TrekdashCore& main_;
    QtTimerService timers_;
    QImage drawing_;
    DoubleMapCore core_;
    QPushButton* pause_;
};

} // namespace zeph::dashboard
