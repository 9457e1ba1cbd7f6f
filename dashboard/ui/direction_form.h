#pragma once

// DirectionForm: the course and speed from RMC as plain figures, refreshed every second
// once the window has been shown.

#include "dashboard/core/receiver_state.h"

#include <QTimer>
#include <QWidget>

class QLabel;

namespace zeph::dashboard {

class DirectionForm : public QWidget {
    Q_OBJECT
public:
    DirectionForm(const ReceiverState& state, QWidget* parent);

    // DirectionTimer's tick.
    void refresh();

protected:
    bool event(QEvent* event) override;

private:
    const ReceiverState& state_;
    QTimer timer_;
    QLabel* course_;
    QLabel* speed_;
};

} // namespace zeph::dashboard
