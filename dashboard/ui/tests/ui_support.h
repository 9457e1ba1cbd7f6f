#pragma once

// Shared by the window tests: the application object, waiting on the event loop, pixels of
// the satellite view at twip positions, a temporary folder for nmea.dat.

#include "common/testing/temp_dir.h"
#include "dashboard/ui/sky_view.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zeph::dashboard::testing {

// Made once and never destroyed: destroying it among the exit handlers would run after the
// toolkit's own statics are gone.
inline QApplication& testApp() {
    static int argc = 1;
    static char name[] = "dashboard_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// First member of a fixture whose members are widgets.
struct WithApp {
    WithApp() { testApp(); }
};

// Runs the event loop until `done` holds or `limitMs` has passed; true when it held.
template <typename Done> bool waitUntil(Done done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

inline void spin(int ms) {
    waitUntil([] { return false; }, ms);
}

inline QColor pixelAt(const QImage& image, int xTwips, int yTwips) {
    return image.pixelColor(twipsToPixels(xTwips), twipsToPixels(yTwips));
}

// Lines one twip wide land on one pixel or its neighbour.
inline bool colorNear(const QImage& image, int xTwips, int yTwips, const QColor& color) {
    const int x = twipsToPixels(xTwips);
    const int y = twipsToPixels(yTwips);
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.rect().contains(x + dx, y + dy) &&
                image.pixelColor(x + dx, y + dy) == color) {
                return true;
            }
        }
    }
    return false;
}

using zeph::testing::TempDir;

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace zeph::dashboard::testing
