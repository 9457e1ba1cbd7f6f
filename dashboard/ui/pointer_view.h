#pragma once

// The moved controls of the main window's instruments, laid over the satellite view: the
// compass card's needle, ring and letters, the speed needle and the instruments' labels. What
// the instruments draw (the heading arrow, the meter's scale) goes into the satellite view's
// drawing; this widget only shows where the core last put its controls.

#include "dashboard/core/pointer_displays.h"

#include <QWidget>

class QLabel;

namespace zeph::dashboard {

class PointerView : public QWidget {
    Q_OBJECT
public:
    PointerView(const PointerDisplays& pointers, QWidget* parent);

    // Moves the labels and repaints after a tick.
    void sync();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* label(const char* name, const QString& text, int left, int top, int width);

    const PointerDisplays& pointers_;
    QLabel* north_;
    QLabel* east_;
    QLabel* south_;
    QLabel* west_;
    QLabel* compass_;
    QLabel* speed_;
    QLabel* max_;
};

} // namespace zeph::dashboard
