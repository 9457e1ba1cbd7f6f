#pragma once

// The main window shown and active over port objects fed from the test, with its nmea.dat in
// a temporary folder: the base of the window tests' fixtures.

#include "dashboard/ui/trekdash_window.h"

#include "dashboard/core/tests/fakes.h"
#include "dashboard/ui/tests/ui_support.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace zeph::dashboard::testing {

struct MainWindowFixture : ::testing::Test {
    MainWindowFixture() {
        window.load();
        window.show();
        window.activateMain();
    }
    template <typename T> T* child(const char* name) { return window.findChild<T*>(name); }
    // A label's text, or a marker naming the label that is missing.
    static QString label(QWidget* parent, const char* name) {
        const auto* l = parent->findChild<QLabel*>(name);
        return l != nullptr ? l->text() : QString("<no %1>").arg(name);
    }

    WithApp app;
    TempDir dir;
    SettingsFile file{(dir / "nmea.dat").string()};
    FakePort port1;
    FakePort port2;
    FakePort selPort;
    RecordingPrompter prompter;
    Trekdash window{{port1, port2, selPort}, file, prompter};
    ReceiverState& state = window.core().state();
};

} // namespace zeph::dashboard::testing
