#include "dashboard/ui/activated_form.h"

#include <QEvent>

namespace zeph::dashboard {

ActivatedForm::ActivatedForm(ActivationTracker& tracker, QWidget* parent)
    : QWidget(parent, Qt::Dialog), tracker_(tracker) {}

bool ActivatedForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && tracker_.enter(this)) {
        activate();
    }
    return QWidget::event(event);
}

void ActivatedForm::showEvent(QShowEvent* event) {
    // Showing the window activates it; the activation event that follows is the same one.
    tracker_.enter(this);
    activate();
    QWidget::showEvent(event);
}

} // namespace zeph::dashboard
