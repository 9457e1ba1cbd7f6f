#pragma once

// Which of the program's windows was active last. A window is activated when it becomes the
// active window coming from another window of the program (or for the first time); coming
// back from another program is not an activation.

class QWidget;

namespace zeph::dashboard {

class ActivationTracker {
public:
    // Records `window` as active; true when that is an activation.
    bool enter(const QWidget* window) {
        const bool fresh = last_ != window;
        last_ = window;
        return fresh;
    }
    const QWidget* last() const { return last_; }

private:
    const QWidget* last_ = nullptr;
};

} // namespace zeph::dashboard
