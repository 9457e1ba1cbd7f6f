#include "dashboard/ui/direction_form.h"

#include "dashboard/core/pointer_displays.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>

namespace zeph::dashboard {

DirectionForm::DirectionForm(const ReceiverState& state, QWidget* parent)
    : QWidget(parent, Qt::Dialog), state_(state), course_(new QLabel(this)),
      speed_(new QLabel(this)) {
    setObjectName("DirectionForm");
    setWindowTitle("Direction");
    course_->setObjectName("CourseLabel");
    speed_->setObjectName("SpeedLabel");
    for (QLabel* figure : {course_, speed_}) {
        figure->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        figure->setMinimumWidth(90);
    }
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Course", this), 0, 0);
    grid->addWidget(course_, 0, 1);
    grid->addWidget(new QLabel("Speed", this), 1, 0);
    grid->addWidget(speed_, 1, 1);
    connect(&timer_, &QTimer::timeout, this, &DirectionForm::refresh);
}

void DirectionForm::refresh() {
    const DirectionTexts texts = directionTexts(state_.CourseDeg, state_.SpeedKnots);
    course_->setText(QString::fromStdString(texts.CourseLabel));
    speed_->setText(QString::fromStdString(texts.SpeedLabel));
}

bool DirectionForm::event(QEvent* event) {
    // Showing the window is its first activation.
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        timer_.start(1000);
    }
    return QWidget::event(event);
}

} // namespace zeph::dashboard
