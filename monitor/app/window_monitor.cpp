#include "monitor/app/window_monitor.h"
#include "common/qt/app_icon.h"

#include "monitor/shell/ui/main_frame.h"

#include "common/qt/display.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace zeph::monitor {

const bool kWindowBuild = true;

namespace {

constexpr int kStopPollMs = 200;

} // namespace

int runWindowMonitor(int argc, char** argv, const HeadlessOptions& options,
                     const std::atomic<bool>& stop, void (*watchingStop)()) {
    if (const std::optional<std::string> reason = prepareDisplay()) {
        std::fprintf(stderr, "zephmon: no display (%s); run it with --headless\n", reason->c_str());
        return 2;
    }
    QApplication app(argc, argv);
    zeph::setApplicationIcon("zephmon");
    // A timed run or a signal ends like Exit, without asking about the log, whatever question
    // or dialog is open: also a warning of the settings check while the frame is being made.
    CMainFrame* made = nullptr;
    bool ended = false;
    auto finish = [&] {
        ended = true;
        if (made != nullptr) {
            made->endRun(0);
        } else {
            QCoreApplication::exit(0); // leaves the warning's loop; the start-up goes no further
        }
    };
    if (options.seconds) {
        QTimer::singleShot(*options.seconds * 1000, &app, finish);
    }
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &app, [&] {
        if (stop.load()) {
            finish();
        }
    });
    stopPoll.start(kStopPollMs);
    watchingStop(); // from here a signal sets the flag the poll reads

    ProfileFile profile(options.settingsPath);
    SystemClock clock;
    CMainFrame frame(profile, clock);
    if (ended) {
        return 0;
    }
    made = &frame;
    MainFrameCore& core = frame.core();
    if (options.selection) {
        core.log().setSelection(*options.selection);
    }
    if (options.logPath) {
        core.log().setFileName(*options.logPath);
        touchLogFile(*options.logPath, false);
    }
    frame.show();

    // The start-up runs from the event loop, once the window is on the screen.
    QTimer::singleShot(0, &frame, [&] {
        if (!core.startFromCommandLine(options.source, options.logPath.has_value())) {
            std::fprintf(stderr, "zephmon: cannot open the log file %s\n",
                         options.logPath->c_str());
        }
    });
    return app.exec();
}

} // namespace zeph::monitor
