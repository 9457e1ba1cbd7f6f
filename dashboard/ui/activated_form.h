#pragma once

// A settings window that fills its controls from its core each time it is activated (shown, or
// made the active window coming from another window of the program), and says when OK or
// Cancel hid it.

#include "dashboard/ui/activation_tracker.h"

#include <QWidget>

namespace zeph::dashboard {

class ActivatedForm : public QWidget {
    Q_OBJECT
public:
    ActivatedForm(ActivationTracker& tracker, QWidget* parent);

signals:
    // OK or Cancel hid the window; the main window takes over.
    void finished();

protected:
    // The window's activation: the core's activation, then its values into the controls.
    virtual void activate() = 0;

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ActivationTracker& tracker_;
};

} // namespace zeph::dashboard
