#pragma once

// Widget tests need one QApplication for the whole test program; including this header makes
// GoogleTest create it before the first test.

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zeph::testing {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "zeph-widget-test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// Runs the event loop until `done` holds or `ms` milliseconds have passed; returns `done()`.
inline bool processEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

} // namespace zeph::testing
