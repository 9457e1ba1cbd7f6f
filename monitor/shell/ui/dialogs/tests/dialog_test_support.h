#pragma once

// What the dialog tests share: one QApplication for the whole run, finding controls by name,
// and where the focus went.

#include "monitor/messages/testing/recording_events.h"
#include "common/qt/testing/qt_application.h"
#include "monitor/shell/tests/shell_test_support.h"

#include <QApplication>
#include <QWidget>

#include <stdexcept>

#include <gtest/gtest.h>

namespace zeph::monitor::testing {

// The test program's one QApplication, made before the first test and gone before the exit
// handlers run (a pointing device a synthetic mouse event made would outlive a static one).
inline QApplication& qtApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

// The named control; fails the test when the dialog has none.
template <class T> T& control(QWidget& dialog, const char* name) {
    T* found = dialog.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        ADD_FAILURE() << "no control named " << name;
        throw std::runtime_error(name);
    }
    return *found;
}

// Whether the dialog's focus is on the control (or inside it, like the edit of a combo box).
inline bool holdsFocus(QWidget& dialog, QWidget& control) {
    QWidget* focus = dialog.focusWidget();
    return focus != nullptr && (focus == &control || control.isAncestorOf(focus));
}

} // namespace zeph::monitor::testing
